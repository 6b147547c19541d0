// Scene files: every number comes back bit for bit (the Windows host exports
// from them what the Linux host converted), and files that are not scene
// files, or whose indices point nowhere, are refused with a reason.
#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <string>

#include <nlohmann/json.hpp>

#include "host/scene_file.h"
#include "support/test_env.h"
#include "unit/export/export_test_support.h"

namespace {

// Numbers that a short decimal form would not give back exactly.
SceneDesc AwkwardScene(const std::string& texture) {
    SceneDesc desc;
    const float awkward[] = {0.1f, 1.0f / 3, -1e-7f, 16777217.0f, 3.4028235e38f, -0.0f};
    for (float x : awkward) {
        SceneVertex vertex;
        vertex.position[0] = x;
        vertex.position[1] = -x / 7;
        vertex.normal[2] = std::nextafter(x, 1.0f);
        vertex.weights = {{0, x / 3}, {1, 1 - x / 3}};
        desc.vertices.push_back(vertex);
        HostTexCoord coord{};
        coord.u = x / 11;
        desc.texCoords.push_back(coord);
    }
    desc.materials.push_back({"skin", texture});
    desc.groups.push_back({"body", {{{0, 1, 2}, {0, 1, 2}, 0}, {{3, 4, 5, 1}, {}, -1}}});
    SceneBone root;
    root.name = "root";
    root.setup.rotation[0] = 0.1f;
    root.setup.global[3] = 1.0f / 3;
    SceneBone child = root;
    child.name = "child";
    child.setup.parent = 0;
    desc.bones = {root, child};
    desc.animations.push_back({"walk", 10, 0, 1.0f / 3, {{1, {{0, 0.1f, 0.2f, 0.3f}}, {{1.0f / 3, 0, 0.6f, 0, 0.8f}}, {}}}});
    return desc;
}

TEST(SceneFile, EveryNumberComesBackBitForBit) {
    const std::string dir = TestTempDir("scene-file-round-trip");
    const SceneDesc written = AwkwardScene(dir + "skins/skin.tga");
    std::string why;
    ASSERT_TRUE(WriteSceneFile(written, dir + "scene.json", &why)) << why;
    SceneDesc read;
    ASSERT_TRUE(ReadSceneFile(dir + "scene.json", &read, &why)) << why;
    EXPECT_EQ(read.materials[0].texture, dir + "skins/skin.tga");
    // Numbers are written in the shortest form that reads back as the same
    // double: the same text again means the same bits, names and indices.
    ASSERT_TRUE(WriteSceneFile(read, dir + "again.json", &why)) << why;
    const std::string first = ReadFileBytes(dir + "scene.json");
    EXPECT_EQ(first, ReadFileBytes(dir + "again.json"));
    // Textures below the scene file's folder are stored relative to it.
    EXPECT_NE(first.find("\"skins/skin.tga\""), std::string::npos);
    EXPECT_NE(first.find("-0.0,"), std::string::npos) << "the sign of zero is kept";
}

TEST(SceneFile, FilesThatAreNotSceneFilesAreRefusedWithAReason) {
    const std::string dir = TestTempDir("scene-file-refused");
    std::string good;
    {
        std::string why;
        ASSERT_TRUE(WriteSceneFile(AwkwardScene(""), dir + "good.json", &why));
        good = ReadFileBytes(dir + "good.json");
    }
    auto edited = [&good](const std::function<void(nlohmann::json&)>& edit) {
        nlohmann::json root = nlohmann::json::parse(good);
        edit(root);
        return root.dump();
    };
    const struct {
        const char* name;
        std::string text;
        const char* reason;  // part of the reason given
    } cases[] = {
        {"not-json", "a text file\n", "parse"},
        {"other-json", "{\"vertices\": []}", "not a scene file"},
        {"cut-short", good.substr(0, good.size() / 2), "parse"},
        {"vertex-out-of-range", edited([](nlohmann::json& j) { j["groups"][0]["faces"][0]["vertices"][0] = 6; }),
         "vertex"},
        {"bone-before-parent", edited([](nlohmann::json& j) { j["bones"][1]["parent"] = 1; }), "parent"},
        {"short-key",
         edited([](nlohmann::json& j) { j["animations"][0]["tracks"][0]["positions"][0].erase(0); }), "numbers"},
    };
    for (const auto& c : cases) {
        const std::string path = dir + c.name + ".json";
        ASSERT_TRUE(WriteTestFile(path, c.text));
        SceneDesc desc;
        std::string why;
        EXPECT_FALSE(ReadSceneFile(path, &desc, &why)) << c.name;
        EXPECT_NE(why.find(c.reason), std::string::npos) << c.name << ": " << why;
    }
}

}  // namespace
