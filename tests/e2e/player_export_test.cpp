// Quake 2 player models through corvane-host export --player: a rig this
// test writes as glTF (a two-joint body, a weapon on the arm, a texture,
// some standard animations, one under another name, one matching none),
// every laid-out frame against positions worked out here at the standard
// times, the skin against the nearest palette colours, and the folder
// through corvane-md2 check --player and preview. The saved scene file and
// folder stay in the artifacts for the Windows host (tests/windows/player_folder.cmake).
#include <gtest/gtest.h>

#if defined(CORVANE_HAVE_ASSIMP) && !defined(_WIN32)

#include <algorithm>
#include <array>
#include <cmath>
#include <filesystem>
#include <fstream>
#include <functional>
#include <sstream>

#include <nlohmann/json.hpp>

#include "md2tool/md2_tool_cli.h"
#include "md2tool/preview_render.h"
#include "md2tool/rgba_image.h"
#include "support/host_program.h"
#include "support/test_env.h"
#include "unit/export/export_test_support.h"

namespace {

using Point = std::array<double, 3>;

// Host (glTF) positions: the arm joint at hips + (0, 1, 0) + `arm`, its
// points stretched by `turn`.
struct Pose {
    Point hips = {0, 0, 0};
    std::function<Point(const Point&)> turn = [](const Point& p) { return p; };
    Point arm = {0, 0, 0};
};

Point Add(const Point& a, const Point& b) { return {a[0] + b[0], a[1] + b[1], a[2] + b[2]}; }

// A point given relative to the arm joint, posed.
Point OnArm(const Pose& pose, const Point& p) { return Add(Add(pose.hips, Add({0, 1, 0}, pose.arm)), pose.turn(p)); }

struct BodyVertex {
    Point position;
    double hips;  // weight; the rest on the arm
};
// In the order the faces first use them, which is the order the converter
// keeps; the faces come in both windings, so that every view shows them.
const std::vector<BodyVertex> kBody = {{{-0.5, 0, 0}, 1},   {{0.5, 0, 0}, 1},   {{0.5, 1, 0.2}, 0.5},
                                       {{-0.5, 1, 0.2}, 0.5}, {{0.5, 2, 0}, 0},  {{-0.5, 2, 0}, 0}};
const std::vector<Point> kBlade = {{0, 0, 0}, {0.3, 0, 0}, {0, 0.3, 0.1}};  // at (0.5, 0, 0) on the arm

std::vector<Point> PosedBody(const Pose& pose) {
    std::vector<Point> out;
    for (const BodyVertex& v : kBody) {
        const Point a = Add(pose.hips, v.position);
        const Point b = OnArm(pose, {v.position[0], v.position[1] - 1, v.position[2]});
        out.push_back({v.hips * a[0] + (1 - v.hips) * b[0], v.hips * a[1] + (1 - v.hips) * b[1],
                       v.hips * a[2] + (1 - v.hips) * b[2]});
    }
    return out;
}

std::vector<Point> PosedBlade(const Pose& pose) {
    std::vector<Point> out;
    for (const Point& p : kBlade) {
        out.push_back(OnArm(pose, Add({0.5, 0, 0}, p)));
    }
    return out;
}

// The source animations: one channel each, from one value at 0 to another at `end`.
struct SourceAnimation {
    const char* name;
    int node;  // 0 hips, 1 arm
    const char* path;
    float end;
    std::vector<float> from;
    std::vector<float> to;
    std::function<Pose(double f)> pose;  // at fraction f of the length
};
// Each starts in a pose of its own, so that their first frames look apart.
// No rotations: the plug-in's spherical blend takes acos and sin from the C
// runtime, whose single-precision results differ between Linux and Windows,
// and the Windows host must write these very bytes.
const std::vector<SourceAnimation>& Sources() {
    static const std::vector<SourceAnimation> sources = {
        {"Stand", 1, "scale", 2, {1, 1, 1}, {1, 2, 1},
         [](double f) { return Pose{{0, 0, 0}, [f](const Point& p) { return Point{p[0], p[1] * (1 + f), p[2]}; }}; }},
        {"sway", 1, "scale", 0.5f, {2, 1, 1}, {1, 1, 1},
         [](double f) { return Pose{{0, 0, 0}, [f](const Point& p) { return Point{p[0] * (2 - f), p[1], p[2]}; }}; }},
        {"death1", 1, "translation", 1, {0.4f, 1, 0}, {0.4f, 1, 1},
         [](double f) { return Pose{{0, 0, 0}, [](const Point& p) { return p; }, {0.4, 0, f}}; }},
        {"dance", 0, "translation", 1, {0, 0, 0}, {0, 0, 1}, [](double f) { return Pose{{0, 0, f}}; }},
    };
    return sources;
}

// A 16x8 texture of many colours, as RGBA rows.
RgbaImage Texture() {
    RgbaImage image;
    image.width = 16;
    image.height = 8;
    for (int y = 0; y < 8; ++y) {
        for (int x = 0; x < 16; ++x) {
            image.pixels.insert(image.pixels.end(), {static_cast<std::uint8_t>(x * 17), static_cast<std::uint8_t>(y * 33),
                                                     static_cast<std::uint8_t>((x * y * 7) % 256), 255});
        }
    }
    return image;
}

// Writes rig.gltf, rig.bin and the texture (`image` names it) into `folder`.
void WriteRig(const std::string& folder, bool animated, const std::string& image) {
    using Json = nlohmann::json;
    std::string buffer;
    Json views = Json::array(), accessors = Json::array();
    auto add = [&](const std::vector<float>& values, const char* type, std::size_t per) {
        views.push_back({{"buffer", 0}, {"byteOffset", buffer.size()}, {"byteLength", values.size() * 4}});
        buffer.append(reinterpret_cast<const char*>(values.data()), values.size() * 4);
        accessors.push_back({{"bufferView", views.size() - 1}, {"componentType", 5126}, {"count", values.size() / per},
                             {"type", type}});
        return accessors.size() - 1;
    };
    auto indices = [&](const std::vector<std::uint16_t>& values) {
        views.push_back({{"buffer", 0}, {"byteOffset", buffer.size()}, {"byteLength", values.size() * 2}});
        buffer.append(reinterpret_cast<const char*>(values.data()), values.size() * 2);
        buffer.resize((buffer.size() + 3) / 4 * 4, '\0');
        accessors.push_back({{"bufferView", views.size() - 1}, {"componentType", 5123}, {"count", values.size()},
                             {"type", "SCALAR"}});
        return accessors.size() - 1;
    };
    std::vector<float> body, uvs, weights, joints, blade, bladeUvs;
    for (const BodyVertex& v : kBody) {
        body.insert(body.end(), {float(v.position[0]), float(v.position[1]), float(v.position[2])});
        uvs.insert(uvs.end(), {float(v.position[0] + 0.5), float(v.position[1] / 2)});
        weights.insert(weights.end(), {float(v.hips), float(1 - v.hips), 0, 0});
        joints.insert(joints.end(), {0, 1, 0, 0});
    }
    for (const Point& p : kBlade) {
        blade.insert(blade.end(), {float(p[0]), float(p[1]), float(p[2])});
        bladeUvs.insert(bladeUvs.end(), {float(p[0]), float(p[1])});
    }
    const Json bodyMesh = {{"name", "body"}, {"primitives", Json::array({{{"material", 0},
        {"indices", indices({0, 1, 2, 0, 2, 3, 3, 2, 4, 3, 4, 5, 2, 1, 0, 3, 2, 0, 4, 2, 3, 5, 4, 3})},
        {"attributes", {{"POSITION", add(body, "VEC3", 3)}, {"TEXCOORD_0", add(uvs, "VEC2", 2)},
                        {"WEIGHTS_0", add(weights, "VEC4", 4)}, {"JOINTS_0", add(joints, "VEC4", 4)}}}}})}};
    // JOINTS_0 as float is not glTF: rewrite it as unsigned bytes.
    Json gltf;
    gltf["meshes"] = Json::array({bodyMesh, {{"name", "blade"}, {"primitives", Json::array({{{"material", 0},
        {"indices", indices({0, 1, 2})},
        {"attributes", {{"POSITION", add(blade, "VEC3", 3)}, {"TEXCOORD_0", add(bladeUvs, "VEC2", 2)}}}}})}}});
    const std::size_t jointAccessor = gltf["meshes"][0]["primitives"][0]["attributes"]["JOINTS_0"];
    std::string jointBytes;
    for (float j : joints) {
        jointBytes.push_back(static_cast<char>(j));
    }
    views.push_back({{"buffer", 0}, {"byteOffset", buffer.size()}, {"byteLength", jointBytes.size()}});
    buffer += jointBytes;
    accessors[jointAccessor]["bufferView"] = views.size() - 1;
    accessors[jointAccessor]["componentType"] = 5121;
    const std::vector<float> binds = {1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1,
                                      1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, -1, 0, 1};
    gltf["skins"] = Json::array({{{"joints", {0, 1}}, {"inverseBindMatrices", add(binds, "MAT4", 16)}}});
    Json animations = Json::array();
    for (const SourceAnimation& source : Sources()) {
        std::vector<float> values = source.from;
        values.insert(values.end(), source.to.begin(), source.to.end());
        const Json sampler = {{"input", add({0, source.end}, "SCALAR", 1)},
                              {"output", add(values, source.to.size() == 4 ? "VEC4" : "VEC3", source.to.size())}};
        animations.push_back({{"name", source.name}, {"samplers", Json::array({sampler})},
                              {"channels", Json::array({{{"sampler", 0}, {"target", {{"node", source.node}, {"path", source.path}}}}})}});
    }
    if (animated) {
        gltf["animations"] = animations;
    }
    gltf["asset"] = {{"version", "2.0"}};
    gltf["scene"] = 0;
    gltf["scenes"] = Json::array({{{"nodes", {0, 3}}}});
    gltf["nodes"] = Json::array({{{"name", "hips"}, {"children", {1}}},
                                 {{"name", "arm"}, {"translation", {0, 1, 0}}, {"children", {2}}},
                                 {{"name", "weapon"}, {"mesh", 1}, {"translation", {0.5, 0, 0}}},
                                 {{"name", "body"}, {"mesh", 0}, {"skin", 0}}});
    gltf["materials"] = Json::array({{{"name", "skin"}, {"pbrMetallicRoughness", {{"baseColorTexture", {{"index", 0}}}}}}});
    gltf["textures"] = Json::array({{{"source", 0}}});
    gltf["images"] = Json::array({{{"uri", image}}});
    gltf["buffers"] = Json::array({{{"uri", "rig.bin"}, {"byteLength", buffer.size()}}});
    gltf["bufferViews"] = views;
    gltf["accessors"] = accessors;
    ASSERT_TRUE(WriteTestFile(folder + "rig.bin", buffer));
    ASSERT_TRUE(WriteTestFile(folder + "rig.gltf", gltf.dump(1)));
    std::vector<std::uint8_t> png;
    ASSERT_TRUE(EncodePng(Texture(), &png));
    ASSERT_TRUE(WriteTestFile(folder + "skin.png", std::string(png.begin(), png.end())));
}

// The palette as the game gives it, read from the repository's table.
std::vector<std::array<int, 3>> Palette() {
    std::ifstream in(std::string(CORVANE_SOURCE_DIR) + "/md2tool/quake2-palette.csv");
    std::vector<std::array<int, 3>> palette;
    std::string line;
    std::getline(in, line);
    while (std::getline(in, line)) {
        std::array<int, 4> v{};
        char comma = 0;
        std::istringstream(line) >> v[0] >> comma >> v[1] >> comma >> v[2] >> comma >> v[3];
        palette.push_back({v[1], v[2], v[3]});
    }
    return palette;
}

// The frames the table expects: where a standard animation lies in a file,
// its source, its length, and whether it loops.
struct LaidOut {
    const char* file;
    const char* standard;
    int first;
    int count;
    bool loop;
    const char* source;  // nullptr: the rest pose
};
const LaidOut kExpected[] = {
    {"tris.md2", "stand", 0, 40, true, "Stand"},      {"tris.md2", "run", 40, 6, true, "sway"},
    {"tris.md2", "salute", 84, 11, false, nullptr},   {"tris.md2", "death1", 178, 6, false, "death1"},
    {"tris.md2", "death3", 190, 8, false, nullptr},   {"weapon.md2", "stand", 0, 40, true, "Stand"},
    {"weapon.md2", "run", 40, 6, true, "sway"},       {"weapon.md2", "death1", 178, 6, false, "death1"},
};

// Largest distance of the file's frame from the expected positions, in
// quantization steps (the encoder truncates: a coordinate lies in the step
// above its decoded value); fails beyond half a step plus 1e-5 of the size.
double Deviation(const WrittenMd2& md2, int frame, const std::vector<Point>& expected) {
    double worst = 0;
    const auto& box = md2.frames[static_cast<std::size_t>(frame)];
    for (std::size_t v = 0; v < expected.size(); ++v) {
        const Point model = {expected[v][0], -expected[v][2], expected[v][1]};  // the file's axes
        const std::array<float, 3> got = md2.Decoded(frame, static_cast<int>(v));
        for (int a = 0; a < 3; ++a) {
            const double step = box.scale[a];
            const double error = std::fabs(got[static_cast<std::size_t>(a)] + step / 2 - model[static_cast<std::size_t>(a)]);
            EXPECT_LE(error, step / 2 + 1e-5 * 3) << "frame " << frame << " vertex " << v << " axis " << a;
            worst = std::max(worst, step > 1e-6 ? error / step : 0);
        }
    }
    return worst;
}

std::string Printed(const HostProgramRun& run) { return run.output; }

class PlayerExport : public ::testing::Test {
protected:
    // The folder the Windows check reads for the full export; a temporary one otherwise.
    void SetUp() override {
        const std::string test = ::testing::UnitTest::GetInstance()->current_test_info()->name();
        folder_ = test == "WritesTheStandardFolder" ? TestArtifactsDir() + "/player/" : TestTempDir("PlayerExport-" + test);
        std::filesystem::remove_all(folder_);
        std::filesystem::create_directories(folder_ + "players");
    }
    HostProgramRun Export(const std::string& dir, std::vector<std::string> extra = {}) {
        std::vector<std::string> args = {"export", TestPluginPath(), folder_ + "rig.gltf", dir, "--player",
                                         "--map", "run=sway"};
        args.insert(args.end(), extra.begin(), extra.end());
        return RunHostProgram(args);
    }
    std::string folder_;
};

}  // namespace

TEST_F(PlayerExport, WritesTheStandardFolder) {
    WriteRig(folder_, true, "skin.png");
    const std::string dir = folder_ + "players/hero/";
    const HostProgramRun run = Export(folder_ + "players/hero", {"--save-scene", folder_ + "rig.json"});
    ASSERT_EQ(run.exitCode, 0) << Printed(run);
    for (const char* said : {"left out: dance", "no source animation for attack, pain1", "player model of 198 frames"}) {
        EXPECT_NE(run.output.find(said), std::string::npos) << said << " in\n" << run.output;
    }
    for (const char* file : {"tris.md2", "weapon.md2"}) {
        WrittenMd2 md2;
        std::string why;
        ASSERT_TRUE(ReadWrittenMd2(dir + file, &md2, &why)) << why;
        EXPECT_EQ(md2.NumFrames(), 198) << file;
        EXPECT_EQ(md2.NumXyz(), std::string(file) == "tris.md2" ? 6 : 3) << file;
        EXPECT_EQ(md2.skins, std::vector<std::string>{"models/players/hero/skin.pcx"}) << file;
        EXPECT_GT(md2.NumGlcmds(), 1) << file;
        if (md2.NumFrames() != 198) {
            continue;
        }
        for (const LaidOut& row : kExpected) {
            if (std::string(row.file) != file) {
                continue;
            }
            const SourceAnimation* source = nullptr;
            for (const SourceAnimation& s : Sources()) {
                source = row.source != nullptr && std::string(s.name) == row.source ? &s : source;
            }
            double worst = 0;
            for (int i = 0; i < row.count; ++i) {
                const double f = static_cast<double>(i) / (row.loop ? row.count : row.count - 1);  // of the length
                const Pose pose = source != nullptr ? source->pose(f) : Pose{};
                EXPECT_EQ(md2.frames[static_cast<std::size_t>(row.first + i)].name, row.standard + std::to_string(i));
                worst = std::max(worst, Deviation(md2, row.first + i, file == std::string("tris.md2") ? PosedBody(pose) : PosedBlade(pose)));
            }
            std::printf("%-10s %-7s frames %3d-%3d  largest deviation %.3f steps\n", file, row.standard, row.first,
                        row.first + row.count - 1, worst);
        }
    }
    // The skin: each texel the nearest palette colour (0 to 254).
    const std::vector<std::array<int, 3>> palette = Palette();
    ASSERT_EQ(palette.size(), 256u);
    RgbaImage skin;
    std::string why;
    ASSERT_TRUE(LoadSkinImage(dir + "skin.pcx", &skin, &why)) << why;
    const RgbaImage texture = Texture();
    ASSERT_EQ(skin.width * skin.height, texture.width * texture.height);
    for (std::size_t p = 0; p < skin.pixels.size(); p += 4) {
        int best = 0;
        auto distance = [&](int i) {
            int d = 0;
            for (int c = 0; c < 3; ++c) {
                d += (texture.pixels[p + c] - palette[static_cast<std::size_t>(i)][static_cast<std::size_t>(c)]) *
                     (texture.pixels[p + c] - palette[static_cast<std::size_t>(i)][static_cast<std::size_t>(c)]);
            }
            return d;
        };
        for (int i = 1; i < 255; ++i) {
            best = distance(i) < distance(best) ? i : best;
        }
        for (int c = 0; c < 3; ++c) {
            ASSERT_EQ(skin.pixels[p + c], palette[static_cast<std::size_t>(best)][static_cast<std::size_t>(c)]) << p / 4;
        }
    }
    // The icon: the model on the transparent index (255, the palette's last colour).
    RgbaImage icon;
    ASSERT_TRUE(LoadSkinImage(dir + "skin_i.pcx", &icon, &why)) << why;
    EXPECT_EQ(icon.width, 32);
    EXPECT_EQ(icon.height, 32);
    int transparent = 0;
    for (std::size_t p = 0; p < icon.pixels.size(); p += 4) {
        transparent += icon.pixels[p] == palette[255][0] && icon.pixels[p + 1] == palette[255][1] &&
                       icon.pixels[p + 2] == palette[255][2];
    }
    EXPECT_GT(transparent, 0);
    EXPECT_LT(transparent, 32 * 32 - 16);

    ToolOutput checked;
    EXPECT_EQ(RunMd2Tool({"check", "--player", dir}, &checked), kToolOk) << checked.out << checked.err;
    EXPECT_NE(checked.out.find("death1   178-183  death10 .. death15"), std::string::npos) << checked.out;
    // Frames 0, 40 and 178 drawn: stand, run and death1, each its own picture.
    std::vector<std::vector<std::uint8_t>> drawn;
    for (const char* frame : {"0", "40", "178", "stand0", "run0", "death10"}) {
        ToolOutput previewed;
        const std::string png = folder_ + "frame-" + frame + ".png";
        ASSERT_EQ(RunMd2Tool({"preview", dir + "tris.md2", "-o", png, "--frames", frame, "--size", "64x78"}, &previewed),
                  kToolOk) << previewed.err;
        RgbaImage picture;
        ASSERT_TRUE(LoadSkinImage(png, &picture, &why)) << why;
        // Below the label: the drawing, which must show the model.
        drawn.emplace_back(picture.pixels.begin() + 64 * 4 * kPreviewLabelHeight, picture.pixels.end());
        int model = 0;
        for (std::size_t p = 0; p < drawn.back().size(); p += 4) {
            model += !std::equal(kPreviewBackground, kPreviewBackground + 3, &drawn.back()[p]);
        }
        EXPECT_GT(model, 100) << frame;
    }
    // By number as by name; stand, run and death1 each their own pose.
    EXPECT_EQ(drawn[0], drawn[3]);
    EXPECT_EQ(drawn[1], drawn[4]);
    EXPECT_EQ(drawn[2], drawn[5]);
    EXPECT_NE(drawn[0], drawn[1]);
    EXPECT_NE(drawn[1], drawn[2]);
    EXPECT_NE(drawn[0], drawn[2]);
}

TEST_F(PlayerExport, FailuresLeaveNoFolder) {
    const struct {
        bool animated;
        std::string image;
        std::string dir;
        std::vector<std::string> extra;
        std::string said;
    } cases[] = {
        {false, "skin.png", "players/a", {}, "no animations"},
        {true, "skin.png", "players/b", {"--map", "stand=nope"}, "--map stand=nope names no animation"},
        {true, "skin.png", "missing/c", {}, "cannot make a folder beside it"},
        {true, "gone.png", "players/d", {}, "the texture cannot be read"},
        {true, "skin.png", "players/e", {"--weapon", "sword"}, "--weapon sword names no mesh"},
    };
    for (const auto& c : cases) {
        WriteRig(folder_, c.animated, c.image);
        const HostProgramRun run = Export(folder_ + c.dir, c.extra);
        EXPECT_EQ(run.exitCode, 1) << run.output;
        EXPECT_NE(run.output.find(c.said), std::string::npos) << run.output;
        EXPECT_EQ(std::count(run.output.begin(), run.output.end(), '\n'), 1) << run.output;
        EXPECT_FALSE(std::filesystem::exists(folder_ + c.dir)) << c.dir;
    }
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(folder_ + "players"), {}), 0);
}

#endif
