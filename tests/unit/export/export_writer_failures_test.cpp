// What WriteMd2 refuses and how it fails: missing inputs, scenes it cannot
// describe, files that cannot take the bytes.
#include <gtest/gtest.h>

#include <cstdio>

#include "unit/export/export_writer_test_support.h"

namespace {

using writertest::WriterTest;

using Md2WriterFailures = WriterTest;

TEST_F(Md2WriterFailures, NoFileOrNoSceneAnswersZero) {
    EXPECT_EQ(WriteMd2(nullptr, &state_), 0);
    state_.scene = nullptr;
    EXPECT_EQ(Write(), 0);
    EXPECT_TRUE(bytes_.empty());
}

// Faces that are not triangles of the scene's vertices are refused before
// anything is written.
TEST_F(Md2WriterFailures, FacesThatAreNotTrianglesOfSceneVerticesWriteNothing) {
    const std::vector<std::vector<int>> faces = {{0, 1, 2, 3}, {0, 1}, {0, 1, 4}, {0, -1, 2}};
    for (const std::vector<int>& corners : faces) {
        Use(RefSceneCreate());
        for (int v = 0; v < 4; ++v) {
            RefAddVertex(scene_, static_cast<float>(v), 0, static_cast<float>(v % 2));
        }
        const int group = RefAddGroup(scene_, "body");
        RefAddFace(scene_, group, {0, 1, 2});
        RefAddFace(scene_, group, corners);
        EXPECT_EQ(Write(), 0) << corners.size() << " corners";
        EXPECT_TRUE(bytes_.empty());
        ReleasePose(&pose_);
    }
}

// Every frame must hold num_xyz vertices; without posed vertices for the
// scene's vertices the frames could not, and the write fails.
TEST_F(Md2WriterFailures, MissingPosedVerticesFailTheWrite) {
    const int group = RefAddGroup(scene_, "body");
    AddTriangle(group, 0, 0, 0, 1, 0, 0, 0, 1, 0);
    std::FILE* file = PlatformOpenFile(PathOf("out.md2").u16string().c_str(), "wb");
    ASSERT_NE(file, nullptr);
    EXPECT_EQ(WriteMd2(file, &state_), 0);
    std::fclose(file);
}

// Header offsets are 32-bit: a file that would pass 2 GiB is refused before
// a byte is written (160 bytes a frame, 15 million frames).
TEST_F(Md2WriterFailures, FileBeyondThirtyTwoBitOffsetsIsRefusedUpFront) {
    const int group = RefAddGroup(scene_, "body");
    for (int t = 0; t < 10; ++t) {
        AddTriangle(group, 0, 0, 0, 1, 0, 0, 0, 1, static_cast<float>(t));
    }
    RefAddAnimation(scene_, "long", 30, 0, 5e5f);
    EXPECT_EQ(Write(), 0);
    EXPECT_TRUE(bytes_.empty());
}

// A device that takes no bytes: the write fails whether the failure shows in
// a section or only when the buffered bytes are pushed out.
TEST_F(Md2WriterFailures, DeviceWithoutSpaceAnswersZero) {
    if (TestOnWindows()) {
        GTEST_SKIP() << "/dev/full exists on Linux only";
    }
    const int group = RefAddGroup(scene_, "body");
    AddTriangle(group, 0, 0, 0, 1, 0, 0, 0, 1, 0);
    StartPose(&pose_, Host());
    for (int frames : {1, 2000}) {
        if (frames > 1) {
            RefAddAnimation(scene_, "many", static_cast<float>(frames), 0, 1);
        }
        std::FILE* full = PlatformOpenFile(u"/dev/full", "wb");
        ASSERT_NE(full, nullptr);
        EXPECT_EQ(WriteMd2(full, &state_), 0) << frames << " frames";
        std::fclose(full);
    }
}

}  // namespace
