#include "md2tool/md2_tool_cli.h"

#include <algorithm>
#include <iterator>

#include "md2tool/glcmd_rewrite.h"
#include "md2tool/gltf_command.h"
#include "md2tool/check_report.h"
#include "md2tool/md2_file_view.h"
#include "md2tool/player_check.h"
#include "md2tool/skin_command.h"
#include "md2tool/tool_files.h"
#ifdef CORVANE_MD2_PREVIEW
#include "md2tool/preview_command.h"
#endif

namespace {

struct CommandHelp {
    const char* name;
    const char* text;  // the usage lines, then what the command does
};

constexpr CommandHelp kCommands[] = {
    {"check",
     "usage: corvane-md2 check [--json] FILE.md2...\n"
     "       corvane-md2 check --player DIR\n"
     "  report what a Quake 2 engine refuses in each file (errors) and what is likely\n"
     "  wrong (warnings), one line per finding; --json for JSON; --player checks a\n"
     "  player model folder: tris.md2 with at least 198 frames, weapon.md2 (if there)\n"
     "  with as many, each skin tris.md2 names there as an 8-bit PCX in the Quake 2\n"
     "  palette with its _i.pcx icon, every file's findings, then the standard frame\n"
     "  ranges with the frame names found there\n"},
    {"glcmds",
     "usage: corvane-md2 glcmds IN.md2 [-o OUT.md2]\n"
     "  build the GL command list (triangle strips and fans) from the triangles and\n"
     "  write the file with it, verified before it replaces the target: in place, or\n"
     "  to OUT.md2\n"},
    {"gltf",
     "usage: corvane-md2 gltf IN.md2 -o OUT.glb|OUT.gltf [--fps N] [--skin IMAGE]... [--scale S]\n"
     "                        [--frames all|A-B|name]\n"
     "  write the model as glTF 2.0 with every frame as a morph target and one\n"
     "  animation per frame name (default 10 frames per second), its skins (beside the\n"
     "  model, or --skin) as PNG textures and material variants\n"},
    {"skin",
     "usage: corvane-md2 skin IMAGE -o OUT.pcx [--max WxH]\n"
     "  convert a PNG, TGA, JPEG or PCX image to an 8-bit PCX skin in the Quake 2\n"
     "  palette: each pixel the nearest colour (255, the transparent index, only for\n"
     "  pixels with alpha below 128), scaled down to fit WxH (default 640x480)\n"
     "  keeping its aspect; verified before it replaces OUT.pcx\n"},
    {"preview",
     "usage: corvane-md2 preview FILE.md2 -o OUT.png [--frames all|A-B|name] [--skin IMAGE]\n"
     "                           [--size WxH] [--columns N] [--triangles]\n"
     "  draw every chosen frame into a contact sheet PNG, one labelled cell per frame\n"
     "  (cell size WxH, default 192x192), textured with --skin or the model's first\n"
     "  skin found beside it (Linux only); from the GL command list when the file has\n"
     "  one, unless --triangles asks for the triangle list\n"},
};

constexpr char kFooter[] =
    "options: --help or -h (also after a command), --version\n"
    "exit status: 0 success, 1 unreadable input, a file not written or bad arguments,\n"
    "             2 check found an error\n";

int BadArguments(ToolOutput* output, const std::string& problem) { return ToolUsageError("", problem, output); }

int Check(const std::vector<std::string>& args, ToolOutput* output) {
    if (args.size() >= 2 && args[1] == "--player") {
        return args.size() == 3 ? RunPlayerCheck(args[2], output)
                                : ToolUsageError("check", "--player takes one folder", output);
    }
    bool json = false;
    std::vector<std::string> files;
    for (std::size_t i = 1; i < args.size(); ++i) {
        if (args[i] == "--json") {
            json = true;
        } else if (!args[i].empty() && args[i][0] == '-') {
            return ToolUsageError("check", "unknown option " + args[i], output);
        } else {
            files.push_back(args[i]);
        }
    }
    if (files.empty()) {
        return ToolUsageError("check", "no file to check", output);
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
            return ToolUsageError("glcmds", "unexpected argument " + args[i], output);
        }
    }
    if (in.empty()) {
        return ToolUsageError("glcmds", "no input file", output);
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

std::string ToolUsage(const std::string& command) {
    std::string text;
    for (const CommandHelp& help : kCommands) {
        if (command.empty() || command == help.name) {
            text += help.text;
        }
    }
    return text + kFooter;
}

int ToolUsageError(const std::string& command, const std::string& problem, ToolOutput* output) {
    output->err += "corvane-md2: " + problem + "\n" + ToolUsage(command);
    return kToolBadInput;
}

int RunMd2Tool(const std::vector<std::string>& args, ToolOutput* output) {
    if (args.empty()) {
        return BadArguments(output, "no command");
    }
    if (args[0] == "--help" || args[0] == "-h") {
        output->out += ToolUsage("");
        return kToolOk;
    }
    if (args[0] == "--version") {
        output->out += std::string("corvane-md2 ") + CORVANE_VERSION + "\n";
        return kToolOk;
    }
    const bool known = std::any_of(std::begin(kCommands), std::end(kCommands),
                                   [&args](const CommandHelp& help) { return args[0] == help.name; });
    if (!known) {
        return BadArguments(output, "unknown command " + args[0]);
    }
    if (std::find_if(args.begin() + 1, args.end(), [](const std::string& a) { return a == "--help" || a == "-h"; }) !=
        args.end()) {
        output->out += ToolUsage(args[0]);
        return kToolOk;
    }
    if (args[0] == "check") {
        return Check(args, output);
    }
    if (args[0] == "glcmds") {
        return GlCommands(args, output);
    }
    if (args[0] == "skin") {
        return RunSkinCommand(args, output);
    }
    if (args[0] == "gltf") {
        return RunGltfCommand(args, output);
    }
#ifdef CORVANE_MD2_PREVIEW
    return RunPreviewCommand(args, output);
#else
    output->err += "corvane-md2: preview draws with OSMesa, which this build does not have; "
                   "run the Linux build of corvane-md2 for it\n";
    return kToolBadInput;
#endif
}
