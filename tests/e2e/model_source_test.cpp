// Rigged, animated models from files the Open Asset Import Library reads,
// exported through the plug-in binary: every frame against positions worked
// out without the host's converter (analytic ones for glTF files written
// here, an evaluation of the library's own scene for published models).
#include <gtest/gtest.h>

#ifdef CORVANE_HAVE_ASSIMP

#include <assimp/Importer.hpp>
#include <assimp/scene.h>

#include <algorithm>
#include <array>
#include <cstdlib>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <functional>
#include <map>
#include <string>
#include <vector>

#include <nlohmann/json.hpp>
#include <sys/wait.h>

#include "host/assimp_scene.h"
#include "host/scene_desc.h"
#include "support/test_env.h"
#include "unit/export/export_test_support.h"

namespace {

using Point = std::array<double, 3>;
using Frames = std::vector<std::vector<Point>>;  // host axes, per frame, per host vertex

// Frame times as the plug-in samples an animation of length `end`.
std::vector<float> SampleTimes(float fps, float end) {
    const int count = std::max(1, static_cast<int>(std::ceil(end * fps)));
    std::vector<float> times;
    for (int i = 0; i < count; ++i) {
        times.push_back(static_cast<float>(i) * (1.0f / fps));
    }
    return times;
}

// The one comparison: frames `first`.. of the file against `expected` (host
// axes; the file holds model axes x, -z, y). The encoder truncates, so a
// coordinate lies in the step above its decoded value: its distance from that
// step's centre is at most half a step, plus 1e-5 of the frame's largest
// coordinate for the single-precision posing. Answers the largest distance in
// quantization steps (axes whose step is below 1e-5 of that are left out).
double ExpectFrames(const WrittenMd2& md2, int first, const Frames& expected, const std::string& what) {
    double worst = 0;
    if (md2.NumFrames() < first + static_cast<int>(expected.size())) {
        ADD_FAILURE() << what << ": " << md2.NumFrames() << " frames in the file";
        return worst;
    }
    // A flat axis (one coordinate in every frame) is stored exactly.
    bool flat[3] = {true, true, true};
    for (const auto& frame : md2.frames) {
        for (const auto& vertex : frame.vertices) {
            for (int a = 0; a < 3; ++a) {
                flat[a] = flat[a] && vertex[static_cast<std::size_t>(a)] == 0 && frame.scale[a] == 1;
            }
        }
    }
    for (std::size_t f = 0; f < expected.size(); ++f) {
        const int frame = first + static_cast<int>(f);
        const auto& box = md2.frames[static_cast<std::size_t>(frame)];
        if (expected[f].size() != static_cast<std::size_t>(md2.NumXyz())) {
            ADD_FAILURE() << what << ": " << md2.NumXyz() << " vertices, expected " << expected[f].size();
            return worst;
        }
        double largest = 0;
        for (const Point& p : expected[f]) {
            largest = std::max({largest, std::fabs(p[0]), std::fabs(p[1]), std::fabs(p[2])});
        }
        const double slack = 1e-5 * largest;
        for (std::size_t v = 0; v < expected[f].size(); ++v) {
            const Point& p = expected[f][v];
            const Point model = {p[0], -p[2], p[1]};
            const std::array<float, 3> got = md2.Decoded(frame, static_cast<int>(v));
            for (int a = 0; a < 3; ++a) {
                const double step = flat[a] ? 0 : box.scale[a];
                const double centre = got[static_cast<std::size_t>(a)] + step / 2;
                const double error = std::fabs(centre - model[static_cast<std::size_t>(a)]);
                const double steps = step > slack ? error / step : 0;
                worst = std::max(worst, steps);
                if (error > step / 2 + slack) {
                    ADD_FAILURE() << what << " frame " << f << " vertex " << v << " axis " << a << ": " << steps
                                  << " steps" << " expected " << model[0] << " " << model[1] << " " << model[2] << " got " << got[0] << " " << got[1] << " " << got[2];
                    return worst;
                }
            }
        }
    }
    return worst;
}

// Loads a model through the host's converter and exports it through the
// plug-in at 10 frames per second.
class ModelSourceTest : public PluginExportTest {
protected:
    static constexpr float kFps = 10;

    bool Convert(const std::string& path, bool withAnimations = true, float scale = 1) {
        AssimpSceneOptions options;
        options.fps = kFps;
        options.scale = scale;
        options.textureFolder = directory_;
        std::string why;
        desc_ = SceneDesc{};
        if (!BuildAssimpScene(path, options, &desc_, &why)) {
            ADD_FAILURE() << why;
            return false;
        }
        if (!withAnimations) {
            desc_.animations.clear();
        }
        RefSceneDestroy(scene_);
        scene_ = BuildRefScene(desc_);
        const ExportRun run = Export("press 1");
        EXPECT_EQ(run.writeAnswer, 1) << run.errorText << lastTranscript_;
        return run.writeAnswer == 1;
    }
    SceneDesc desc_;
};

// --- glTF files written here, with analytic animations ------------------------

using Matrix = aiMatrix4x4t<double>;

Matrix Move(Point t) {
    Matrix r;
    return Matrix::Translation(aiVector3t<double>(t[0], t[1], t[2]), r);
}

Matrix Stretch(Point s) {
    Matrix r;
    return Matrix::Scaling(aiVector3t<double>(s[0], s[1], s[2]), r);
}

// A turn by `degrees` about axis 0 (x), 1 (y) or 2 (z).
Matrix Turn(int axis, double degrees) {
    const double a = degrees * M_PI / 180;
    Matrix r;
    return axis == 0 ? Matrix::RotationX(a, r) : axis == 1 ? Matrix::RotationY(a, r) : Matrix::RotationZ(a, r);
}

Point Apply(const Matrix& m, const Point& p) {
    const aiVector3t<double> r = m * aiVector3t<double>(p[0], p[1], p[2]);
    return {r.x, r.y, r.z};
}

std::vector<double> Quaternion(int axis, double degrees) {
    std::vector<double> q = {0, 0, 0, std::cos(degrees * M_PI / 360)};
    q[static_cast<std::size_t>(axis)] = std::sin(degrees * M_PI / 360);
    return q;
}

// The nodes: top (translated and turned a quarter about y) holding the joints
// j0 -> j1 -> prop (a rigid triangle), the skinned body, and arm -> hand ->
// gem (a rigid triangle with texture coordinates, under nodes that are no
// joints, each translated and turned). j0's inverse bind matrix is the
// identity, j1's the inverse of T(0, 1.25, 0) R_x(30°): both differ from the
// rest nodes.
enum Node { kTop, kJ0, kJ1, kBody, kProp, kArm, kHand };
const int kParent[] = {-1, kTop, kJ0, kTop, kJ1, kTop, kArm};
const Matrix kTopRest = Move({0.5, 0, -0.25}) * Turn(1, 90);
const Matrix kArmRest = Move({-0.5, 0.25, 0.5}) * Turn(2, 60);
const Matrix kHandRest = Move({0.3, 0.4, 0}) * Turn(0, -45);
const Matrix kJ1Bind = Move({0, 1.25, 0}) * Turn(0, 30);
const Matrix kJ1InverseBind = Turn(0, -30) * Move({0, -1.25, 0});

struct Channel {
    int node;
    const char* path;  // translation, rotation, scale
    const char* interpolation;
    std::vector<float> times;
    std::vector<std::vector<double>> values;
};

// One animation: its channels in the file, the nodes' local transforms at
// time t worked out by hand, and its frames in the MD2 file: how many (at
// i / 10 s, in single precision) and the name they are numbered after.
struct AnimationCase {
    const char* name;
    std::vector<Channel> channels;
    std::function<Matrix(int node, double t)> local;
    float end;
    int frames;
    const char* frameName;
};

double Clamp01(double f) { return std::min(1.0, std::max(0.0, f)); }

Matrix RestLocal(int node) {
    return node == kTop    ? kTopRest
           : node == kJ1   ? Move({0, 1, 0})
           : node == kProp ? Move({0, 0.5, 0})
           : node == kArm  ? kArmRest
           : node == kHand ? kHandRest
                           : Matrix();
}

const std::vector<AnimationCase>& Cases() {
    static const std::vector<AnimationCase> cases = {
        {"turn_linear",
         {{kJ0, "rotation", "LINEAR", {0, 1}, {Quaternion(2, 0), Quaternion(2, 90)}}},
         [](int node, double t) { return node == kJ0 ? Turn(2, 90 * Clamp01(t)) : RestLocal(node); },
         1, 10, "turn_linear"},
        // Different key times per channel.
        {"move_linear",
         {{kJ0, "translation", "LINEAR", {0, 1}, {{0, 0, 0}, {1, 0, 0}}},
          {kJ0, "rotation", "LINEAR", {0, 0.4f, 1}, {Quaternion(0, 0), Quaternion(0, 90), Quaternion(0, 0)}}},
         [](int node, double t) {
             const double angle = t <= 0.4 ? 90 * t / 0.4 : 90 * (1 - (t - 0.4) / 0.6);
             return node == kJ0 ? Move({t, 0, 0}) * Turn(0, angle) : RestLocal(node);
         },
         1, 10, "move_linear"},
        {"grow_linear",
         {{kJ0, "scale", "LINEAR", {0, 1}, {{1, 1, 1}, {1, 2, 1}}}},
         [](int node, double t) { return node == kJ0 ? Stretch({1, 1 + t, 1}) : RestLocal(node); },
         1, 10, "grow_linear"},
        // Keys at frame times (0.5 s is 500 ticks exactly): a step takes its key's value there.
        {"turn_step",
         {{kJ0, "rotation", "STEP", {0, 0.5f, 0.7f}, {Quaternion(2, 0), Quaternion(2, 90), Quaternion(2, 180)}}},
         [](int node, double t) {
             return node == kJ0 ? Turn(2, t < 0.5f ? 0 : t < 0.7f ? 90 : 180) : RestLocal(node);
         },
         0.7f, 7, "turn_step"},
        {"move_step",
         {{kJ1, "translation", "STEP", {0, 0.5f, 0.6f}, {{0, 1, 0}, {0, 1.5, 0}, {0, 2, 0}}}},
         [](int node, double t) {
             return node == kJ1 ? Move({0, t < 0.5f ? 1 : t < 0.6f ? 1.5 : 2, 0}) : RestLocal(node);
         },
         0.6f, 6, "move_step"},
        // An uneven scale on a turning joint with a child. Unnamed: called
        // "anim_b", as a later animation is named "anim".
        {"",
         {{kJ1, "rotation", "LINEAR", {0, 1}, {Quaternion(1, 0), Quaternion(1, 90)}},
          {kJ1, "scale", "LINEAR", {0, 1}, {{1, 1, 1}, {0.5, 1, 1}}}},
         [](int node, double t) {
             return node == kJ1 ? Move({0, 1, 0}) * Turn(1, 90 * Clamp01(t)) * Stretch({1 - 0.5 * t, 1, 1})
                                : RestLocal(node);
         },
         1, 10, "anim_b"},
        // The rigid gem's nodes, for 0.25 s: 3 frames, the last at 0.2 s,
        // when the hand has stepped (the arm's keys carry over, the hand's
        // turn and uneven scale are taken at the frame times).
        {"anim",
         {{kArm, "rotation", "LINEAR", {0, 0.25f}, {Quaternion(2, 60), Quaternion(2, 150)}},
          {kHand, "rotation", "STEP", {0, 0.15f}, {Quaternion(0, -45), Quaternion(1, 45)}},
          {kHand, "scale", "LINEAR", {0, 0.25f}, {{1, 1, 1}, {1, 0.5, 1}}}},
         [](int node, double t) {
             return node == kArm    ? Move({-0.5, 0.25, 0.5}) * Turn(2, 60 + 360 * t)
                    : node == kHand ? Move({0.3, 0.4, 0}) * (t < 0.15 ? Turn(0, -45) : Turn(1, 45)) *
                                          Stretch({1, 1 - 2 * t, 1})
                                    : RestLocal(node);
         },
         0.25f, 3, "anim"},
        // Unnamed, after "anim" and "anim_b": "anim_c".
        {"",
         {{kHand, "translation", "LINEAR", {0, 0.5f}, {{0.3, 0.4, 0}, {0.3, 0.9, 0}}}},
         [](int node, double t) {
             return node == kHand ? Move({0.3, 0.4 + t, 0}) * Turn(0, -45) : RestLocal(node);
         },
         0.5f, 5, "anim_c"},
    };
    return cases;
}

struct BodyVertex {
    Point position;
    double j0, j1;  // weights
};
const std::vector<BodyVertex> kBodyVertices = {{{-0.5, 0.25, 0}, 1, 0}, {{0.5, 0.25, 0}, 1, 0}, {{0, 0.5, 0.3}, 0.6, 0.4},
                                       {{-0.5, 1.25, 0}, 0, 1}, {{0.5, 1.25, 0}, 0, 1}, {{0, 1.5, 0.3}, 0, 1}};
const std::vector<Point> kPropVertices = {{0, 0, 0}, {0.2, 0, 0}, {0, 0.2, 0.1}};
const std::vector<Point> kGemVertices = {{0, 0, 0}, {0.3, 0, 0}, {0, 0.2, 0.1}};
// u, v as glTF counts them: v from the image's top, as the MD2's t.
const std::vector<std::array<float, 2>> kGemUvs = {{0.25f, 0.125f}, {0.75f, 0.25f}, {0.5f, 0.875f}};
constexpr int kFirstGemVertex = 9;

Matrix Global(const std::function<Matrix(int node)>& local, int node) {
    return node < 0 ? Matrix() : Global(local, kParent[node]) * local(node);
}

// Host vertices for the nodes' global transforms: the prop (met first,
// under j1), the body, then the gem.
std::vector<Point> Posed(const std::function<Matrix(int node)>& global) {
    const Matrix j0 = global(kJ0), skin1 = global(kJ1) * kJ1InverseBind;  // j0's inverse bind is the identity
    std::vector<Point> out;
    for (const Point& p : kPropVertices) {
        out.push_back(Apply(global(kProp), p));
    }
    for (const BodyVertex& v : kBodyVertices) {
        const Point a = Apply(j0, v.position), b = Apply(skin1, v.position);
        out.push_back({v.j0 * a[0] + v.j1 * b[0], v.j0 * a[1] + v.j1 * b[1], v.j0 * a[2] + v.j1 * b[2]});
    }
    for (const Point& p : kGemVertices) {
        out.push_back(Apply(global(kHand), p));
    }
    return out;
}

// At time t, the whole model scaled by `scale`.
std::vector<Point> Analytic(const AnimationCase& animation, double t, double scale) {
    return Posed([&](int node) {
        return Stretch({scale, scale, scale}) * Global([&](int n) { return animation.local(n, t); }, node);
    });
}

// Writes the glTF file and its buffer; answers the .gltf path.
std::string WriteRig(const std::string& directory) {
    std::string buffer;
    nlohmann::json views = nlohmann::json::array(), accessors = nlohmann::json::array();
    auto add = [&](const void* data, std::size_t bytes, int componentType, std::size_t count, const char* type) {
        while (buffer.size() % 4 != 0) {
            buffer.push_back('\0');
        }
        views.push_back({{"buffer", 0}, {"byteOffset", buffer.size()}, {"byteLength", bytes}});
        buffer.append(static_cast<const char*>(data), bytes);
        accessors.push_back({{"bufferView", views.size() - 1}, {"componentType", componentType}, {"count", count},
                             {"type", type}});
        return accessors.size() - 1;
    };
    auto floats = [&](const std::vector<float>& values, const char* type, std::size_t per) {
        return add(values.data(), values.size() * 4, 5126, values.size() / per, type);
    };
    std::vector<float> body, weights, prop, gem, gemUvs;
    std::vector<std::uint16_t> joints;
    for (const BodyVertex& v : kBodyVertices) {
        body.insert(body.end(), {float(v.position[0]), float(v.position[1]), float(v.position[2])});
        weights.insert(weights.end(), {float(v.j0), float(v.j1), 0, 0});
        joints.insert(joints.end(), {0, 1, 0, 0});
    }
    for (const Point& p : kPropVertices) {
        prop.insert(prop.end(), {float(p[0]), float(p[1]), float(p[2])});
    }
    for (std::size_t v = 0; v < kGemVertices.size(); ++v) {
        gem.insert(gem.end(), {float(kGemVertices[v][0]), float(kGemVertices[v][1]), float(kGemVertices[v][2])});
        gemUvs.insert(gemUvs.end(), {kGemUvs[v][0], kGemUvs[v][1]});
    }
    const std::vector<std::uint16_t> bodyFaces = {0, 1, 2, 3, 4, 5, 1, 4, 2}, propFaces = {0, 1, 2};
    // Column-major: the identity, then kJ1InverseBind.
    std::vector<float> binds = {1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1};
    for (int column = 0; column < 4; ++column) {
        for (int row = 0; row < 4; ++row) {
            binds.push_back(static_cast<float>(kJ1InverseBind[static_cast<unsigned>(row)][column]));
        }
    }
    const auto bodyPositions = floats(body, "VEC3", 3);
    const auto bodyWeights = floats(weights, "VEC4", 4);
    const auto bodyJoints = add(joints.data(), joints.size() * 2, 5123, joints.size() / 4, "VEC4");
    const auto bodyIndices = add(bodyFaces.data(), bodyFaces.size() * 2, 5123, bodyFaces.size(), "SCALAR");
    const auto propPositions = floats(prop, "VEC3", 3);
    const auto propIndices = add(propFaces.data(), propFaces.size() * 2, 5123, propFaces.size(), "SCALAR");
    const auto bindMatrices = floats(binds, "MAT4", 16);
    const auto gemPositions = floats(gem, "VEC3", 3);
    const auto gemCoords = floats(gemUvs, "VEC2", 2);
    nlohmann::json animations = nlohmann::json::array();
    for (const AnimationCase& animation : Cases()) {
        nlohmann::json samplers = nlohmann::json::array(), channels = nlohmann::json::array();
        for (const Channel& channel : animation.channels) {
            std::vector<float> values;
            for (const auto& value : channel.values) {
                for (double x : value) {
                    values.push_back(static_cast<float>(x));
                }
            }
            const auto input = floats(channel.times, "SCALAR", 1);
            const auto output = floats(values, channel.values[0].size() == 4 ? "VEC4" : "VEC3",
                                       channel.values[0].size());
            samplers.push_back({{"input", input}, {"output", output}, {"interpolation", channel.interpolation}});
            channels.push_back({{"sampler", samplers.size() - 1},
                                {"target", {{"node", channel.node}, {"path", channel.path}}}});
        }
        nlohmann::json item = {{"samplers", samplers}, {"channels", channels}};
        if (*animation.name != '\0') {
            item["name"] = animation.name;
        }
        animations.push_back(item);
    }
    using Json = nlohmann::json;
    Json nodes = Json::array();
    nodes.push_back({{"name", "top"}, {"translation", {0.5, 0, -0.25}}, {"rotation", Quaternion(1, 90)},
                     {"children", {kJ0, kBody, kArm}}});
    nodes.push_back({{"name", "j0"}, {"children", {kJ1}}});
    nodes.push_back({{"name", "j1"}, {"translation", {0, 1, 0}}, {"children", {kProp}}});
    nodes.push_back({{"name", "body"}, {"mesh", 0}, {"skin", 0}});
    nodes.push_back({{"name", "prop"}, {"mesh", 1}, {"translation", {0, 0.5, 0}}});
    nodes.push_back({{"name", "arm"}, {"translation", {-0.5, 0.25, 0.5}}, {"rotation", Quaternion(2, 60)},
                     {"children", {kHand}}});
    nodes.push_back({{"name", "hand"}, {"mesh", 2}, {"translation", {0.3, 0.4, 0}}, {"rotation", Quaternion(0, -45)}});
    Json meshes = Json::array();
    auto mesh = [&](const char* name, const Json& attributes, std::size_t indices) {
        const Json primitive = {{"attributes", attributes}, {"indices", indices}};
        meshes.push_back({{"name", name}, {"primitives", Json::array({primitive})}});
    };
    mesh("body", {{"POSITION", bodyPositions}, {"JOINTS_0", bodyJoints}, {"WEIGHTS_0", bodyWeights}}, bodyIndices);
    mesh("prop", {{"POSITION", propPositions}}, propIndices);
    mesh("gem", {{"POSITION", gemPositions}, {"TEXCOORD_0", gemCoords}}, propIndices);
    Json gltf;
    gltf["asset"] = {{"version", "2.0"}};
    gltf["scene"] = 0;
    gltf["scenes"] = Json::array({{{"nodes", {kTop}}}});
    gltf["nodes"] = nodes;
    gltf["meshes"] = meshes;
    gltf["skins"] = Json::array({{{"joints", {kJ0, kJ1}}, {"inverseBindMatrices", bindMatrices}}});
    gltf["animations"] = animations;
    gltf["buffers"] = Json::array({{{"uri", "rig.bin"}, {"byteLength", buffer.size()}}});
    gltf["bufferViews"] = views;
    gltf["accessors"] = accessors;
    EXPECT_TRUE(WriteTestFile(directory + "rig.bin", buffer));
    EXPECT_TRUE(WriteTestFile(directory + "rig.gltf", gltf.dump(1)));
    return directory + "rig.gltf";
}

TEST_F(ModelSourceTest, EveryFrameOfAWrittenRigIsTheAnalyticPose) {
    for (const float scale : {1.0f, 2.5f}) {
        SCOPED_TRACE(scale);
        ASSERT_TRUE(Convert(WriteRig(directory_), true, scale));
        const WrittenMd2 md2 = Written();
        int first = 0;
        for (const AnimationCase& animation : Cases()) {
            Frames expected;
            for (int i = 0; i < animation.frames; ++i) {
                expected.push_back(Analytic(animation, static_cast<float>(i) * (1.0f / kFps), scale));  // as floats
            }
            const double worst = ExpectFrames(md2, first, expected, animation.frameName);
            std::printf("%-12s largest error %.3f quantization steps\n", animation.frameName, worst);
            first += animation.frames;
            if (md2.NumFrames() >= first) {
                EXPECT_EQ(md2.frames[static_cast<std::size_t>(first - 1)].name,
                          animation.frameName + std::to_string(animation.frames - 1));
            }
        }
        EXPECT_EQ(md2.NumFrames(), first);
    }
}

// Without animations: rigid meshes where their nodes' rest transforms put
// them, the skinned body in its bind pose (as stored); the gem's texture
// coordinates as the file gives them.
TEST_F(ModelSourceTest, TheWrittenRigAtRestIsItsRestPoseWithItsTextureCoordinates) {
    ASSERT_TRUE(Convert(WriteRig(directory_), false));
    const WrittenMd2 md2 = Written();
    ExpectFrames(md2, 0, {Posed([](int node) {
                     return node == kJ0 ? Matrix() : node == kJ1 ? kJ1Bind : Global(RestLocal, node);
                 })},
                 "rest");
    int gemCorners = 0;
    for (const auto& triangle : md2.triangles) {
        for (int c = 0; c < 3; ++c) {
            const int v = triangle[static_cast<std::size_t>(c)] - kFirstGemVertex;
            if (v >= 0) {
                const auto& st = md2.texCoords.at(static_cast<std::size_t>(triangle[static_cast<std::size_t>(c + 3)]));
                EXPECT_EQ(st[0], kGemUvs[static_cast<std::size_t>(v)][0] * md2.SkinWidth()) << "gem vertex " << v;
                EXPECT_EQ(st[1], kGemUvs[static_cast<std::size_t>(v)][1] * md2.SkinHeight()) << "gem vertex " << v;
                ++gemCorners;
            }
        }
    }
    EXPECT_EQ(gemCorners, 3);
}

// --- Published models against the library's own scene ----------------------------

// The library's records evaluated in double precision.
using M4 = aiMatrix4x4t<double>;
using V3 = aiVector3t<double>;
using Q4 = aiQuaterniont<double>;

M4 Wide(const aiMatrix4x4& m) {
    M4 r;
    for (unsigned i = 0; i < 4; ++i) {
        for (unsigned j = 0; j < 4; ++j) {
            r[i][j] = m[i][j];
        }
    }
    return r;
}
V3 Wide(const aiVector3D& v) { return V3(v.x, v.y, v.z); }
Q4 Wide(const aiQuaternion& q) { return Q4(q.w, q.x, q.y, q.z).Normalize(); }

// Linear between neighbouring keys (spherical for rotations), held before
// the first and after the last.
template <typename Key, typename Value, typename Blend>
Value Sample(const Key* keys, unsigned n, double ticks, Blend blend) {
    unsigned i = 0;
    while (i + 1 < n && keys[i + 1].mTime <= ticks) {
        ++i;
    }
    const Value a = Wide(keys[i].mValue);
    if (i + 1 == n || ticks <= keys[i].mTime) {
        return a;
    }
    return blend(a, Wide(keys[i + 1].mValue), (ticks - keys[i].mTime) / (keys[i + 1].mTime - keys[i].mTime));
}

M4 NodeLocal(const aiNode* node, const aiAnimation* animation, double ticks) {
    for (unsigned c = 0; animation != nullptr && c < animation->mNumChannels; ++c) {
        const aiNodeAnim* ch = animation->mChannels[c];
        if (ch->mNodeName != node->mName) {
            continue;
        }
        auto lerp = [](const V3& a, const V3& b, double f) { return a + (b - a) * f; };
        auto slerp = [](const Q4& a, const Q4& b, double f) {
            Q4 q;
            Q4::Interpolate(q, a, b, f);
            return q.Normalize();
        };
        M4 scale, move;
        M4::Scaling(Sample<aiVectorKey, V3>(ch->mScalingKeys, ch->mNumScalingKeys, ticks, lerp), scale);
        M4::Translation(Sample<aiVectorKey, V3>(ch->mPositionKeys, ch->mNumPositionKeys, ticks, lerp), move);
        return move * M4(Sample<aiQuatKey, Q4>(ch->mRotationKeys, ch->mNumRotationKeys, ticks, slerp).GetMatrix()) *
               scale;
    }
    return Wide(node->mTransformation);
}

M4 NodeGlobal(const aiNode* node, const aiAnimation* animation, double ticks) {
    return node->mParent == nullptr ? NodeLocal(node, animation, ticks)
                                    : NodeGlobal(node->mParent, animation, ticks) * NodeLocal(node, animation, ticks);
}

// Every skinned mesh once, in the order of the nodes met depth first: the sum
// over its bones of weight x global x offset x position, the vertex's weights
// scaled to sum 1 as viewers blend them. A bone that names no node stays at
// its bind pose; a vertex without weights stays put.
void Evaluate(const aiScene* scene, const aiNode* node, const aiAnimation* animation, double ticks,
              std::vector<bool>* seen, std::vector<Point>* out) {
    for (unsigned i = 0; i < node->mNumMeshes; ++i) {
        const aiMesh* mesh = scene->mMeshes[node->mMeshes[i]];
        ASSERT_GT(mesh->mNumBones, 0u) << "these models are skinned";
        if ((*seen)[node->mMeshes[i]]) {
            continue;
        }
        (*seen)[node->mMeshes[i]] = true;
        std::vector<V3> sum(mesh->mNumVertices);
        std::vector<double> total(mesh->mNumVertices, 0);
        for (unsigned b = 0; b < mesh->mNumBones; ++b) {
            for (unsigned w = 0; w < mesh->mBones[b]->mNumWeights; ++w) {
                total[mesh->mBones[b]->mWeights[w].mVertexId] += mesh->mBones[b]->mWeights[w].mWeight;
            }
        }
        for (unsigned b = 0; b < mesh->mNumBones; ++b) {
            const aiBone* bone = mesh->mBones[b];
            const aiNode* boneNode = scene->mRootNode->FindNode(bone->mName);
            const M4 skin = boneNode == nullptr ? M4() : NodeGlobal(boneNode, animation, ticks) * Wide(bone->mOffsetMatrix);
            for (unsigned w = 0; w < bone->mNumWeights; ++w) {
                const aiVertexWeight& weight = bone->mWeights[w];
                sum[weight.mVertexId] +=
                    (skin * Wide(mesh->mVertices[weight.mVertexId])) * (weight.mWeight / total[weight.mVertexId]);
            }
        }
        for (unsigned v = 0; v < mesh->mNumVertices; ++v) {
            const V3 p = total[v] > 0 ? sum[v] : Wide(mesh->mVertices[v]);
            out->push_back({p.x, p.y, p.z});
        }
    }
    for (unsigned c = 0; c < node->mNumChildren; ++c) {
        Evaluate(scene, node->mChildren[c], animation, ticks, seen, out);
    }
}

std::vector<Point> Evaluate(const aiScene* scene, const aiAnimation* animation, double ticks) {
    std::vector<bool> seen(scene->mNumMeshes, false);
    std::vector<Point> out;
    Evaluate(scene, scene->mRootNode, animation, ticks, &seen, &out);
    return out;
}

class PublishedModel : public ModelSourceTest, public ::testing::WithParamInterface<const char*> {
protected:
    std::string Path() const { return std::string("/usr/share/assimp/models/") + GetParam(); }
};

TEST_P(PublishedModel, EveryFrameIsTheLibrarysSkinnedMesh) {
    Assimp::Importer importer;
    const aiScene* scene = importer.ReadFile(Path(), 0);
    ASSERT_NE(scene, nullptr) << Path() << ": " << importer.GetErrorString() << " (install assimp-testmodels)";
    ASSERT_GT(scene->mNumAnimations, 0u);
    ASSERT_TRUE(Convert(Path()));
    const WrittenMd2 md2 = Written();
    int first = 0;
    double worst = 0;
    for (unsigned a = 0; a < scene->mNumAnimations; ++a) {
        const aiAnimation* animation = scene->mAnimations[a];
        const double perSecond = animation->mTicksPerSecond > 0 ? animation->mTicksPerSecond : kDefaultTicksPerSecond;
        Frames expected;
        for (float t : SampleTimes(kFps, static_cast<float>(animation->mDuration / perSecond))) {
            expected.push_back(Evaluate(scene, animation, t * perSecond));
        }
        worst = std::max(worst, ExpectFrames(md2, first, expected, GetParam()));
        first += static_cast<int>(expected.size());
    }
    EXPECT_EQ(md2.NumFrames(), first);
    std::printf("%s: %d frames, largest error %.3f quantization steps\n", GetParam(), first, worst);
}

TEST_P(PublishedModel, TheRestPoseIsTheLibrarysMesh) {
    Assimp::Importer importer;
    const aiScene* scene = importer.ReadFile(Path(), 0);
    ASSERT_NE(scene, nullptr) << importer.GetErrorString();
    ASSERT_TRUE(Convert(Path(), false));
    std::vector<Point> positions;
    std::vector<bool> seen(scene->mNumMeshes, false);
    std::function<void(const aiNode*)> walk = [&](const aiNode* node) {
        for (unsigned i = 0; i < node->mNumMeshes; ++i) {
            const aiMesh* mesh = scene->mMeshes[node->mMeshes[i]];
            if (!seen[node->mMeshes[i]]) {
                seen[node->mMeshes[i]] = true;
                for (unsigned v = 0; v < mesh->mNumVertices; ++v) {
                    positions.push_back({mesh->mVertices[v].x, mesh->mVertices[v].y, mesh->mVertices[v].z});
                }
            }
        }
        for (unsigned c = 0; c < node->mNumChildren; ++c) {
            walk(node->mChildren[c]);
        }
    };
    walk(scene->mRootNode);
    const double worst = ExpectFrames(Written(), 0, {positions}, std::string(GetParam()) + " at rest");
    std::printf("%s at rest: largest error %.3f quantization steps\n", GetParam(), worst);
}

INSTANTIATE_TEST_SUITE_P(AssimpTestModels, PublishedModel,
                         ::testing::Values("glTF2/simple_skin/simple_skin.gltf", "X/anim_test.x",
                                           "SMD/WusonSMD.smd", "FBX/animation_with_skeleton.fbx"));

// --- Sources that cannot be exported ----------------------------------------------

TEST(ModelSourceErrors, BadSourcesGiveOneLineNamingTheFileAndExitOne) {
    const std::string dir = TestTempDir("model-source-errors");
    std::string truncatedGlb = std::string("glTF") + std::string("\x02\x00\x00\x00\xe8\x03\x00\x00", 8) +
                               std::string("\xf4\x01\x00\x00JSON", 8) + "{\"asset\":{\"version\":\"2.0\"},\"me";
    const struct {
        const char* file;
        std::string bytes;  // empty: the file does not exist
    } cases[] = {
        {"missing.gltf", ""},
        {"notes.gltf", "just a text file\n"},
        {"cut.glb", truncatedGlb},
        {"no-mesh.gltf", R"({"asset":{"version":"2.0"},"scene":0,"scenes":[{"nodes":[0]}],"nodes":[{"name":"n"}]})"},
    };
    const std::filesystem::path bin = std::filesystem::path(TestPluginPath()).parent_path();
    for (const auto& c : cases) {
        const std::string source = dir + c.file;
        if (!c.bytes.empty()) {
            ASSERT_TRUE(WriteTestFile(source, c.bytes));
        }
        const std::string out = dir + "out.md2", log = dir + "log.txt";
        const std::string command = "\"" + (bin / "corvane-host").string() + "\" export \"" + TestPluginPath() +
                                    "\" \"" + source + "\" \"" + out + "\" > \"" + log + "\" 2>&1";
        const int status = std::system(command.c_str());
        EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 1) << c.file << ": status " << status;
        EXPECT_FALSE(std::filesystem::exists(out)) << c.file;
        const std::string printed = ReadFileBytes(log);
        EXPECT_EQ(printed.rfind("cannot export " + source + ": ", 0), 0u) << printed;
        EXPECT_EQ(std::count(printed.begin(), printed.end(), '\n'), 1) << printed;
    }
}

}  // namespace

#endif  // CORVANE_HAVE_ASSIMP
