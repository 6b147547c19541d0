// The GL command list against the triangle list: every triangle drawn
// exactly once, with the file's winding and each corner's coordinates as
// the renderer reads them, and runs as long as the meshes allow.
#include <gtest/gtest.h>

#include <algorithm>
#include <bit>
#include <filesystem>
#include <map>
#include <tuple>

#include "md2tool/gl_commands.h"
#include "md2tool/md2_file_view.h"
#include "md2tool/tool_files.h"
#include "md2tool/tool_model.h"
#include "support/decoded_frame.h"
#include "support/test_env.h"
#include "unit/md2tool/md2tool_test_support.h"

namespace {

using Corner = std::tuple<int, std::uint32_t, std::uint32_t>;  // vertex, s and t bits
using Triangle = std::array<Corner, 3>;

// The triangle rotated to start at its smallest corner: equal for the same
// corners in the same winding, different for the opposite winding.
Triangle Canonical(Triangle t) {
    std::rotate(t.begin(), std::min_element(t.begin(), t.end()), t.end());
    return t;
}

struct Mesh {
    std::vector<Md2TriangleRecord> triangles;
    std::vector<Md2TexCoordRecord> texCoords;
    int width = 64;
    int height = 64;
    int vertexCount = 0;
};

// The one comparison: the drawn triangles are the file's, as multisets.
void ExpectDrawsEveryTriangleOnce(const Mesh& mesh, const std::vector<std::int32_t>& words) {
    std::map<Triangle, int> expected;
    for (const Md2TriangleRecord& t : mesh.triangles) {
        Triangle corners;
        for (int k = 0; k < 3; ++k) {
            const Md2TexCoordRecord st = mesh.texCoords[static_cast<std::size_t>(t.index_st[k])];
            const float s = (static_cast<float>(st.s) + 0.5f) / static_cast<float>(mesh.width);
            const float u = (static_cast<float>(st.t) + 0.5f) / static_cast<float>(mesh.height);
            corners[static_cast<std::size_t>(k)] = {t.index_xyz[k], std::bit_cast<std::uint32_t>(s),
                                                    std::bit_cast<std::uint32_t>(u)};
        }
        ++expected[Canonical(corners)];
    }
    std::vector<GlDrawnTriangle> drawn;
    std::string error;
    ASSERT_TRUE(DecodeGlCommandList(words.data(), words.size(), mesh.vertexCount, &drawn, &error)) << error;
    ASSERT_EQ(words.back(), 0);
    std::map<Triangle, int> got;
    for (const GlDrawnTriangle& t : drawn) {
        Triangle corners;
        for (int k = 0; k < 3; ++k) {
            corners[static_cast<std::size_t>(k)] = {t.corners[k].vertex, std::bit_cast<std::uint32_t>(t.corners[k].s),
                                                    std::bit_cast<std::uint32_t>(t.corners[k].t)};
        }
        ++got[Canonical(corners)];
    }
    EXPECT_EQ(got, expected);
}

std::int16_t I16(int value) { return static_cast<std::int16_t>(value); }

// A grid of columns x rows quads, two triangles each, one texture coordinate
// per vertex; with `seam`, the vertices of the middle column get a second
// texture coordinate, used by the quads on its right.
Mesh Grid(int columns, int rows, bool seam = false) {
    Mesh mesh;
    const int across = columns + 1;
    mesh.vertexCount = across * (rows + 1);
    for (int v = 0; v < mesh.vertexCount; ++v) {
        mesh.texCoords.push_back({I16(v % across * 4), I16(v / across * 4)});
    }
    const int seamColumn = columns / 2;
    std::vector<int> seamSt(static_cast<std::size_t>(mesh.vertexCount), -1);
    if (seam) {
        for (int r = 0; r <= rows; ++r) {
            const int v = r * across + seamColumn;
            seamSt[static_cast<std::size_t>(v)] = static_cast<int>(mesh.texCoords.size());
            mesh.texCoords.push_back({I16(60), I16(r * 4)});
        }
    }
    for (int r = 0; r < rows; ++r) {
        for (int c = 0; c < columns; ++c) {
            const int a = r * across + c;
            const int corners[2][3] = {{a, a + across, a + 1}, {a + 1, a + across, a + across + 1}};
            for (const auto& tri : corners) {
                Md2TriangleRecord t;
                for (int k = 0; k < 3; ++k) {
                    const int v = tri[k];
                    const bool otherSide = seam && c >= seamColumn && seamSt[static_cast<std::size_t>(v)] >= 0;
                    t.index_xyz[k] = I16(v);
                    t.index_st[k] = I16(otherSide ? seamSt[static_cast<std::size_t>(v)] : v);
                }
                mesh.triangles.push_back(t);
            }
        }
    }
    return mesh;
}

// `count` triangles around vertex 0, closed when they go all the way round.
Mesh Fan(int count, bool closed) {
    Mesh mesh;
    const int ring = closed ? count : count + 1;
    mesh.vertexCount = ring + 1;
    for (int v = 0; v <= ring; ++v) {
        mesh.texCoords.push_back({I16(v), I16(2 * v)});
    }
    for (int i = 0; i < count; ++i) {
        const int a = 1 + i;
        const int b = 1 + (i + 1) % ring;
        mesh.triangles.push_back({{0, I16(a), I16(b)}, {0, I16(a), I16(b)}});
    }
    return mesh;
}

Mesh Isolated(int count) {
    Mesh mesh;
    mesh.vertexCount = 3 * count;
    for (int i = 0; i < 3 * count; ++i) {
        mesh.texCoords.push_back({I16(i), I16(i)});
    }
    for (int i = 0; i < count; ++i) {
        mesh.triangles.push_back({{I16(3 * i), I16(3 * i + 1), I16(3 * i + 2)}, {I16(3 * i + 2), I16(3 * i + 1), I16(3 * i)}});
    }
    return mesh;
}

std::vector<std::int32_t> Build(const Mesh& mesh) {
    return BuildGlCommandList(mesh.triangles, mesh.texCoords, mesh.width, mesh.height);
}

TEST(GlCommands, GeneratedMeshesAreCoveredWithTheirWindingAndRunsAsLongAsTheyAllow) {
    struct Case {
        const char* name;
        Mesh mesh;
        int runs;  // strips and fans the list must not exceed
    };
    const Case cases[] = {
        {"band", Grid(12, 1), 1},
        {"grid", Grid(8, 8), 8},
        {"closed fan", Fan(8, true), 1},
        {"open fan", Fan(5, false), 1},
        {"isolated", Isolated(5), 5},
        {"seams", Grid(6, 4, true), 12},  // 48 triangles, four a run on average
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const std::vector<std::int32_t> words = Build(c.mesh);
        ExpectDrawsEveryTriangleOnce(c.mesh, words);
        const GlCommandStats stats = CountGlRuns(words);
        EXPECT_LE(stats.strips + stats.fans, c.runs);
    }
}

// Texture coordinates only chain when they agree: the seam splits the grid,
// so no run may take triangles from both sides.
TEST(GlCommands, RunsDoNotCrossTextureSeams) {
    const Mesh mesh = Grid(6, 4, true);
    const std::vector<std::int32_t> words = Build(mesh);
    std::size_t at = 0;
    while (words[at] != 0) {
        const int count = std::abs(words[at]);
        bool left = false;
        bool right = false;
        for (int i = 0; i < count; ++i) {
            const float s = std::bit_cast<float>(words[at + 1 + 3 * static_cast<std::size_t>(i)]);
            left = left || s < (12.0f + 0.5f) / 64.0f;
            right = right || s > (12.0f + 0.5f) / 64.0f;
        }
        EXPECT_FALSE(left && right) << "run at word " << at;
        at += 1 + 3 * static_cast<std::size_t>(count);
    }
}

// Published models whose GL commands other tools made: theirs and ours,
// built from their triangles, cover them; ours is no longer than theirs.
TEST(GlCommands, PublishedModelsWithTheirListsStripped) {
    if (TestOnWindows()) {
        GTEST_SKIP() << "the published models are read from the Linux file system";
    }
    struct Published {
        const char* file;
        int theirWords;
    };
    for (const Published& model : {Published{"faerie.md2", 3335}, Published{"sydney.md2", 3326}}) {
        SCOPED_TRACE(model.file);
        std::vector<std::uint8_t> bytes;
        std::string error;
        ASSERT_TRUE(ReadFileBytes(std::string("/usr/share/assimp/models/MD2/") + model.file, &bytes, &error)) << error;
        Md2FileView view;
        ASSERT_TRUE(OpenMd2View(bytes.data(), bytes.size(), &view, &error));
        ASSERT_EQ(view.header.num_glcmds, model.theirWords);
        Mesh mesh;
        mesh.width = view.header.skinwidth;
        mesh.height = view.header.skinheight;
        mesh.vertexCount = view.header.num_xyz;
        for (int i = 0; i < view.header.num_tris; ++i) {
            mesh.triangles.push_back(TriangleAt(view, i));
        }
        for (int i = 0; i < view.header.num_st; ++i) {
            mesh.texCoords.push_back(TexCoordAt(view, i));
        }
        // Their list, made by other tools, agrees with the winding and the
        // coordinates expected here.
        std::vector<std::int32_t> theirs;
        for (int i = 0; i < view.header.num_glcmds; ++i) {
            theirs.push_back(GlCommandWordAt(view, i));
        }
        ExpectDrawsEveryTriangleOnce(mesh, theirs);
        const std::vector<std::int32_t> words = Build(mesh);
        ExpectDrawsEveryTriangleOnce(mesh, words);
        EXPECT_LE(static_cast<int>(words.size()), model.theirWords);
    }
}

// The rewritten file keeps every other byte; a list that lay before the
// frames is replaced where it was and the frames' offset follows it.
TEST(GlCommands, RewriteKeepsEveryOtherSectionAndMovesTheOnesBehind) {
    const Md2BuilderModel model = MakeToolModel(8, 6, 3);
    Md2Layout layout;
    const std::vector<std::uint8_t> atEnd = BuildMd2File(model, &layout);
    // The same file with its one-word list moved in front of the frames.
    std::vector<std::uint8_t> inFront(atEnd.begin(), atEnd.begin() + static_cast<long>(layout.ofsFrames));
    inFront.insert(inFront.end(), 4, 0);
    inFront.insert(inFront.end(), atEnd.begin() + static_cast<long>(layout.ofsFrames), atEnd.end() - 4);
    PutI32(inFront, kFieldOfsGlcmds, static_cast<std::int32_t>(layout.ofsFrames));
    PutI32(inFront, kFieldOfsFrames, static_cast<std::int32_t>(layout.ofsFrames + 4));
    // A triangle that names one corner twice, strung with two that name it
    // thrice: the list draws it from the other of its equal corners.
    Md2BuilderModel repeatedCorners = model;
    repeatedCorners.triangles = {{0, 1, 0, 0, 0, 0}, {0, 0, 0, 0, 0, 0}, {0, 0, 0, 0, 0, 0}};
    const std::vector<std::uint8_t> repeated = BuildMd2File(repeatedCorners);

    for (const std::vector<std::uint8_t>* file : {&atEnd, static_cast<const std::vector<std::uint8_t>*>(&inFront),
                                                  static_cast<const std::vector<std::uint8_t>*>(&repeated)}) {
        std::vector<std::uint8_t> out;
        GlRewriteStats stats{};
        std::string error;
        ASSERT_TRUE(AddGlCommands(*file, &out, &stats, &error)) << error;
        EXPECT_TRUE(VerifyGlRewrite(*file, out, &error)) << error;
        const std::size_t listAt = static_cast<std::size_t>(GetI32(out, kFieldOfsGlcmds));
        const std::size_t listBytes = 4 * static_cast<std::size_t>(GetI32(out, kFieldNumGlcmds));
        EXPECT_EQ(listAt, static_cast<std::size_t>(GetI32(*file, kFieldOfsGlcmds)));
        EXPECT_EQ(static_cast<std::size_t>(GetI32(out, kFieldOfsEnd)), out.size());
        EXPECT_EQ(out.size(), file->size() - 4 + listBytes);
        // Everything but the list and the header's list, frame and end fields.
        std::vector<std::uint8_t> before(*file);
        std::vector<std::uint8_t> after(out);
        after.erase(after.begin() + static_cast<long>(listAt), after.begin() + static_cast<long>(listAt + listBytes));
        before.erase(before.begin() + static_cast<long>(listAt), before.begin() + static_cast<long>(listAt + 4));
        for (std::size_t field : {kFieldNumGlcmds, kFieldOfsFrames, kFieldOfsGlcmds, kFieldOfsEnd}) {
            PutI32(before, field, 0);
            PutI32(after, field, 0);
        }
        EXPECT_EQ(after, before);
        // The reader finds the same frames in both files.
        Md2Model original;
        Md2Model rewritten;
        ASSERT_TRUE(LoadModelForTool(file->data(), file->size(), &original, &error)) << error;
        ASSERT_TRUE(LoadModelForTool(out.data(), out.size(), &rewritten, &error)) << error;
        ASSERT_EQ(original.frameCount, rewritten.frameCount);
        for (int f = 0; f < original.frameCount; ++f) {
            const std::vector<Md2Position> before = DecodedFrame(original.frames[f]);
            const std::vector<Md2Position> after = DecodedFrame(rewritten.frames[f]);
            ASSERT_EQ(before.size(), after.size());
            for (std::size_t v = 0; v < before.size(); ++v) {
                EXPECT_EQ(before[v].z, after[v].z);
            }
        }
        ReleaseToolModel(&original);
        ReleaseToolModel(&rewritten);
    }
}

}  // namespace

// The check a rewrite passes before it replaces a file refuses every change
// beyond the list.
TEST(GlCommands, VerificationRefusesAnyChangeBeyondTheList) {
    Md2Layout layout;
    const std::vector<std::uint8_t> in = BuildMd2File(MakeToolModel(8, 6, 3), &layout);
    const std::vector<std::uint8_t> good = WithGlCommands(in);
    std::string error;
    ASSERT_TRUE(VerifyGlRewrite(in, good, &error)) << error;
    const std::size_t listAt = static_cast<std::size_t>(GetI32(good, kFieldOfsGlcmds));
    struct Tamper {
        const char* what;
        std::size_t at;  // the byte changed, or the field set to `value`
        bool field;
        std::int32_t value;
    };
    const Tamper tampers[] = {
        {"a skin byte", layout.ofsSkins + 3, false, 0},
        {"a texture coordinate", layout.ofsSt + 1, false, 0},
        {"a triangle index", layout.ofsTris, false, 0},
        {"a frame's vertex", layout.ofsFrames + 40, false, 0},
        {"the version", kFieldVersion, true, 7},
        {"the skin width", kFieldSkinWidth, true, 32},
        {"the list moved over the header", kFieldOfsGlcmds, true, 0},
        {"the list moved over the frames", kFieldOfsGlcmds, true, static_cast<std::int32_t>(layout.ofsFrames)},
        {"a list word", listAt + 8, false, 0},
        {"the list cut short", kFieldNumGlcmds, true, 3},
    };
    for (const Tamper& t : tampers) {
        SCOPED_TRACE(t.what);
        std::vector<std::uint8_t> out = good;
        if (t.field) {
            PutI32(out, t.at, t.value);
        } else {
            out[t.at] ^= 0x5A;
        }
        EXPECT_FALSE(VerifyGlRewrite(in, out, &error));
    }
}
