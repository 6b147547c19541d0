// A frame's positions decoded on demand, from the bytes the model holds,
// against the plain decoding of every frame straight from the file
// (support/md2_full_decode.h): the same bits for every vertex of every frame
// of the tests' files, whether the model copied the frames from borrowed
// bytes (ParseMd2) or took the whole file over (LoadMd2File).
#include <gtest/gtest.h>

#include <algorithm>
#include <bit>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <system_error>
#include <vector>

#include "support/decoded_frame.h"
#include "support/md2_builder.h"
#include "support/md2_full_decode.h"
#include "unit/md2/md2_test_support.h"

namespace {

struct Shape {
    int skins;
    int vertices;
    int triangles;
    int frames;
};

// Scales and translates whose product and sum each round on their own:
// huge, negative, zero and subnormal values.
void GiveExtremeAxes(Md2BuilderModel* model) {
    const float scales[][3] = {{1e30f, -0.0f, 1e-40f}, {-3.0e-3f, 7.1e-2f, 65504.0f}};
    const float translates[][3] = {{-1e30f, 5.5f, -1e-42f}, {1.0e-7f, -123.456f, 3.0e38f}};
    for (std::size_t f = 0; f < model->frames.size(); ++f) {
        for (int a = 0; a < 3; ++a) {
            model->frames[f].scale[a] = scales[f % 2][a];
            model->frames[f].translate[a] = translates[f % 2][a];
        }
    }
}

std::vector<std::vector<std::uint8_t>> GeneratedFiles() {
    const Shape shapes[] = {{2, 6, 4, 3}, {0, 5, 2, 10}, {1, 0, 2, 3}, {1, 300, 20, 40}, {3, 2048, 8, 3}};
    std::vector<std::vector<std::uint8_t>> files;
    for (const Shape& s : shapes) {
        files.push_back(BuildMd2File(MakeSampleMd2Model(s.skins, s.vertices, s.triangles, s.frames)));
    }
    Md2BuilderModel extreme = MakeSampleMd2Model(1, 64, 4, 4);
    GiveExtremeAxes(&extreme);
    files.push_back(BuildMd2File(extreme));
    return files;
}

std::vector<std::uint8_t> ReadWholeFile(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    return std::vector<std::uint8_t>(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// The model's frames against the reference, bit for bit.
void ExpectFramesMatch(const Md2Model& model, const std::vector<Md2ReferenceFrame>& reference,
                       const std::string& what) {
    ASSERT_EQ(static_cast<std::size_t>(model.frameCount), reference.size()) << what;
    for (std::size_t f = 0; f < reference.size(); ++f) {
        const Md2Frame& frame = model.frames[f];
        EXPECT_EQ(std::string(frame.name), reference[f].name) << what << " frame " << f;
        const std::vector<Md2Position> positions = DecodedFrame(frame);
        ASSERT_EQ(positions.size(), reference[f].positions.size()) << what << " frame " << f;
        for (std::size_t v = 0; v < positions.size(); ++v) {
            const float ours[3] = {positions[v].x, positions[v].y, positions[v].z};
            for (std::size_t a = 0; a < 3; ++a) {
                ASSERT_EQ(std::bit_cast<std::uint32_t>(ours[a]), std::bit_cast<std::uint32_t>(reference[f].positions[v][a]))
                    << what << " frame " << f << " vertex " << v << " axis " << a;
            }
        }
    }
}

class Md2LazyDecode : public Md2ReaderTest {
protected:
    void SetUp() override { dir_ = MakeScratchDirectory("md2-lazy"); }
    void TearDown() override {
        Md2ReaderTest::TearDown();
        std::error_code error;
        std::filesystem::remove_all(dir_, error);
    }

    // Both ways into the model: borrowed bytes, then the file on disk.
    void ExpectBothReadsMatch(const std::vector<std::uint8_t>& file, const std::string& what) {
        const std::vector<Md2ReferenceFrame> reference = DecodeEveryMd2Frame(file);
        ASSERT_FALSE(reference.empty()) << what;
        ASSERT_EQ(ParseBytes(file), 1) << what;
        ExpectFramesMatch(*TestModel(), reference, what + " (parsed)");
        ReleaseImportRecord(TestRecord());

        const std::filesystem::path path = dir_ / "model.md2";
        ASSERT_TRUE(WriteBinaryFile(path, file));
        auto scene = NewScene();
        SetScenePath(scene.get(), path);
        ASSERT_EQ(LoadMd2File(scene.get(), TestRecord()), 1) << what;
        ExpectFramesMatch(*TestModel(), reference, what + " (loaded)");
        ReleaseImportRecord(TestRecord());
    }

    std::filesystem::path dir_;
};

TEST_F(Md2LazyDecode, GeneratedFilesDecodeEveryFrameAsThePlainReading) {
    const std::vector<std::vector<std::uint8_t>> files = GeneratedFiles();
    for (std::size_t i = 0; i < files.size(); ++i) {
        ExpectBothReadsMatch(files[i], "generated file " + std::to_string(i));
    }
}

TEST_F(Md2LazyDecode, PublishedModelsDecodeEveryFrameAsThePlainReading) {
    for (const char* name : {"faerie.md2", "sydney.md2"}) {
        const std::filesystem::path model = std::filesystem::path("/usr/share/assimp/models/MD2") / name;
        ASSERT_TRUE(std::filesystem::exists(model)) << model << " missing: install assimp-testmodels";
        ExpectBothReadsMatch(ReadWholeFile(model), name);
    }
}

// The frames keep pointing into the model's own bytes: a parse from a buffer
// that is then overwritten still decodes the frames it read.
TEST_F(Md2LazyDecode, ParsedFramesOutliveTheBorrowedBytes) {
    const std::vector<std::uint8_t> file = BuildMd2File(MakeSampleMd2Model(1, 12, 4, 5));
    const std::vector<Md2ReferenceFrame> reference = DecodeEveryMd2Frame(file);
    std::vector<std::uint8_t> borrowed = file;
    ReadCursor cursor{borrowed.data(), 0, static_cast<std::uint32_t>(borrowed.size())};
    ASSERT_EQ(ParseMd2(&cursor, TestModel()), Md2ParseResult::kLoaded);
    std::fill(borrowed.begin(), borrowed.end(), std::uint8_t{0xA5});
    borrowed.clear();
    borrowed.shrink_to_fit();
    ExpectFramesMatch(*TestModel(), reference, "parsed, then its bytes dropped");
}

}  // namespace
