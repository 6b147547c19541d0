// The reference host's own behaviour, through the same typed calls the
// plug-in uses: what tests of the plug-in rely on must hold here first.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "host/call_log.h"
#include "host/ref_runs.h"
#include "host/ref_scene.h"
#include "host_api/host_ops.h"
#include "support/test_env.h"
#include "util/text.h"

#if defined(CORVANE_REF_RUNS_POISONED)
#include <sanitizer/asan_interface.h>
#endif

namespace {

std::string Le16(int v) { return {static_cast<char>(v & 0xFF), static_cast<char>((v >> 8) & 0xFF)}; }
std::string Le32(int v) { return Le16(v & 0xFFFF) + Le16((v >> 16) & 0xFFFF); }
std::string Be32(int v) {
    return {static_cast<char>((v >> 24) & 0xFF), static_cast<char>((v >> 16) & 0xFF),
            static_cast<char>((v >> 8) & 0xFF), static_cast<char>(v & 0xFF)};
}

HostImage* Load(RefScene* scene, const std::string& path) {
    TextPair pair;
    TextPairFromNarrow(&pair, path.c_str());
    return LoadImage(RefSceneHost(scene), &pair, 1);
}

}  // namespace

TEST(RefHostImages, LoadImageReadsTheSizeOfEachKnownFormat) {
    std::string dir = TestTempDir("ref-host-images");
    std::string pcx(128, '\0');
    pcx[0] = 0x0A;
    pcx[1] = 5;
    pcx[2] = 1;
    pcx.replace(4, 8, Le16(2) + Le16(3) + Le16(2 + 255) + Le16(3 + 127));
    std::string tga(18, '\0');
    tga[2] = 2;
    tga.replace(12, 4, Le16(64) + Le16(32));
    std::string bmp = "BM" + std::string(16, '\0') + Le32(320) + Le32(-200) + std::string(40, '\0');
    std::string png = std::string("\x89PNG\r\n\x1a\n", 8) + Be32(13) + "IHDR" + Be32(512) + Be32(384) +
                      std::string(5, '\0');
    ASSERT_TRUE(WriteTestFile(dir + "skin.pcx", pcx));
    ASSERT_TRUE(WriteTestFile(dir + "skin.tga", tga));
    ASSERT_TRUE(WriteTestFile(dir + "skin.bmp", bmp));
    ASSERT_TRUE(WriteTestFile(dir + "skin.png", png));
    ASSERT_TRUE(WriteTestFile(dir + "notes.txt", "not an image at all, just some text"));

    RefScene* scene = RefSceneCreate();
    struct Case {
        const char* name;
        int width;
        int height;
    } cases[] = {{"skin.pcx", 256, 128}, {"skin.tga", 64, 32}, {"skin.bmp", 320, 200}, {"skin.png", 512, 384}};
    for (const Case& c : cases) {
        HostImage* image = Load(scene, dir + c.name);
        ASSERT_NE(image, nullptr) << c.name;
        EXPECT_EQ(image->width, c.width) << c.name;
        EXPECT_EQ(image->height, c.height) << c.name;
        ReleaseImage(RefSceneHost(scene), image);
    }
    EXPECT_EQ(Load(scene, dir + "notes.txt"), nullptr);
    EXPECT_EQ(Load(scene, dir + "missing.pcx"), nullptr);
    RefSceneDestroy(scene);
}

TEST(RefHostScene, TriangulateFansPolygonsAndRefusesDegenerateFaces) {
    RefScene* scene = RefSceneCreate();
    for (int i = 0; i < 5; ++i) {
        RefAddVertex(scene, static_cast<float>(i), 0, 0);
    }
    int group = RefAddGroup(scene, "body");
    RefAddFace(scene, group, {0, 1, 2, 3, 4}, {10, 11, 12, 13, 14}, 2);
    RefAddFace(scene, group, {4, 3, 2});
    HostScene* host = RefSceneHost(scene);
    ASSERT_EQ(Triangulate(host), 1);
    const HostMesh& mesh = host->meshes.items[0];
    ASSERT_EQ(mesh.faceCount, 4);
    const int expected[4][3] = {{0, 1, 2}, {0, 2, 3}, {0, 3, 4}, {4, 3, 2}};
    for (int f = 0; f < 4; ++f) {
        ASSERT_EQ(mesh.faces[f].cornerCount, 3);
        for (int c = 0; c < 3; ++c) {
            EXPECT_EQ(mesh.faces[f].vertexIndices[c], expected[f][c]) << f << "," << c;
        }
    }
    EXPECT_EQ(mesh.faces[1].uv->coordIndices[2], 13);
    EXPECT_EQ(mesh.faces[2].materialIndex, 2);

    RefAddFace(scene, group, {0, 1});
    EXPECT_EQ(Triangulate(host), 0);
    RefSceneDestroy(scene);
}

TEST(RefHostScene, ImportOperationsNumberFromZeroAndGiveFacesTheirArrays) {
    RefScene* scene = RefSceneCreate();
    HostScene* host = RefSceneHost(scene);
    EXPECT_EQ(host->materials.items, nullptr);
    EXPECT_EQ(host->groups.items, nullptr);

    TextPair name;
    TextPairFromWide(&name, u"skin.pcx");
    HostMaterial* material = AddMaterial(host, &name);
    ASSERT_NE(material, nullptr);
    EXPECT_EQ(material, &host->materials.items[0]);
    EXPECT_EQ(TextureLayer(material, 0), nullptr);
    HostTextureLayer* layer = OpenTextureLayer(material, 0, 1);
    ASSERT_NE(layer, nullptr);
    EXPECT_EQ(TextureLayer(material, 0), layer);

    ASSERT_EQ(AllocVertices(host, 4), 1);
    EXPECT_EQ(host->vertices.count, 4);
    TextPairFromWide(&name, u"stand01");
    ASSERT_NE(AddGroup(host, &name, -1), nullptr);
    EXPECT_EQ(host->groups.count, 1);
    EXPECT_EQ(std::u16string(host->groups.items[0].name.wide), u"stand01");
    HostMesh* mesh = NewestMesh(host);
    ASSERT_EQ(mesh, &host->meshes.items[0]);
    ASSERT_EQ(AllocFaces(mesh, 2), 1);
    ASSERT_EQ(mesh->faceCount, 2);
    for (int f = 0; f < 2; ++f) {
        EXPECT_EQ(mesh->faces[f].cornerCount, 3);
        ASSERT_NE(mesh->faces[f].vertexIndices, nullptr);
        ASSERT_NE(mesh->faces[f].uv, nullptr);
        ASSERT_NE(mesh->faces[f].uv->cornerUVs, nullptr);
    }
    mesh->faces[1].uv->cornerUVs[2].u = 0.25f;
    PostImport(host, 1);
    ASSERT_NE(host->texCoordSet, nullptr);
    EXPECT_EQ(host->texCoordSet->coords[mesh->faces[1].uv->coordIndices[2]].u, 0.25f);
    RefSceneDestroy(scene);
}

TEST(RefHostScene, PresenceOfListsCanBeForced) {
    RefScene* scene = RefSceneCreate();
    HostScene* host = RefSceneHost(scene);
    EXPECT_EQ(host->animations.items, nullptr);
    RefSetPresence(scene, RefList::Animations, RefPresence::Present);
    EXPECT_NE(host->animations.items, nullptr);
    EXPECT_EQ(host->animations.count, 0);
    RefAddVertex(scene, 1, 2, 3);
    RefSetPresence(scene, RefList::Vertices, RefPresence::Absent);
    EXPECT_EQ(host->vertices.items, nullptr);
    EXPECT_EQ(host->vertices.count, 1);
    RefSceneDestroy(scene);
}

TEST(RefHostScene, UnlistedSlotsTrapAndAnswerZero) {
    ClearHostCallLog();
    RefScene* scene = RefSceneCreate();
    HostScene* host = RefSceneHost(scene);
    auto unlisted = reinterpret_cast<void* (*)(HostScene*)>(host->ops[17]);
    EXPECT_EQ(unlisted(host), nullptr);
    auto traps = HostTrapCalls();
    ASSERT_EQ(traps.size(), 1u);
    EXPECT_EQ(traps[0].object, "scene");
    EXPECT_EQ(traps[0].slot, 17);
    ClearHostCallLog();
    RefSceneDestroy(scene);
}

TEST(RefHostScene, TimeRangeAndMaterialCounts) {
    RefScene* scene = RefSceneCreate();
    HostScene* host = RefSceneHost(scene);
    RefAddAnimation(scene, "run", 10, 0, 1.5f);
    float start = -1;
    float end = -1;
    GetTimeRange(&host->animations.items[0], &start, &end);
    EXPECT_EQ(start, 0.0f);
    EXPECT_EQ(end, 1.5f);

    for (int i = 0; i < 3; ++i) {
        RefAddVertex(scene, 0, 0, 0);
    }
    int a = RefAddGroup(scene, "a");
    int b = RefAddGroup(scene, "b");
    RefAddFace(scene, a, {0, 1, 2}, {}, 0);
    RefAddFace(scene, a, {0, 1, 2}, {}, 1);
    RefAddFace(scene, b, {0, 1, 2}, {}, 1);
    PreMaterialCheck(host);
    EXPECT_EQ(host->groups.items[0].materialCount, 2);
    EXPECT_EQ(host->groups.items[1].materialCount, 1);
    // A material used again, a face without one and a group without faces.
    int c = RefAddGroup(scene, "c");
    RefAddFace(scene, a, {0, 1, 2}, {}, 0);
    RefAddFace(scene, b, {0, 1, 2}, {}, -1);
    PreMaterialCheck(host);
    EXPECT_EQ(host->groups.items[a].materialCount, 2);
    EXPECT_EQ(host->groups.items[b].materialCount, 1);
    EXPECT_EQ(host->groups.items[c].materialCount, 0);
    RefSceneDestroy(scene);
}

namespace {

// Corners of face f: 3 to 7, so that faces of every size share the blocks.
int CornersOf(int f) { return 3 + f % 5; }

// Adds `faces` faces to a new group of `scene`, each corner naming vertex
// f * 10 + c and coordinate f * 10 + c + 5, and marks every corner's
// coordinates with its own value.
int AddMarkedFaces(RefScene* scene, int faces) {
    int group = RefAddGroup(scene, "body");
    for (int f = 0; f < faces; ++f) {
        std::vector<int> vertices;
        std::vector<int> coords;
        for (int c = 0; c < CornersOf(f); ++c) {
            vertices.push_back(f * 10 + c);
            coords.push_back(f * 10 + c + 5);
        }
        RefAddFace(scene, group, vertices, coords, f % 3);
    }
    const HostMesh& mesh = RefSceneHost(scene)->meshes.items[group];
    for (int f = 0; f < faces; ++f) {
        for (int c = 0; c < CornersOf(f); ++c) {
            mesh.faces[f].uv->cornerUVs[c].u = static_cast<float>(f);
            mesh.faces[f].uv->cornerUVs[c].v = static_cast<float>(c);
        }
    }
    return group;
}

}  // namespace

TEST(RefHostScene, FacesOfManySizesKeepTheirOwnArrays) {
    RefScene* scene = RefSceneCreate();
    HostScene* host = RefSceneHost(scene);
    const int faces = 300;
    const int group = AddMarkedFaces(scene, faces);
    const HostMesh& mesh = host->meshes.items[group];
    ASSERT_EQ(mesh.faceCount, faces);
    for (int f = 0; f < faces; ++f) {
        const HostFace& face = mesh.faces[f];
        ASSERT_EQ(face.cornerCount, CornersOf(f));
        EXPECT_EQ(face.materialIndex, f % 3);
        for (int c = 0; c < face.cornerCount; ++c) {
            EXPECT_EQ(face.vertexIndices[c], f * 10 + c) << f << "," << c;
            EXPECT_EQ(face.uv->coordIndices[c], f * 10 + c + 5) << f << "," << c;
            EXPECT_EQ(face.uv->cornerUVs[c].u, static_cast<float>(f)) << f << "," << c;
            EXPECT_EQ(face.uv->cornerUVs[c].v, static_cast<float>(c)) << f << "," << c;
        }
    }

    // Every fan keeps the first corner and the pair it spans.
    ASSERT_EQ(Triangulate(host), 1);
    const HostMesh& fans = host->meshes.items[group];
    int at = 0;
    for (int f = 0; f < faces; ++f) {
        for (int k = 1; k + 1 < CornersOf(f); ++k, ++at) {
            ASSERT_LT(at, fans.faceCount);
            const HostFace& fan = fans.faces[at];
            const int corners[3] = {0, k, k + 1};
            for (int c = 0; c < 3; ++c) {
                EXPECT_EQ(fan.vertexIndices[c], f * 10 + corners[c]) << f << "," << k;
                EXPECT_EQ(fan.uv->coordIndices[c], f * 10 + corners[c] + 5) << f << "," << k;
                EXPECT_EQ(fan.uv->cornerUVs[c].v, static_cast<float>(corners[c])) << f << "," << k;
            }
        }
    }
    EXPECT_EQ(at, fans.faceCount);
    RefSceneDestroy(scene);
}

TEST(RefHostScene, AResetSceneGivesNewFacesZeroArrays) {
    RefScene* scene = RefSceneCreate();
    HostScene* host = RefSceneHost(scene);
    AddMarkedFaces(scene, 40);
    ASSERT_EQ(Triangulate(host), 1);
    RefSceneReset(scene);
    // The same group again, its faces made without coordinates.
    int group = RefAddGroup(scene, "again");
    for (int f = 0; f < 40; ++f) {
        RefAddFace(scene, group, std::vector<int>(static_cast<std::size_t>(CornersOf(f)), 1));
    }
    for (int f = 0; f < 40; ++f) {
        const HostFace& face = host->meshes.items[group].faces[f];
        for (int c = 0; c < CornersOf(f); ++c) {
            EXPECT_EQ(face.uv->coordIndices[c], 0) << f;
            EXPECT_EQ(face.uv->cornerUVs[c].u, 0.0f) << f;
            EXPECT_EQ(face.uv->cornerUVs[c].v, 0.0f) << f;
        }
    }
    ASSERT_EQ(AllocFaces(&host->meshes.items[group], 60), 1);
    const HostMesh& mesh = host->meshes.items[group];
    ASSERT_EQ(mesh.faceCount, 60);
    for (int f = 0; f < mesh.faceCount; ++f) {
        for (int c = 0; c < 3; ++c) {
            EXPECT_EQ(mesh.faces[f].vertexIndices[c], 0) << f;
            EXPECT_EQ(mesh.faces[f].uv->coordIndices[c], 0) << f;
            EXPECT_EQ(mesh.faces[f].uv->cornerUVs[c].u, 0.0f) << f;
            EXPECT_EQ(mesh.faces[f].uv->cornerUVs[c].v, 0.0f) << f;
        }
    }
    RefSceneDestroy(scene);
}

TEST(RefHostScene, ResetGivesTheSceneOfACreate) {
    RefScene* fresh = RefSceneCreate();
    RefScene* scene = RefSceneCreate();
    HostScene* host = RefSceneHost(scene);
    RefAddVertex(scene, 1, 2, 3);
    RefAddTexCoord(scene, 0.5f, 0.5f);
    RefAddMaterial(scene, "skin", "skin.pcx");
    RefAddFace(scene, RefAddGroup(scene, "body"), {0, 0, 0});
    RefAddBone(scene, RefBoneSetup{});
    RefAddAnimation(scene, "run", 10, 0, 1);
    RefSetFilePath(scene, "/tmp/x.md2");
    RefSetPresence(scene, RefList::PlacedItemsA, RefPresence::Present);
    RefSetAnswer(scene, RefAnswer::AllocVertices, 0);
    ASSERT_NE(GetParentWindow(host), nullptr);
    RefSceneReset(scene);
    EXPECT_EQ(std::memcmp(host, RefSceneHost(fresh), sizeof(HostScene)), 0);
    EXPECT_EQ(RefParentWindow(scene), nullptr);
    ASSERT_EQ(AllocVertices(host, 2), 1);
    EXPECT_EQ(host->vertices.count, 2);
    RefSceneDestroy(scene);
    RefSceneDestroy(fresh);
}

#if defined(CORVANE_REF_RUNS_POISONED)
TEST(RefHostScene, UnderAddressSanitizerReplacedFaceArraysArePoisoned) {
    RefScene* scene = RefSceneCreate();
    HostScene* host = RefSceneHost(scene);
    const int group = AddMarkedFaces(scene, 10);
    const HostFace polygon = host->meshes.items[group].faces[0];
    const std::int32_t* polygonCoords = polygon.uv->coordIndices;
    // Past the last corner of a face is not readable.
    EXPECT_TRUE(__asan_address_is_poisoned(polygon.vertexIndices + polygon.cornerCount));
    ASSERT_EQ(Triangulate(host), 1);
    EXPECT_TRUE(__asan_address_is_poisoned(polygon.vertexIndices));
    EXPECT_TRUE(__asan_address_is_poisoned(polygonCoords));
    EXPECT_TRUE(__asan_address_is_poisoned(polygon.uv));
    const HostFace fan = host->meshes.items[group].faces[0];
    EXPECT_FALSE(__asan_address_is_poisoned(fan.vertexIndices + 2));
    ASSERT_EQ(AllocFaces(&host->meshes.items[group], 2), 1);
    EXPECT_TRUE(__asan_address_is_poisoned(fan.vertexIndices));
    // A reset empties the runs of the faces that were left.
    const HostFace allocated = host->meshes.items[group].faces[0];
    EXPECT_FALSE(__asan_address_is_poisoned(allocated.uv));
    RefSceneReset(scene);
    EXPECT_TRUE(__asan_address_is_poisoned(allocated.uv));
    RefSceneDestroy(scene);
}
#endif
