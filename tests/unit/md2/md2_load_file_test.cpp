// The read request's file handling: opening by UTF-16 path, the failure
// texts, the file length limits and the model's life across reads.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <system_error>
#include <vector>

#include "support/md2_builder.h"
#include "unit/md2/md2_test_support.h"

namespace {

class Md2LoadFile : public Md2ReaderTest {
protected:
    void SetUp() override { dir_ = MakeScratchDirectory("md2-load"); }
    void TearDown() override {
        Md2ReaderTest::TearDown();
        std::error_code error;
        std::filesystem::remove_all(dir_, error);
    }

    std::filesystem::path Write(const std::string& name, const std::vector<std::uint8_t>& bytes) {
        std::filesystem::path path = dir_ / name;
        EXPECT_TRUE(WriteBinaryFile(path, bytes));
        return path;
    }

    std::filesystem::path dir_;
};

TEST_F(Md2LoadFile, ReadsAFileNamedByAUtf16Path) {
    Md2BuilderModel source = MakeSampleMd2Model(2, 6, 3, 2);
    std::filesystem::path path = dir_ / std::filesystem::path(u"mod\u00e8le \u6a21\u578b.md2");
    ASSERT_TRUE(WriteBinaryFile(path, BuildMd2File(source)));
    auto scene = NewScene();
    SetScenePath(scene.get(), path);

    ASSERT_EQ(LoadMd2File(scene.get(), TestRecord()), 1);
    EXPECT_TRUE(ErrorTextIsEmpty(*scene));
    const Md2Model* model = TestModel();
    EXPECT_EQ(std::u16string(TestRecord()->sourcePath), path.u16string());
    EXPECT_EQ(model->frameCount, 2);
    EXPECT_EQ(model->skinCount, 2);
    EXPECT_EQ(model->triangleCount, 3);
    EXPECT_EQ(model->texCoordCount, 9);
    EXPECT_EQ(TestRecord()->selectedFrame, 0);
}

TEST_F(Md2LoadFile, NullSceneFails) { EXPECT_EQ(LoadMd2File(nullptr, TestRecord()), 0); }

// The header alone: its skins offset cannot lie below the file's length.
TEST_F(Md2LoadFile, HeaderOnlyFileFailsWithoutText) {
    std::vector<std::uint8_t> file = BuildMd2File(MakeSampleMd2Model(1, 3, 1, 1));
    file.resize(kMd2BuilderHeaderBytes);
    auto scene = NewScene();
    SetScenePath(scene.get(), Write("header.md2", file));
    EXPECT_EQ(LoadMd2File(scene.get(), TestRecord()), 0);
    EXPECT_TRUE(ErrorTextIsEmpty(*scene));
    ExpectModelEmpty();
}

// A file of 2 GiB (sparse, so it costs no disk) is refused before any of it
// is read, even though its header is that of a valid model.
TEST_F(Md2LoadFile, FilesOf2GiBOrMoreAreRefused) {
    std::filesystem::path path = Write("huge.md2", BuildMd2File(MakeSampleMd2Model(1, 3, 1, 1)));
    std::error_code error;
    std::filesystem::resize_file(path, std::uintmax_t{1} << 31, error);
    if (error) {
        GTEST_SKIP() << "cannot make a 2 GiB file here: " << error.message();
    }
    auto scene = NewScene();
    SetScenePath(scene.get(), path);
    EXPECT_EQ(LoadMd2File(scene.get(), TestRecord()), 0);
    EXPECT_TRUE(ErrorTextIsEmpty(*scene));
    ExpectModelEmpty();
}

TEST_F(Md2LoadFile, ASecondReadReplacesTheFirstAndAFailedReadEmptiesIt) {
    auto scene = NewScene();
    SetScenePath(scene.get(), Write("first.md2", BuildMd2File(MakeSampleMd2Model(3, 8, 4, 6))));
    ASSERT_EQ(LoadMd2File(scene.get(), TestRecord()), 1);
    TestRecord()->selectedFrame = 4;

    Md2BuilderModel second = MakeSampleMd2Model(1, 2, 1, 1);
    second.skins = {"textures/second.pcx"};
    std::filesystem::path secondPath = Write("second.md2", BuildMd2File(second));
    SetScenePath(scene.get(), secondPath);
    ASSERT_EQ(LoadMd2File(scene.get(), TestRecord()), 1);
    const Md2Model* model = TestModel();
    EXPECT_EQ(std::u16string(TestRecord()->sourcePath), secondPath.u16string());
    EXPECT_EQ(TestRecord()->selectedFrame, 0);
    ASSERT_EQ(model->skinCount, 1);
    EXPECT_EQ(SkinNameOf(model->skins[0]), u"second.pcx");
    EXPECT_EQ(model->triangleCount, 1);
    ASSERT_EQ(model->frameCount, 1);
    EXPECT_EQ(model->frames[0].vertexCount, 2);

    SetScenePath(scene.get(), dir_ / "gone.md2");
    EXPECT_EQ(LoadMd2File(scene.get(), TestRecord()), 0);
    EXPECT_EQ(WideOf(scene->errorText), u"Could not open file for reading.");
    EXPECT_EQ(NarrowOf(scene->errorText), "Could not open file for reading.");
    ExpectModelEmpty();
}

}  // namespace
