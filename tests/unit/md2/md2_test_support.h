// Shared by the reader's tests: running the parser over exact-size buffers,
// scenes that name a file, and the checks every failed read must pass.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "md2/md2_model.h"
#include "md2/md2_parse.h"
#include "import/import_record.h"
#include "import/read_request.h"
#include "import/skin_names.h"
#include "support/allocation_probe.h"
#include "util/text.h"

// The reader tests' own import record, apart from the plug-in's kept one,
// and its model.
inline ImportRecord* TestRecord() {
    static ImportRecord record{};
    return &record;
}
inline Md2Model* TestModel() { return &TestRecord()->model; }

// A skin's name as the import shows it.
inline std::u16string SkinNameOf(const Md2SkinName& skin) {
    char16_t name[kTextPairUnits];
    SkinFileName(skin, name);
    return name;
}

// ParseMd2 over a heap copy of exactly these bytes, so that any read past
// the end is a sanitizer report; no single request for memory may pass a
// small multiple of the file's length.
inline int ParseBytes(const std::vector<std::uint8_t>& bytes, HostScene* scene = nullptr) {
    std::unique_ptr<std::uint8_t[]> copy(new std::uint8_t[bytes.empty() ? 1 : bytes.size()]);
    if (!bytes.empty()) {
        std::memcpy(copy.get(), bytes.data(), bytes.size());
    }
    ReadCursor cursor{copy.get(), 0, static_cast<std::uint32_t>(bytes.size())};
    StartAllocationProbe();
    const int answer = ReadAnswer(ParseMd2(&cursor, TestModel()), scene != nullptr ? &scene->errorText : nullptr);
    const std::size_t largest = StopAllocationProbe();
    EXPECT_LE(largest, ReadAllocationBound(bytes.size())) << "a read of " << bytes.size() << " bytes asked for "
                                                          << largest << " at once";
    return answer;
}

inline std::unique_ptr<HostScene> NewScene() { return std::make_unique<HostScene>(); }

inline void SetScenePath(HostScene* scene, const std::filesystem::path& path) {
    TextPairFromWide(&scene->filePath, path.u16string().c_str());
}

inline bool ErrorTextIsEmpty(const HostScene& scene) {
    return scene.errorText.wide[0] == 0 && scene.errorText.narrow[0] == 0;
}

inline std::string NarrowOf(const TextPair& pair) { return std::string(pair.narrow); }
inline std::u16string WideOf(const TextPair& pair) { return std::u16string(pair.wide); }

inline void ExpectModelEmpty() {
    const Md2Model* model = TestModel();
    EXPECT_EQ(model->frameCount, 0);
    EXPECT_EQ(model->frames, nullptr);
    EXPECT_EQ(model->skinCount, 0);
    EXPECT_EQ(model->skins, nullptr);
    EXPECT_EQ(model->texCoordCount, 0);
    EXPECT_EQ(model->texCoords, nullptr);
    EXPECT_EQ(model->triangleCount, 0);
    EXPECT_EQ(model->triangles, nullptr);
    EXPECT_EQ(model->bytes, nullptr);
    EXPECT_EQ(TestRecord()->sourcePath[0], 0);
    EXPECT_EQ(TestRecord()->selectedFrame, 0);
}

// Leaves the model empty for the next test whatever this one left behind.
class Md2ReaderTest : public ::testing::Test {
protected:
    void TearDown() override { ReleaseImportRecord(TestRecord()); }
};
