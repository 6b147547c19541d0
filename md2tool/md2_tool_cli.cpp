#include "md2tool/md2_tool_cli.h"

#include "md2tool/glcmd_rewrite.h"
#include "md2tool/gltf_command.h"
#include "md2tool/md2_check.h"
#include "md2tool/md2_file_view.h"
#include "md2tool/tool_files.h"
#ifdef CORVANE_MD2_PREVIEW
#include "md2tool/preview_command.h"
#endif

namespace {

constexpr char kUsage[] =
    "usage: corvane-md2 check [--json] FILE.md2...\n"
    "       corvane-md2 glcmds IN.md2 [-o OUT.md2]\n"
    "       corvane-md2 gltf IN.md2 -o OUT.glb|OUT.gltf [--fps N] [--skin IMAGE]... [--scale S]\n"
    "                        [--frames all|A-B|name]\n"
    "       corvane-md2 preview FILE.md2 -o OUT.png [--frames all|A-B|name] [--skin IMAGE]\n"
    "                           [--size WxH] [--columns N] [--triangles]\n"
    "  check    report what a Quake 2 engine refuses in each file (errors) and what is\n"
    "           likely wrong (warnings), one line per finding; --json for JSON\n"
    "  glcmds   build the GL command list (triangle strips and fans) from the triangles\n"
    "           and write the file with it: in place, or to OUT.md2\n"
    "  gltf     write the model as glTF 2.0 with every frame as a morph target and one\n"
    "           animation per frame name (default 10 frames per second), its skins\n"
    "           (beside the model, or --skin) as PNG textures and material variants\n"
    "  preview  draw every chosen frame into a contact sheet PNG, one labelled cell per\n"
    "           frame (cell size WxH, default 192x192), textured with --skin or the\n"
    "           model's first skin found beside it (Linux only); from the GL command\n"
    "           list when the file has one, unless --triangles asks for the triangle list\n"
    "exit status: 0 success, 1 unreadable input or bad arguments, 2 check found an error\n";

int BadArguments(ToolOutput* output) {
    output->err += kUsage;
    return kToolBadInput;
}

int Check(const std::vector<std::string>& args, ToolOutput* output) {
    bool json = false;
    std::vector<std::string> files;
    for (std::size_t i = 1; i < args.size(); ++i) {
        if (args[i] == "--json") {
            json = true;
        } else if (!args[i].empty() && args[i][0] == '-') {
            return BadArguments(output);
        } else {
            files.push_back(args[i]);
        }
    }
    if (files.empty()) {
        return BadArguments(output);
    }
    std::vector<Md2CheckResult> results;
    bool unreadable = false;
    bool errors = false;
    for (const std::string& file : files) {
        std::vector<std::uint8_t> bytes;
        Md2CheckResult result{false, {}, {}};
        if (ReadFileBytes(file, &bytes, &result.unreadable)) {
            result = CheckMd2Bytes(bytes.data(), bytes.size());
        }
        unreadable = unreadable || !result.readable;
        errors = errors || HasErrors(result);
        if (!json) {
            (result.readable ? output->out : output->err) += FormatFindingsText(file, result);
        }
        results.push_back(std::move(result));
    }
    if (json) {
        output->out += FormatFindingsJson(files, results);
    }
    return unreadable ? kToolBadInput : errors ? kToolFindings : kToolOk;
}

int GlCommands(const std::vector<std::string>& args, ToolOutput* output) {
    std::string in;
    std::string out;
    for (std::size_t i = 1; i < args.size(); ++i) {
        if (args[i] == "-o" && i + 1 < args.size()) {
            out = args[++i];
        } else if (in.empty() && !args[i].empty() && args[i][0] != '-') {
            in = args[i];
        } else {
            return BadArguments(output);
        }
    }
    if (in.empty()) {
        return BadArguments(output);
    }
    if (out.empty()) {
        out = in;
    }
    GlRewriteStats stats{};
    std::string error;
    if (!RewriteWithGlCommands(in, out, &stats, &error)) {
        output->err += "corvane-md2: " + error + "\n";
        return kToolBadInput;
    }
    output->out += out + ": " + std::to_string(stats.triangles) + " triangles in " +
                   std::to_string(stats.runs.strips) + " strips and " + std::to_string(stats.runs.fans) +
                   " fans, " + std::to_string(stats.words) + " GL command words\n";
    return kToolOk;
}

}  // namespace

int RunMd2Tool(const std::vector<std::string>& args, ToolOutput* output) {
    if (args.empty()) {
        return BadArguments(output);
    }
    if (args[0] == "--help" || args[0] == "-h") {
        output->out += kUsage;
        return kToolOk;
    }
    if (args[0] == "check") {
        return Check(args, output);
    }
    if (args[0] == "glcmds") {
        return GlCommands(args, output);
    }
    if (args[0] == "gltf") {
        return RunGltfCommand(args, output);
    }
    if (args[0] == "preview") {
#ifdef CORVANE_MD2_PREVIEW
        return RunPreviewCommand(args, output);
#else
        output->err += "corvane-md2: preview draws with OSMesa, which this build does not have; "
                       "run the Linux build of corvane-md2 for it\n";
        return kToolBadInput;
#endif
    }
    return BadArguments(output);
}
