// The read request through the plug-in binary, as the host sends it: the
// answers and the scene's errorText (both halves) for the ways a read ends.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include "host/call_log.h"
#include "host/host_platform.h"
#include "host/host_session.h"
#include "host/ref_scene.h"
#include "support/md2_builder.h"
#include "support/test_env.h"

namespace {

class Md2ReadRequest : public ::testing::Test {
protected:
    void SetUp() override {
        ClearHostCallLog();
        std::string error;
        ASSERT_TRUE(OpenSession(TestPluginPath(), &session_, &error)) << error;
        scene_ = RefSceneCreate();
        dir_ = TestTempDir("md2-read-request");
    }
    void TearDown() override {
        EXPECT_TRUE(HostTrapCalls().empty()) << "the plug-in called an operation outside the interface";
        RefSceneDestroy(scene_);
        CloseSession(&session_);
    }

    // Writes the file under a UTF-8 name and names it in the scene.
    void UseFile(const std::string& name, const std::vector<std::uint8_t>& bytes) {
        ASSERT_TRUE(WriteBinaryFile(std::filesystem::path(HostWiden(dir_ + name)), bytes));
        RefSetFilePath(scene_, dir_ + name);
    }

    // A text the plug-in must leave alone when it has nothing to report.
    void MarkErrorText() {
        TextPair& text = RefSceneHost(scene_)->errorText;
        const char marker[] = "earlier text";
        for (std::size_t i = 0; i < sizeof marker; ++i) {
            text.wide[i] = static_cast<char16_t>(marker[i]);
            text.narrow[i] = marker[i];
        }
    }

    void ExpectErrorText(const std::string& expected) {
        const TextPair& text = RefSceneHost(scene_)->errorText;
        EXPECT_EQ(RefErrorText(scene_), expected);
        EXPECT_EQ(std::u16string(text.wide), HostWiden(expected));
        EXPECT_STREQ(text.narrow, expected.c_str());
    }

    int Read() { return SendRequest(&session_, kRequestRead, scene_); }

    HostSession session_{};
    RefScene* scene_ = nullptr;
    std::string dir_;
};

TEST_F(Md2ReadRequest, MissingFileAnswers0WithItsText) {
    RefSetFilePath(scene_, dir_ + "absent.md2");
    EXPECT_EQ(Read(), 0);
    ExpectErrorText("Could not open file for reading.");
}

TEST_F(Md2ReadRequest, NonMd2FileAnswers3AndLeavesTheTextAlone) {
    UseFile("picture.md2", std::vector<std::uint8_t>(300, 0x42));
    MarkErrorText();
    EXPECT_EQ(Read(), 3);
    ExpectErrorText("earlier text");
}

TEST_F(Md2ReadRequest, FileWithoutGeometryAnswers0WithItsText) {
    std::vector<std::uint8_t> file = BuildMd2File(MakeSampleMd2Model(1, 3, 1, 1));
    PutI32(file, kFieldNumFrames, 0);
    UseFile("hollow.md2", file);
    EXPECT_EQ(Read(), 0);
    ExpectErrorText("No geometry found.");
}

TEST_F(Md2ReadRequest, TruncatedFileAnswers0AndLeavesTheTextAlone) {
    std::vector<std::uint8_t> file = BuildMd2File(MakeSampleMd2Model(2, 5, 3, 2));
    file.resize(file.size() / 2);
    UseFile("cut.md2", file);
    MarkErrorText();
    EXPECT_EQ(Read(), 0);
    ExpectErrorText("earlier text");
}

// The file ends one byte before its last frame does: that frame's last vertex
// no longer fits, and the read is refused as for any section that runs past
// the end.
TEST_F(Md2ReadRequest, FileOneByteShortOfItsLastFrameAnswers0AndLeavesTheTextAlone) {
    std::vector<std::uint8_t> file = BuildMd2File(MakeSampleMd2Model(2, 5, 3, 2));
    const std::size_t framesEnd = static_cast<std::size_t>(GetI32(file, kFieldOfsFrames)) + 2 * (40 + 4 * 5);
    ASSERT_LE(framesEnd, file.size());
    file.resize(framesEnd - 1);
    UseFile("short.md2", file);
    MarkErrorText();
    EXPECT_EQ(Read(), 0);
    ExpectErrorText("earlier text");
}

// The path reaches the file by its UTF-16 form, on Windows as on Linux.
TEST_F(Md2ReadRequest, ValidFileWithANonAsciiNameAnswers1) {
    UseFile("mod\xC3\xA8le.md2", BuildMd2File(MakeSampleMd2Model(2, 5, 3, 2)));
    MarkErrorText();
    EXPECT_EQ(Read(), 1);
    ExpectErrorText("earlier text");
    // A second read, of a file that fails, after the first succeeded.
    RefSetFilePath(scene_, dir_ + "absent.md2");
    EXPECT_EQ(Read(), 0);
    ExpectErrorText("Could not open file for reading.");
}

}  // namespace
