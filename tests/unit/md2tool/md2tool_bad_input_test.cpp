// Truncated and foreign files: exit status 1, a message that says what is
// wrong, and no output file left behind (nor the temporary one).
#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <filesystem>
#include <limits>
#include <span>

#include "md2/md2_format.h"
#include "md2tool/md2_file_view.h"
#include "md2tool/md2_sections.h"
#include "md2tool/md2_tool_cli.h"
#include "md2tool/tool_files.h"
#include "support/test_env.h"
#include "unit/md2tool/md2tool_test_support.h"

namespace {

std::size_t FilesIn(const std::string& dir) {
    std::size_t count = 0;
    for ([[maybe_unused]] const auto& entry : std::filesystem::directory_iterator(dir)) {
        ++count;
    }
    return count;
}

TEST(Md2ToolBadInput, FailsWithAMessageAndLeavesNoFile) {
    const std::string dir = TestTempDir("md2tool-bad");
    const std::vector<std::uint8_t> good = BuildMd2File(MakeToolModel());
    const std::string truncated = dir + "truncated.md2";
    const std::string cut = dir + "cut.md2";
    const std::string text = dir + "text.md2";
    const std::string whole = dir + "whole.md2";
    ASSERT_TRUE(WriteBinaryFile(whole, good));
    ASSERT_TRUE(WriteBinaryFile(truncated, std::vector<std::uint8_t>(good.begin(), good.begin() + 40)));
    // Header whole, sections cut off: check reports them; glcmds cannot build.
    ASSERT_TRUE(WriteBinaryFile(cut, std::vector<std::uint8_t>(good.begin(), good.begin() + 100)));
    ASSERT_TRUE(WriteTestFile(text, "plain text, long enough to hold a header of sixty-eight bytes......."));
    // Frames that start inside the header: the reader takes them, but the new
    // list's counts and offsets would change their bytes.
    const std::string overHeader = dir + "over-header.md2";
    std::vector<std::uint8_t> framesOverHeader = good;
    StoreI32LE(framesOverHeader.data() + kMd2OfsFramesAt, 12);
    ASSERT_TRUE(WriteBinaryFile(overHeader, framesOverHeader));
    // A second frame whose scale and offset put its positions past the
    // largest single-precision number: glTF cannot hold them.
    const std::string huge = dir + "huge.md2";
    std::vector<std::uint8_t> hugeFrame = good;
    const std::size_t secondFrame =
        static_cast<std::size_t>(GetI32(good, kFieldOfsFrames) + GetI32(good, kFieldFrameSize));
    StoreF32LE(hugeFrame.data() + secondFrame + 4, 3e38f);
    StoreF32LE(hugeFrame.data() + secondFrame + 16, 3e38f);
    ASSERT_TRUE(WriteBinaryFile(huge, hugeFrame));
    const std::string notANumber = dir + "nan.md2";
    std::vector<std::uint8_t> nanFrame = good;
    StoreF32LE(nanFrame.data() + GetI32(good, kFieldOfsFrames), std::numeric_limits<float>::quiet_NaN());
    ASSERT_TRUE(WriteBinaryFile(notANumber, nanFrame));
    struct Case {
        std::vector<std::string> args;
        int status;
        const char* message;
    };
    const std::string out = dir + "out.md2";
    const std::string png = dir + "out.png";
    const Case cases[] = {
        {{"check", truncated}, 1, "truncated: 40 bytes"},
        {{"check", text}, 1, "not an MD2 file"},
        {{"check", dir + "missing.md2"}, 1, "cannot open"},
        {{"check", cut}, 2, "lie outside the file"},
        {{"glcmds", truncated, "-o", out}, 1, "truncated"},
        {{"glcmds", text, "-o", out}, 1, "not an MD2 file"},
        {{"glcmds", cut, "-o", out}, 1, "outside the file"},
        {{"glcmds", text}, 1, "not an MD2 file"},
        {{"glcmds", overHeader, "-o", out}, 1, "the frames overlap the header"},
        {{"glcmds", truncated, "-o", dir + "no/such/folder/out.md2"}, 1, "truncated"},
        {{"preview", text, "-o", png}, 1, TestOnWindows() ? "OSMesa" : "not an MD2 file"},
        {{"preview", truncated, "-o", png}, 1, TestOnWindows() ? "OSMesa" : "truncated"},
        {{"gltf", truncated, "-o", dir + "out.glb"}, 1, "truncated"},
        {{"gltf", cut, "-o", dir + "out.gltf"}, 1, "lie outside the file"},
        {{"gltf", whole, "-o", dir + "no/such/folder/out.glb"}, 1, "out.glb: cannot write"},
        {{"gltf", huge, "-o", dir + "out.glb"}, 1, "frame 1 \"run2\" has positions that are not finite"},
        {{"gltf", notANumber, "-o", dir + "out.glb"}, 1, "frame 0 \"run1\" has positions that are not finite"},
        {{"gltf", whole, "-o", dir + "out.glb", "--skin", text}, 1, "skins are read from PCX, TGA, PNG or JPEG files"},
        {{"skin", text, "-o", dir + "out.pcx"}, 1, "skins are read from PCX, TGA, PNG or JPEG files"},
        {{"skin", truncated}, 1, "corvane-md2: needs IMAGE and -o OUT.pcx\nusage: corvane-md2 skin"},
        {{"skin", text, "-o", dir + "out.pcx", "--max", "0x9"}, 1, "--max takes WxH, not 0x9"},
        {{"check", "--player", dir}, 1, "cannot open"},
        {{"check", "--player"}, 1, "--player takes one folder"},
        {{"gltf", whole, "-o", dir + "out.obj"}, 1, "usage"},
        {{"glcmds"}, 1, "corvane-md2: no input file\nusage: corvane-md2 glcmds"},
        {{"check", "--bad", truncated}, 1, "corvane-md2: unknown option --bad\nusage: corvane-md2 check"},
        {{"gltf", "-h"}, 0, "usage: corvane-md2 gltf"},
        {{"check", truncated, "--help"}, 0, "usage: corvane-md2 check"},
        {{"--version"}, 0, "corvane-md2 3."},
        {{"frobnicate"}, 1, "corvane-md2: unknown command frobnicate"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.args[0] + " " + (c.args.size() > 1 ? c.args[1] : ""));
        ToolOutput output;
        EXPECT_EQ(RunMd2Tool(c.args, &output), c.status);
        EXPECT_NE((output.err + output.out).find(c.message), std::string::npos) << output.err << output.out;
        EXPECT_EQ(FilesIn(dir), 7u);
    }
    // In place: the file is left as it was.
    ToolOutput output;
    EXPECT_EQ(RunMd2Tool({"glcmds", cut}, &output), 1);
    std::vector<std::uint8_t> after;
    std::string error;
    ASSERT_TRUE(ReadFileBytes(cut, &after, &error));
    EXPECT_EQ(after, std::vector<std::uint8_t>(good.begin(), good.begin() + 100));
}

TEST(Md2ToolBadInput, GlCommandsInPlaceGiveACheckedFile) {
    const std::string dir = TestTempDir("md2tool-inplace");
    const std::string file = dir + "model.md2";
    ASSERT_TRUE(WriteBinaryFile(file, BuildMd2File(MakeToolModel(12, 10, 2))));
    ToolOutput output;
    ASSERT_EQ(RunMd2Tool({"glcmds", file}, &output), 0) << output.err;
    EXPECT_NE(output.out.find("10 triangles in"), std::string::npos) << output.out;
    ToolOutput checked;
    EXPECT_EQ(RunMd2Tool({"check", file}, &checked), 0);
    EXPECT_EQ(checked.out, "");
    EXPECT_EQ(FilesIn(dir), 1u);
}

}  // namespace

// A written file whose check fails never replaces the target, and nothing
// is left beside it; one that passes does.
TEST(Md2ToolBadInput, AFileThatFailsItsCheckLeavesTheTargetAlone) {
    const std::string dir = TestTempDir("md2tool-check-first");
    const std::string target = dir + "model.md2";
    ASSERT_TRUE(WriteTestFile(target, "the user's model"));
    const std::vector<std::uint8_t> bytes = {1, 2, 3};
    std::string error;
    const auto refuse = [](const std::vector<std::uint8_t>&, std::string* why) {
        *why = "refused";
        return false;
    };
    EXPECT_FALSE(WriteFileReplacing(target, bytes, refuse, &error));
    EXPECT_NE(error.find("model.md2: the written file fails its check: refused; the file was left as it was"),
              std::string::npos) << error;
    std::vector<std::uint8_t> kept;
    ASSERT_TRUE(ReadFileBytes(target, &kept, &error));
    EXPECT_EQ(std::string(kept.begin(), kept.end()), "the user's model");
    EXPECT_EQ(FilesIn(dir), 1u);
    const auto accept = [](const std::vector<std::uint8_t>& written, std::string*) { return written.size() == 3; };
    EXPECT_TRUE(WriteFileReplacing(target, bytes, accept, &error)) << error;
    ASSERT_TRUE(ReadFileBytes(target, &kept, &error));
    EXPECT_EQ(kept, bytes);
    EXPECT_EQ(FilesIn(dir), 1u);
}

// Bytes made a piece at a time are read back by a second run of their maker
// while they are written: bytes that differ, or one more or fewer, never
// replace the target, and nothing is left beside it.
TEST(Md2ToolBadInput, PiecesThatDoNotReadBackLeaveTheTargetAlone) {
    const std::string dir = TestTempDir("md2tool-pieces");
    const std::string target = dir + "model.glb";
    constexpr std::size_t kBig = std::size_t{5} << 20;  // several pieces of the reading back
    struct Case {
        const char* name;
        std::size_t first;   // the bytes one run makes
        std::size_t second;  // and the other
        bool lastDiffers;
    };
    const Case cases[] = {
        {"the same bytes", kBig, kBig, false},
        {"the last byte differs", kBig, kBig, true},
        {"a byte more", kBig, kBig + 1, false},
        {"a byte fewer", kBig, kBig - 1, false},
        {"nothing, then a byte", 0, 1, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ASSERT_TRUE(WriteTestFile(target, "the user's model"));
        std::atomic<int> runs{0};
        const BytePieceSource source = [&](const BytePieces& put) {
            const bool other = runs++ == 1;
            std::vector<std::uint8_t> bytes(other ? c.second : c.first);
            for (std::size_t i = 0; i < bytes.size(); ++i) {
                bytes[i] = static_cast<std::uint8_t>(i * 7 + i / 251);
            }
            if (other && c.lastDiffers) {
                bytes.back() ^= 1;
            }
            // Pieces of odd sizes, so that they fall across the reading's.
            const std::span<const std::uint8_t> all(bytes);
            for (std::size_t at = 0; at < all.size(); at += 3'000'001) {
                if (!put(all.subspan(at, std::min<std::size_t>(3'000'001, all.size() - at)))) {
                    return false;
                }
            }
            return true;
        };
        std::string error;
        const bool same = c.first == c.second && !c.lastDiffers;
        EXPECT_EQ(WriteFileReplacingPieces(target, source, &error), same) << error;
        std::vector<std::uint8_t> after;
        ASSERT_TRUE(ReadFileBytes(target, &after, &error));
        if (same) {
            EXPECT_EQ(after.size(), kBig);
        } else {
            EXPECT_EQ(std::string(after.begin(), after.end()), "the user's model");
            EXPECT_NE(error.find("model.glb: the written bytes do not read back; the file was left as it was"),
                      std::string::npos) << error;
        }
        EXPECT_EQ(FilesIn(dir), 1u);
    }
}

// Whole files as the conversions read them: mapped when they can be, read
// otherwise, with the same bytes, and a message for what cannot be read.
TEST(Md2ToolBadInput, LargeFilesAreReadWholeOrNamedInTheMessage) {
    const std::string dir = TestTempDir("md2tool-large-read");
    std::vector<std::uint8_t> large((std::size_t{3} << 20) + 5);
    for (std::size_t i = 0; i < large.size(); ++i) {
        large[i] = static_cast<std::uint8_t>(i * 13 + i / 4093);
    }
    ASSERT_TRUE(WriteBinaryFile(dir + "large.md2", large));
    ASSERT_TRUE(WriteBinaryFile(dir + "empty.md2", {}));
    std::filesystem::create_directories(dir + "folder.md2");
    struct Case {
        const char* name;
        std::vector<std::uint8_t> bytes;  // what reads back
        const char* message;              // null: read
    };
    const Case cases[] = {
        {"large.md2", large, nullptr},
        {"empty.md2", {}, nullptr},
        {"missing.md2", {}, "cannot open"},
        {"folder.md2", {}, "folder.md2"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ToolFileBytes file;
        std::string error;
        const bool read = ReadFileLarge(dir + c.name, &file, &error);
        EXPECT_EQ(read, c.message == nullptr) << error;
        if (read) {
            ASSERT_EQ(file.length, c.bytes.size());
            EXPECT_TRUE(std::equal(c.bytes.begin(), c.bytes.end(), file.data));
        } else {
            EXPECT_NE(error.find(c.message), std::string::npos) << error;
        }
    }
}

// A file the tool's own checks take but the plug-in's reader refuses: the
// tool says why.
TEST(Md2ToolBadInput, SaysWhyTheReaderRefusesAFile) {
    const std::string dir = TestTempDir("md2tool-refused");
    const std::vector<std::uint8_t> good = BuildMd2File(MakeToolModel());
    struct Case {
        const char* name;
        std::vector<std::pair<std::size_t, std::int32_t>> fields;
        const char* message;
    };
    const Case cases[] = {
        {"skins-at-end", {{20, 0}, {kMd2OfsSkinsAt, static_cast<std::int32_t>(good.size())}},
         "the skins start at the file's end, where the reader takes no section"},
        {"flat-skin", {{8, 0}}, "the reader refuses texture coordinates on a skin 0 texels wide or high"},
        {"no-frames", {{40, 0}}, "the reader refuses a file without frames, triangles or texture coordinates"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        std::vector<std::uint8_t> bytes = good;
        for (const auto& [at, value] : c.fields) {
            StoreI32LE(bytes.data() + at, value);
        }
        const std::string file = dir + c.name + ".md2";
        ASSERT_TRUE(WriteBinaryFile(file, bytes));
        ToolOutput output;
        EXPECT_EQ(RunMd2Tool({"gltf", file, "-o", dir + "out.glb"}, &output), 1);
        EXPECT_NE(output.err.find(file + ": " + c.message), std::string::npos) << output.err;
    }
}
