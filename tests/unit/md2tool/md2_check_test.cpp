// One file per rule, each breaking exactly that rule (or the rules it cannot
// break alone, listed with it), against a clean file with no finding.
#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <set>

#include "md2tool/check_report.h"
#include "md2tool/md2_tool_cli.h"
#include "support/allocation_probe.h"
#include "support/test_env.h"
#include "unit/md2tool/md2tool_test_support.h"

namespace {

using Edit = std::function<void(Md2BuilderModel&)>;
using Patch = std::function<void(std::vector<std::uint8_t>&, const Md2Layout&)>;

struct RuleCase {
    const char* name;
    Edit edit;             // on the model, before the GL commands are built
    Patch patch;           // on the bytes, after
    bool withGlCommands;
    std::set<std::string> errors;
    std::set<std::string> warnings;
    const char* says = "";  // in the first error's message
};

std::vector<std::uint8_t> CaseFile(const RuleCase& c) {
    Md2BuilderModel model = MakeToolModel();
    if (c.edit) {
        c.edit(model);
    }
    Md2Layout layout;
    std::vector<std::uint8_t> bytes = BuildMd2File(model, &layout);
    if (c.withGlCommands) {
        bytes = WithGlCommands(bytes);
        layout.ofsEnd = bytes.size();
    }
    if (c.patch) {
        c.patch(bytes, layout);
    }
    return bytes;
}

void Header(std::vector<std::uint8_t>& bytes, std::size_t field, std::int32_t value) { PutI32(bytes, field, value); }

const RuleCase kCases[] = {
    {"clean", {}, {}, true, {}, {}},
    {"version", {}, [](auto& b, auto&) { Header(b, kFieldVersion, 7); }, true, {"version"}, {}},
    // Each limit on both sides.
    {"skin height 480", [](auto& m) { m.skinHeight = 480; }, {}, true, {}, {}},
    {"skin height 481", [](auto& m) { m.skinHeight = 481; }, {}, true, {"skin-height"}, {}, "above the engine's 480"},
    {"2048 vertices", [](auto& m) { m = MakeToolModel(2048, 2046, 1); }, {}, true, {}, {}},
    {"4096 triangles", [](auto& m) { m = MakeToolModel(6, 4096, 1); }, {}, true, {}, {}},
    {"512 frames", [](auto& m) { m = MakeToolModel(6, 4, 512); }, {}, true, {}, {}},
    {"32 skins", [](auto& m) { m.skins.assign(32, "models/test/skin.pcx"); }, {}, true, {}, {}},
    {"skin width zero", {}, [](auto& b, auto&) { Header(b, kFieldSkinWidth, 0); }, true, {"skin-size"}, {}},
    {"too many vertices", [](auto& m) { m = MakeToolModel(2049, 2047, 1); }, {}, true, {"vertex-count"}, {},
     "the engine takes 1 to 2048"},
    {"vertex count far past the file", {}, [](auto& b, auto&) { Header(b, kFieldNumXyz, 0x7FFFFFF0); }, true,
     {"vertex-count", "section"}, {"unused-vertex"}},
    // Frames are stepped by 40 bytes then, so the second one's name is read from vertices.
    {"no vertices", {}, [](auto& b, auto&) { Header(b, kFieldNumXyz, 0); }, true, {"vertex-count", "index", "glcmds"},
     {"frame-name-number"}},
    {"no texture coordinates", {}, [](auto& b, auto&) { Header(b, kFieldNumSt, 0); }, true,
     {"texcoord-count", "index"}, {}},
    {"no triangles", {}, [](auto& b, auto&) { Header(b, kFieldNumTris, 0); }, true, {"triangle-count"},
     {"unused-vertex"}, "the engine needs at least one"},
    {"too many triangles", [](auto& m) { m = MakeToolModel(6, 4097, 1); }, {}, true, {"triangle-count"}, {},
     "4097 triangles; the format's definition holds at most 4096, and engines and tools overflow their arrays"},
    {"no frames", {}, [](auto& b, auto&) { Header(b, kFieldNumFrames, 0); }, true, {"frame-count"}, {}},
    {"too many frames", [](auto& m) { m = MakeToolModel(6, 4, 513); }, {}, true, {"frame-count"}, {},
     "513 frames; the format's definition holds at most 512"},
    {"too many skins", [](auto& m) { m.skins.assign(33, "models/test/skin.pcx"); }, {}, true, {"skin-count"}, {},
     "33 skins; the format's definition holds at most 32"},
    {"end past the file", {}, [](auto& b, auto&) { Header(b, kFieldOfsEnd, static_cast<std::int32_t>(b.size() + 4)); },
     true, {"end-offset"}, {}},
    {"frames outside", {},
     [](auto& b, auto& l) { Header(b, kFieldOfsFrames, static_cast<std::int32_t>(l.ofsEnd - 8)); }, true,
     {"section"}, {}},
    {"triangles outside", {}, [](auto& b, auto&) { Header(b, kFieldOfsTris, -12); }, true, {"section"}, {}},
    {"vertex index", {}, [](auto& b, auto& l) { PutI16(b, l.ofsTris + 12 + 2, 6); }, true, {"index"}, {}},
    {"texture coordinate index", {}, [](auto& b, auto& l) { PutI16(b, l.ofsTris + 12 + 8, 6); }, true, {"index"}, {}},
    {"malformed GL commands", {}, [](auto& b, auto& l) { PutI32(b, l.ofsGlcmds, 999); }, true, {"glcmds"}, {}},
    // The first command's first vertex (after the run's count, s and t): the last one, one past it, and -1.
    {"GL command naming the last vertex", {}, [](auto& b, auto& l) { PutI32(b, l.ofsGlcmds + 12, 5); }, true, {}, {}},
    {"GL command naming vertex num_xyz", {}, [](auto& b, auto& l) { PutI32(b, l.ofsGlcmds + 12, 6); }, true,
     {"glcmds"}, {}, "names vertex 6 of 6"},
    {"GL command naming vertex -1", {}, [](auto& b, auto& l) { PutI32(b, l.ofsGlcmds + 12, -1); }, true,
     {"glcmds"}, {}, "names vertex -1 of 6"},
    {"refused by the reader", [](auto& m) { m.skins.clear(); },
     [](auto& b, auto&) { Header(b, kFieldOfsSkins, static_cast<std::int32_t>(b.size())); }, true, {"reader"}, {}},
    {"skin name without NUL", [](auto& m) { m.skins[0] = std::string(64, 'a'); }, {}, true, {}, {"skin-name"}},
    {"absolute skin name", [](auto& m) { m.skins[0] = "/models/test/skin.pcx"; }, {}, true, {}, {"skin-name"}},
    {"skin name with a drive", [](auto& m) { m.skins[0] = "c:/models/skin.pcx"; }, {}, true, {}, {"skin-name"}},
    {"skin name with backslashes", [](auto& m) { m.skins[0] = "models\\skin.pcx"; }, {}, true, {}, {"skin-name"}},
    {"texture coordinate on the skin's edge", [](auto& m) { m.texCoords[3] = {64, 64}; }, {}, true, {}, {}},
    {"texture coordinate outside", [](auto& m) { m.texCoords[3][0] = 65; }, {}, true, {}, {"texcoord-range"}},
    {"degenerate triangle", [](auto& m) { m.triangles.push_back({1, 1, 2, 1, 1, 2}); }, {}, true, {}, {"degenerate"}},
    {"degenerate at corners 1 and 2", [](auto& m) { m.triangles.push_back({1, 2, 2, 1, 2, 2}); }, {}, true, {},
     {"degenerate"}},
    {"degenerate at corners 0 and 2", [](auto& m) { m.triangles.push_back({2, 1, 2, 2, 1, 2}); }, {}, true, {},
     {"degenerate"}},
    {"unused vertex",
     [](auto& m) {
         m.vertexCount = 7;
         for (auto& f : m.frames) f.vertices.push_back({1, 2, 3, 4});
     },
     {}, true, {}, {"unused-vertex"}},
    {"duplicate frame names", [](auto& m) { m.frames[1].name = "run1"; }, {}, true, {}, {"frame-name-duplicate"}},
    {"frame name without number", [](auto& m) { m.frames[1].name = "run"; }, {}, true, {}, {"frame-name-number"}},
    {"empty GL command list", {}, {}, false, {}, {"glcmds-empty"}},
};

TEST(Md2Check, EachRuleIsReportedAloneWithItsSeverity) {
    for (const RuleCase& c : kCases) {
        SCOPED_TRACE(c.name);
        const std::vector<std::uint8_t> bytes = CaseFile(c);
        StartAllocationProbe();
        const Md2CheckResult result = CheckMd2Bytes(bytes.data(), bytes.size());
        EXPECT_LE(StopAllocationProbe(), ReadAllocationBound(bytes.size()));
        ASSERT_TRUE(result.readable) << result.unreadable;
        std::set<std::string> errors;
        std::set<std::string> warnings;
        for (const Md2Finding& f : result.findings) {
            (f.error ? errors : warnings).insert(f.rule);
        }
        EXPECT_EQ(errors, c.errors) << FormatFindingsText("case", result);
        EXPECT_EQ(warnings, c.warnings) << FormatFindingsText("case", result);
        const auto& found = result.findings;
        const auto error = std::find_if(found.begin(), found.end(), [](const Md2Finding& f) { return f.error; });
        if (error != found.end()) {
            EXPECT_NE(error->message.find(c.says), std::string::npos) << error->message;
        }
    }
}

// The program's exit status and output for a clean file, a file with an
// error and an unreadable one, also from the Windows build.
TEST(Md2Check, ExitStatusAndOutputs) {
    const std::string dir = TestTempDir("md2check");
    const std::string clean = dir + "clean.md2";
    const std::string broken = dir + "broken.md2";
    const std::string text = dir + "notes.md2";
    ASSERT_TRUE(WriteBinaryFile(clean, CaseFile(kCases[0])));
    ASSERT_TRUE(WriteBinaryFile(broken, CaseFile(kCases[1])));
    ASSERT_TRUE(WriteTestFile(text, "these are not the bytes of a model, just some text"));
    struct Run {
        std::vector<std::string> args;
        int status;
        const char* out;   // must appear in stdout
    };
    const Run runs[] = {
        {{"check", clean}, 0, ""},
        {{"check", clean, broken}, 2, "broken.md2: error [version] version is 7"},
        {{"check", "--json", broken}, 2, "\"rule\": \"version\""},
        {{"check", clean, text}, 1, ""},
        {{"check"}, 1, ""},
    };
    for (const Run& run : runs) {
        ToolOutput output;
        EXPECT_EQ(RunMd2Tool(run.args, &output), run.status) << output.out << output.err;
        EXPECT_NE(output.out.find(run.out), std::string::npos) << output.out;
    }
    ToolOutput cleanOutput;
    RunMd2Tool({"check", clean}, &cleanOutput);
    EXPECT_EQ(cleanOutput.out, "");
}

}  // namespace
