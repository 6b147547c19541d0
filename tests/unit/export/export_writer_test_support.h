// Shared by the writer and frame encoding tests: a reference scene set as the
// current scene, the pose working arrays, a temporary file to write into, and
// reading the written bytes back raw and through the reader.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <cstdio>
#include <algorithm>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "anim/pose_state.h"
#include "export/export_settings.h"
#include "export/export_state.h"
#include "host/ref_scene.h"
#include "md2/md2_model.h"
#include "export/export_writer.h"
#include "platform/platform.h"
#include "plugin/plugin_state.h"
#include "support/md2_builder.h"
#include "support/test_env.h"
#include "unit/md2/md2_test_support.h"

namespace writertest {

inline std::int16_t GetI16(const std::vector<std::uint8_t>& bytes, std::size_t offset) {
    return static_cast<std::int16_t>(static_cast<std::uint16_t>(bytes.at(offset) | bytes.at(offset + 1) << 8));
}

inline float GetF32(const std::vector<std::uint8_t>& bytes, std::size_t offset) {
    std::uint32_t bits = static_cast<std::uint32_t>(GetI32(bytes, offset));
    float value;
    std::memcpy(&value, &bits, sizeof(value));
    return value;
}

// The text of a fixed-size field: up to its first NUL, or all of it.
inline std::string FieldText(const std::vector<std::uint8_t>& bytes, std::size_t offset, std::size_t size) {
    std::string text;
    for (std::size_t i = 0; i < size && bytes.at(offset + i) != 0; ++i) {
        text.push_back(static_cast<char>(bytes[offset + i]));
    }
    return text;
}

inline std::vector<std::uint8_t> ReadWholeFile(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    return std::vector<std::uint8_t>(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

inline void SetSkinDirectory(const std::u16string& directory) {
    ExportSettings* settings = CurrentExportSettings();
    std::memset(settings->localSkinDirectory, 0, sizeof(settings->localSkinDirectory));
    std::memcpy(settings->localSkinDirectory, directory.data(),
                sizeof(char16_t) * std::min<std::size_t>(directory.size(), kLocalSkinDirectoryUnits));
}

// One reference scene per test, current while the test runs; the settings
// start at their defaults and the model, arrays and settings are left clean.
class WriterTest : public ::testing::Test {
protected:
    void SetUp() override {
        scene_ = RefSceneCreate();
        ResetExportSettings();
        state_.scene = RefSceneHost(scene_);
        state_.settings = CurrentExportSettings();
        const ::testing::TestInfo* test = ::testing::UnitTest::GetInstance()->current_test_info();
        dir_ = TestTempDir(std::string(test->test_suite_name()) + "." + test->name());
    }
    void TearDown() override {
        ReleasePose(&pose_);
        ReleaseImportRecord(TestRecord());
        ResetExportSettings();
        RefSceneDestroy(scene_);
    }

    HostScene* Host() { return RefSceneHost(scene_); }
    void Use(RefScene* scene) {
        RefSceneDestroy(scene_);
        scene_ = scene;
        state_.scene = RefSceneHost(scene_);
    }
    std::filesystem::path PathOf(const std::string& name) { return std::filesystem::u8path(dir_ + name); }

    // Starts the pose as the write request does, then runs WriteMd2 into a
    // fresh file and keeps its bytes.
    int Write(const std::string& name = "out.md2") {
        StartPose(&pose_, Host());
        const std::filesystem::path path = PathOf(name);
        std::FILE* file = PlatformOpenFile(path.u16string().c_str(), "wb");
        EXPECT_NE(file, nullptr);
        if (file == nullptr) {
            return -1;
        }
        const int answer = WriteMd2(file, &state_);
        EXPECT_EQ(std::fclose(file), 0);
        bytes_ = ReadWholeFile(path);
        return answer;
    }

    // Writes and expects success and a file as long as its header says.
    void WriteOk() {
        ASSERT_EQ(Write(), 1);
        ASSERT_GE(bytes_.size(), kMd2BuilderHeaderBytes);
        ASSERT_EQ(static_cast<std::size_t>(Field(kFieldOfsEnd)), bytes_.size());
    }

    std::int32_t Field(Md2HeaderField field) const { return GetI32(bytes_, field); }

    // The written bytes through the plug-in's own reader.
    const Md2Model* ParseWritten() {
        EXPECT_EQ(ParseBytes(bytes_), 1);
        return TestModel();
    }

    // A triangle of three new vertices in group `group`.
    int AddTriangle(int group, float x0, float y0, float z0, float x1, float y1, float z1, float x2, float y2,
                    float z2, const std::vector<int>& coords = {}) {
        const int a = RefAddVertex(scene_, x0, y0, z0);
        const int b = RefAddVertex(scene_, x1, y1, z1);
        const int c = RefAddVertex(scene_, x2, y2, z2);
        return RefAddFace(scene_, group, {a, b, c}, coords);
    }

    RefScene* scene_ = nullptr;
    ExportState state_{};
    PoseState& pose_ = state_.pose;
    std::string dir_;
    std::vector<std::uint8_t> bytes_;
};

}  // namespace writertest
