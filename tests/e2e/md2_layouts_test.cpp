// Every tool over the table of layouts real files have: the plug-in's import
// (natively and through the DLL under Wine), check, glcmds in place and
// with -o, gltf and the preview. glcmds must keep every other section's bytes,
// the header's other fields and the trailing bytes, and put the new list
// past the header, apart from every other section.
#include <gtest/gtest.h>

#include <set>

#include "md2tool/md2_check.h"
#include "md2tool/md2_tool_cli.h"
#include "md2tool/tool_files.h"
#include "support/import_fixture.h"
#include "support/md2_layouts.h"
#include "support/test_env.h"
#include "unit/md2tool/md2tool_test_support.h"

namespace {

class Md2Layouts : public PluginImportTest {};

std::set<std::string> Rules(const std::vector<std::uint8_t>& bytes, bool errors) {
    std::set<std::string> rules;
    for (const Md2Finding& finding : CheckMd2Bytes(bytes.data(), bytes.size()).findings) {
        if (finding.error == errors) {
            rules.insert(finding.rule);
        }
    }
    return rules;
}

std::vector<std::uint8_t> FileBytes(const std::string& path) {
    std::vector<std::uint8_t> bytes;
    std::string error;
    EXPECT_TRUE(ReadFileBytes(path, &bytes, &error)) << error;
    return bytes;
}

// Runs a command that must succeed; warnings (a skin not beside the model) may be printed.
void Tool(const std::vector<std::string>& args) {
    ToolOutput output;
    EXPECT_EQ(RunMd2Tool(args, &output), kToolOk) << args[0] << ": " << output.err;
}

// The rewritten file against the input, from the headers' fields alone.
void ExpectOnlyTheListChanged(const std::vector<std::uint8_t>& in, const std::vector<std::uint8_t>& out,
                              const std::array<std::vector<std::uint8_t>, 5>& sections, std::uint32_t trailing) {
    for (std::size_t field = 0; field < 64; field += 4) {
        if (field != kFieldNumGlcmds && (field < kFieldOfsSkins || field > kFieldOfsGlcmds)) {
            EXPECT_EQ(GetI32(out, field), GetI32(in, field)) << "header byte " << field;
        }
    }
    const std::size_t offsetFields[] = {kFieldOfsSkins, kFieldOfsSt, kFieldOfsTris, kFieldOfsFrames};
    const std::size_t list = static_cast<std::size_t>(GetI32(out, kFieldOfsGlcmds));
    const std::size_t listEnd = list + 4 * static_cast<std::size_t>(GetI32(out, kFieldNumGlcmds));
    EXPECT_GE(list, kMd2BuilderHeaderBytes);
    EXPECT_LE(listEnd, static_cast<std::size_t>(GetI32(out, kFieldOfsEnd)));
    for (std::size_t part = 0; part < 4; ++part) {
        const std::size_t at = static_cast<std::size_t>(GetI32(out, offsetFields[part]));
        const std::vector<std::uint8_t>& expected = sections[part];
        if (expected.empty()) {
            continue;
        }
        ASSERT_LE(at + expected.size(), out.size()) << "section " << part;
        EXPECT_TRUE(std::equal(expected.begin(), expected.end(), out.begin() + static_cast<std::ptrdiff_t>(at)))
            << "section " << part;
        EXPECT_TRUE(listEnd <= at || at + expected.size() <= list) << "the list overlaps section " << part;
    }
    ASSERT_GE(out.size(), trailing);
    EXPECT_TRUE(std::equal(in.end() - trailing, in.end(), out.end() - trailing)) << "trailing bytes";
    EXPECT_EQ(static_cast<std::size_t>(GetI32(out, kFieldOfsEnd)) + trailing, out.size());
}

}  // namespace

TEST_F(Md2Layouts, EveryToolTakesEveryLayoutAndGlcmdsKeepsEveryOtherByte) {
    for (const Md2LayoutPlan& plan : Md2LayoutTable()) {
        SCOPED_TRACE(plan.name);
        Md2BuilderModel model = MakeToolModel(7, 5, 3);
        if (plan.noSkins) {
            model.skins.clear();
        }
        std::array<std::vector<std::uint8_t>, 5> sections;
        const std::vector<std::uint8_t> in = BuildMd2FileInLayout(model, plan, &sections);
        const std::string path = directory_ + plan.name + ".md2";
        ASSERT_TRUE(WriteTestFile(path, std::string(in.begin(), in.end())));

        // The import of frame 2 through the plug-in binary.
        RefSceneDestroy(scene_);
        scene_ = RefSceneCreate();
        const ImportRun run = Import(path, "select 112 2;press 1");
        ASSERT_EQ(run.readAnswer, 1);
        ASSERT_EQ(run.optionsAnswer, 1);
        ExpectHostPositions(Scene(), DecodedPositions(model, 2));
        ExpectHostFaces(Scene(), model);
        EXPECT_EQ(Scene()->materials.count, static_cast<int>(model.skins.size()));

        // check: a malformed list is the only error, an empty one the only warning.
        const bool malformed = plan.gl == Md2GlList::kMalformed;
        const bool empty = plan.gl == Md2GlList::kEmpty;
        EXPECT_EQ(Rules(in, true), malformed ? std::set<std::string>{"glcmds"} : std::set<std::string>{});
        EXPECT_EQ(Rules(in, false), empty ? std::set<std::string>{"glcmds-empty"} : std::set<std::string>{});

        // glcmds with -o leaves the input alone; in place gives the same bytes.
        const std::string out = directory_ + plan.name + "-gl.md2";
        Tool({"glcmds", path, "-o", out});
        EXPECT_EQ(FileBytes(path), in);
        const std::vector<std::uint8_t> rewritten = FileBytes(out);
        ExpectOnlyTheListChanged(in, rewritten, sections, plan.trailing);
        EXPECT_TRUE(CheckMd2Bytes(rewritten.data(), rewritten.size()).findings.empty());
        Tool({"glcmds", path});
        EXPECT_EQ(FileBytes(path), rewritten);

        Tool({"gltf", path, "-o", out + ".glb"});
        if (!TestOnWindows()) {
            Tool({"preview", out, "-o", out + ".png", "--size", "32x32"});
        }
    }
}
