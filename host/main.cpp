// corvane-host: the reference host as a command-line program. It loads a
// plug-in binary the way the modelling host does and drives it.
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "host/call_log.h"
#include "host/command_line.h"
#include "host/demo_scene.h"
#include "host/dialog_user.h"
#include "host/export_flow.h"
#include "host/frame_counts.h"
#include "host/host_session.h"
#include "host/player_export.h"
#include "host/import_flow.h"
#include "host/large_rig.h"
#include "host/sample_model.h"
#include "host/registration_check.h"
#include "host/scene_file.h"
#include "host/scene_source.h"
#include "md2tool/glcmd_rewrite.h"
#include "platform/user_script.h"
#include "res/dialog_ids.h"

namespace {

struct CommandHelp {
    const char* name;
    const char* text;  // the usage lines, then what the command does
};

constexpr CommandHelp kCommands[] = {
    {"info",
     "usage: corvane-host info [PLUGIN]\n"
     "  load the plug-in (default: corvane_64.dlx next to this program), register it\n"
     "  and print what it registers\n"},
    {"sample",
     "usage: corvane-host sample DIRECTORY\n"
     "  write the sample model crate.md2 and its skin crate.pcx\n"},
    {"import",
     "usage: corvane-host import PLUGIN FILE.md2 [--frame N | --cancel | --interactive]\n"
     "                           [--obj OUT.obj] [--transcript]\n"
     "  read FILE.md2 and import one frame: --frame N picks frame N in the dialog\n"
     "  (default 0), --cancel cancels it, --interactive leaves the dialog to you\n"
     "  (Windows); --obj writes the scene as OBJ and MTL\n"},
    {"export",
     "usage: corvane-host export PLUGIN SOURCE OUT.md2 [--skin-dir D] [--skin-size WxH]\n"
     "                           [--rename I=NAME]... [--cancel] [--transcript]\n"
     "                           [--screenshots DIRECTORY] [--fps N] [--scale S]\n"
     "                           [--save-scene F.json] [--glcmds] [--time]\n"
     "                           [--frames NAME=COUNT]... [--loop NAME]...\n"
     "  export SOURCE (an MD2 file, imported first; demo: a rigged and animated scene\n"
     "  whose skin image is written beside OUT.md2; bench: the benchmark scene, 2048\n"
     "  vertices, 32 bones, 512 frames) through the export dialog: --skin-dir and\n"
     "  --skin-size are typed into it, --rename renames animation I, --cancel cancels\n"
     "  it; --screenshots saves each dialog and message box as a BMP there (Windows)\n"
     "  SOURCE may also be a scene file (.json) or, on Linux, any model file the Open\n"
     "  Asset Import Library reads (glTF, FBX, COLLADA, X, SMD, ...): --fps sets its\n"
     "  animations' frame rate (default 10), --scale multiplies its positions\n"
     "  (default 1), --save-scene writes the scene built from it; --frames samples\n"
     "  animation NAME to exactly COUNT frames over its length, ending on its last pose,\n"
     "  or with --loop NAME leading back into its first; --glcmds adds the GL\n"
     "  command list (strips and fans) to the written file; --time prints how long\n"
     "  the plug-in took to answer the write request\n"},
    {"export",
     "usage: corvane-host export PLUGIN SOURCE DIR --player [--map STD=SOURCE]... [--weapon MESH]\n"
     "                           [--skin-name NAME] [--scale S] [--save-scene F.json] [--transcript]\n"
     "  write the Quake 2 player model folder DIR from SOURCE (a model or scene file):\n"
     "  tris.md2 with the 20 standard animations in their 198 frames (each from the\n"
     "  source animation of its name, or the one --map names; the rest pose and a\n"
     "  warning without one), weapon.md2 from the mesh --weapon names (default: named\n"
     "  weapon), NAME.pcx (default skin) from the texture in the Quake 2 palette, and\n"
     "  its 32x32 icon NAME_i.pcx (Linux only); built beside DIR, then renamed into place\n"},
};

constexpr char kFooter[] =
    "options: --help or -h (also after a command), --version\n"
    "exit status: 0 success (or a cancelled export with --cancel), 1 failure or bad arguments\n";

std::string UsageOf(const std::string& command) {
    std::string text;
    for (const CommandHelp& help : kCommands) {
        if (command.empty() || command == help.name) {
            text += help.text;
        }
    }
    return text + kFooter;
}

// One line naming the problem, then the command's usage, on the error output.
int Usage(const std::string& command, const std::string& problem) {
    std::fprintf(stderr, "corvane-host: %s\n%s", problem.c_str(), UsageOf(command).c_str());
    return 1;
}

int Info(const std::string& pluginPath) {
    HostSession session;
    std::string error;
    std::printf("plugin: %s\n", pluginPath.c_str());
    if (!OpenSession(pluginPath, &session, &error)) {
        std::fprintf(stderr, "load failed: %s\n", error.c_str());
        return 1;
    }
    const HostRegistration& record = session.registration.record;
    std::printf("PluginVersion: %d\n", session.versionAnswer);
    std::printf("version query: %d\n", session.proc(kMessageVersionQuery, nullptr, nullptr));
    std::printf("register: %d\n", session.registerAnswer);
    std::printf("identifier: %08X %08X %08X %08X\n", record.identifier[0], record.identifier[1],
                record.identifier[2], record.identifier[3]);
    std::printf("words: %d %d\n", record.fixedWords[0], record.fixedWords[1]);
    std::printf("description: \"%s\"\n", PrintableText(record.description).c_str());
    std::printf("version text: \"%s\"\n", PrintableText(record.version).c_str());
    std::printf("file filter: \"%s\"\n", PrintableText(record.fileFilter).c_str());
    std::printf("extension: \"%s\"\n", PrintableText(session.registration.extension).c_str());
    std::vector<std::string> problems = CheckRegistration(session.registration);
    for (const std::string& problem : problems) {
        std::printf("record problem: %s\n", problem.c_str());
    }
    std::printf("record check: %s\n", problems.empty() ? "ok" : "failed");
    CloseSession(&session);
    return problems.empty() ? 0 : 1;
}

// Paths are made absolute first: an import changes the current directory.
std::string Absolute(const std::string& path) { return AbsolutePath(path); }

// Loads and registers the plug-in; says why when it cannot.
bool Load(const std::string& pluginPath, HostSession* session) {
    std::string error;
    if (!OpenSession(pluginPath, session, &error)) {
        std::fprintf(stderr, "load failed: %s\n", error.c_str());
        return false;
    }
    return true;
}

int Import(const std::vector<std::string>& args) {
    std::string pluginPath = Absolute(args[1]);
    std::string file = Absolute(args[2]);
    const std::string cancel = UserPress(IDC_CANCEL);
    std::string script = UserPress(IDC_OK);
    std::string objPath;
    bool interactive = false;
    bool showTranscript = false;
    for (std::size_t i = 3; i < args.size(); ++i) {
        if (args[i] == "--frame" && i + 1 < args.size()) {
            script = UserSelect(IDC_FRAME_LIST, args[++i]) + "; " + UserPress(IDC_OK);
        } else if (args[i] == "--cancel") {
            script = cancel;
        } else if (args[i] == "--interactive") {
            interactive = true;
        } else if (args[i] == "--obj" && i + 1 < args.size()) {
            objPath = Absolute(args[++i]);
        } else if (args[i] == "--transcript") {
            showTranscript = true;
        } else {
            return Usage("import", "unknown option or missing value: " + args[i]);
        }
    }
    HostSession session;
    if (!Load(pluginPath, &session)) {
        return 1;
    }
    RefScene* scene = RefSceneCreate();
    ClearHostCallLog();
    ImportRun run;
    if (interactive) {
        RefSetFilePath(scene, file);
        run.readAnswer = SendRequest(&session, kRequestRead, scene);
        run.errorText = RefErrorText(scene);
        if (run.readAnswer == 1) {
            run.optionsAnswer = SendRequest(&session, kRequestImportOptions, scene);
        }
    } else {
        run = RunImport(&session, scene, file, script);
    }
    std::printf("file: %s\n", file.c_str());
    std::printf("read request: %d%s%s\n", run.readAnswer, run.errorText.empty() ? "" : " error text: ",
                run.errorText.c_str());
    if (run.optionsAnswer != -1) {
        std::printf("import-options request: %d (%s)\n", run.optionsAnswer,
                    run.optionsAnswer == 1 ? "built" : run.optionsAnswer == 2 ? "cancelled" : "failed");
    }
    if (showTranscript) {
        std::printf("%s", run.transcript.c_str());
    }
    std::printf("%s", DescribeScene(scene).c_str());
    int result = run.optionsAnswer == 1 || (run.optionsAnswer == 2 && script == cancel) ? 0 : 1;
    if (!objPath.empty()) {
        bool written = WriteSceneObj(scene, objPath);
        std::printf("obj: %s %s\n", objPath.c_str(), written ? "written" : "could not be written");
        result = written ? result : 1;
    }
    RefSceneDestroy(scene);
    CloseSession(&session);
    return result;
}

std::string FolderOf(const std::string& path) {
    std::size_t slash = path.find_last_of("/\\");
    return slash == std::string::npos ? std::string(".") : path.substr(0, slash);
}

bool IsMd2Path(const std::string& path) {
    return path.size() >= 4 && (path.compare(path.size() - 4, 4, ".md2") == 0 ||
                                path.compare(path.size() - 4, 4, ".MD2") == 0);
}

// A positive finite number, or 0.
float PositiveNumber(const std::string& text) {
    char* end = nullptr;
    const float value = std::strtof(text.c_str(), &end);
    return end != text.c_str() && *end == '\0' && value > 0 && value < 1e30f ? value : 0;
}

// Gives the file just written its GL command list, in place.
int AddGlCommandsToExport(const std::string& path) {
    GlRewriteStats stats{};
    std::string error;
    if (!RewriteWithGlCommands(path, path, &stats, &error)) {
        std::fprintf(stderr, "GL commands: failed: %s\n", error.c_str());
        return 1;
    }
    std::printf("GL commands: %d triangles in %d strips and %d fans, %d words\n", stats.triangles, stats.runs.strips,
                stats.runs.fans, stats.words);
    return 0;
}

bool FileExists(const std::string& utf8Path) {
    std::error_code error;
    return std::filesystem::exists(std::filesystem::path(std::u8string(utf8Path.begin(), utf8Path.end())), error);
}

const char* OptionsVerdict(int answer) {
    return answer == 1 ? "go on" : answer == 2 ? "refused or cancelled" : "failed";
}

// What `export` was asked to do.
struct ExportCommand {
    std::string pluginPath;
    std::string source;  // "demo", "bench" or an absolute path
    std::string outPath;
    ExportChoices choices;
    bool showTranscript = false;
    SceneSourceOptions sourceOptions;
    std::string savedScene;
    bool glCommands = false;
    bool timeWrite = false;
    std::string screenshotDirectory;  // empty: no screenshots
};

// The command from its arguments; empty when they are good, else the problem.
std::string ParseExport(const std::vector<std::string>& args, ExportCommand* command) {
    command->pluginPath = Absolute(args[1]);
    command->source = args[2] == "demo" || args[2] == "bench" ? args[2] : Absolute(args[2]);
    command->outPath = Absolute(args[3]);
    ExportChoices& choices = command->choices;
    for (std::size_t i = 4; i < args.size(); ++i) {
        const bool hasValue = i + 1 < args.size();
        if (args[i] == "--skin-dir" && hasValue) {
            choices.setDirectory = true;
            choices.directory = args[++i];
        } else if (args[i] == "--skin-size" && hasValue) {
            const std::string size = args[++i];
            const std::size_t x = size.find('x');
            if (x == std::string::npos) {
                return "--skin-size takes WxH, not " + size;
            }
            choices.width = size.substr(0, x);
            choices.height = size.substr(x + 1);
        } else if (args[i] == "--rename" && hasValue) {
            const std::string rename = args[++i];
            const std::size_t equals = rename.find('=');
            if (equals == std::string::npos || equals == 0) {
                return "--rename takes I=NAME, not " + rename;
            }
            choices.renames.emplace_back(std::atoi(rename.substr(0, equals).c_str()), rename.substr(equals + 1));
        } else if ((args[i] == "--fps" || args[i] == "--scale") && hasValue) {
            const float value = PositiveNumber(args[i + 1]);
            if (value == 0) {
                return args[i] + " takes a positive number, not " + args[i + 1];
            }
            (args[i] == "--fps" ? command->sourceOptions.fps : command->sourceOptions.scale) = value;
            ++i;
        } else if ((args[i] == "--frames" || args[i] == "--loop") && hasValue) {
            std::string problem;
            if (!AddFrameCountOption(args[i], args[i + 1], &command->sourceOptions.frameCounts, &problem)) {
                return problem;
            }
            ++i;
        } else if (args[i] == "--save-scene" && hasValue) {
            command->savedScene = Absolute(args[++i]);
        } else if (args[i] == "--cancel") {
            choices.cancel = true;
        } else if (args[i] == "--transcript") {
            command->showTranscript = true;
        } else if (args[i] == "--glcmds") {
            command->glCommands = true;
        } else if (args[i] == "--time") {
            command->timeWrite = true;
        } else if (args[i] == "--screenshots" && hasValue) {
            std::string directory = Absolute(args[++i]);
            if (!directory.empty() && directory.back() != '/' && directory.back() != '\\') {
                directory += '/';
            }
            command->screenshotDirectory = directory;
        } else {
            return "unknown option or missing value: " + args[i];
        }
    }
    const std::string& source = command->source;
    if (!command->sourceOptions.frameCounts.empty() && (source == "demo" || source == "bench" || IsMd2Path(source))) {
        return "--frames and --loop take a model or scene file as SOURCE";
    }
    return std::string();
}

// The scene of a model or scene file, saved as a scene file when asked;
// null, with the reason printed, when it cannot be had.
RefScene* SceneFromFile(ExportCommand* command) {
    SceneDesc desc;
    std::string why;
    command->sourceOptions.textureFolder = FolderOf(command->outPath);
    if (!LoadSceneSource(command->source, command->sourceOptions, &desc, &why) ||
        !CheckFrameCountNames(command->sourceOptions.frameCounts, desc, command->source, &why)) {
        std::fprintf(stderr, "cannot export %s\n", why.c_str());
        return nullptr;
    }
    const std::string& saved = command->savedScene;
    if (!saved.empty() && !WriteSceneFile(desc, saved, &why)) {
        std::fprintf(stderr, "scene file %s: %s\n", saved.c_str(), why.c_str());
        return nullptr;
    }
    RefScene* scene = BuildRefScene(desc);
    std::printf("source: %s, %zu vertices, %zu groups, %zu bones, %zu animations%s%s\n", command->source.c_str(),
                desc.vertices.size(), desc.groups.size(), desc.bones.size(), desc.animations.size(),
                saved.empty() ? "" : ", scene saved as ", saved.c_str());
    return scene;
}

// The scene an MD2 file gives through the plug-in's own import; null when
// the import did not build it.
RefScene* SceneFromImport(HostSession* session, const std::string& source) {
    RefScene* scene = RefSceneCreate();
    ImportRun imported = RunImport(session, scene, source, UserPress(IDC_OK));
    std::printf("source: %s imported (read request %d, import-options request %d)\n", source.c_str(),
                imported.readAnswer, imported.optionsAnswer);
    if (imported.optionsAnswer != 1) {
        RefSceneDestroy(scene);
        return nullptr;
    }
    return scene;
}

// The scene to export: the demo or benchmark scene, a converted file or an
// imported MD2 file; null, with the reason printed, when it cannot be had.
RefScene* ExportSource(HostSession* session, ExportCommand* command) {
    const std::string& source = command->source;
    if (source == "demo") {
        const std::string folder = FolderOf(command->outPath);
        RefScene* scene = BuildDemoScene(folder);
        if (scene == nullptr) {
            std::fprintf(stderr, "the demo skin could not be written in %s\n", folder.c_str());
            return nullptr;
        }
        std::printf("source: demo scene, skin image %s\n", DemoSkinPath(folder).c_str());
        return scene;
    }
    if (source == "bench") {
        RefScene* scene = BuildBenchmarkScene();
        std::printf("source: benchmark scene\n");
        return scene;
    }
    return IsMd2Path(source) ? SceneFromImport(session, source) : SceneFromFile(command);
}

// Prints the export's requests and the file written; answers the exit status.
int ReportExport(const ExportCommand& command, const ExportRun& run, bool targetExisted) {
    std::printf("export-options request: %d (%s)\n", run.optionsAnswer, OptionsVerdict(run.optionsAnswer));
    std::printf("%s", DescribeExportDialog(run.transcript).c_str());
    if (command.showTranscript) {
        std::printf("%s", run.transcript.c_str());
    }
    if (run.writeAnswer == -1) {
        return command.choices.cancel && run.optionsAnswer == 2 ? 0 : 1;
    }
    std::printf("write request: %d (%s)%s%s\n", run.writeAnswer, run.writeAnswer != 0 ? "written" : "failed",
                run.errorText.empty() ? "" : " error text: ", run.errorText.c_str());
    if (command.timeWrite) {
        std::printf("write request took %.1f ms\n", run.writeSeconds * 1e3);
    }
    if (run.writeAnswer == 0) {
        // Whatever lies at the target now is not this export's file.
        std::fprintf(stderr, "export failed: %s %s\n", command.outPath.c_str(),
                     targetExisted ? "was left as it was" : "was not written");
        return 1;
    }
    std::printf("%s", DescribeMd2File(command.outPath).c_str());
    return command.glCommands ? AddGlCommandsToExport(command.outPath) : 0;
}

int Export(const std::vector<std::string>& args) {
    if (std::find(args.begin() + 4, args.end(), "--player") != args.end()) {
        return RunPlayerExport(args, Usage);
    }
    ExportCommand command;
    const std::string problem = ParseExport(args, &command);
    if (!problem.empty()) {
        return Usage("export", problem);
    }
    HostSession session;
    if (!Load(command.pluginPath, &session)) {
        return 1;
    }
    RefScene* scene = ExportSource(&session, &command);
    if (scene == nullptr) {
        CloseSession(&session);
        return 1;
    }
    const std::string script = ExportDialogScript(command.choices);
    std::printf("dialog user: %s\n", script.c_str());
    ClearHostCallLog();
    const bool targetExisted = FileExists(command.outPath);
    const ExportRun run = RunExport(&session, scene, command.outPath, script, command.screenshotDirectory);
    const int result = ReportExport(command, run, targetExisted);
    // A failed write prints no scene: what it holds is not the export's.
    if (run.writeAnswer != 0) {
        std::printf("%s", DescribeScene(scene).c_str());
    }
    RefSceneDestroy(scene);
    CloseSession(&session);
    return result;
}

}  // namespace

int main(int argc, char** argv) {
    std::vector<std::string> args = CommandLineArguments(argc, argv);
    if (args.empty()) {
        return Usage("", "no command");
    }
    if (args[0] == "--help" || args[0] == "-h") {
        std::printf("%s", UsageOf("").c_str());
        return 0;
    }
    if (args[0] == "--version") {
        std::printf("corvane-host %s\n", CORVANE_VERSION);
        return 0;
    }
    const std::string& command = args[0];
    if (UsageOf(command) == kFooter) {
        return Usage("", "unknown command " + command);
    }
    for (std::size_t i = 1; i < args.size(); ++i) {
        if (args[i] == "--help" || args[i] == "-h") {
            std::printf("%s", UsageOf(command).c_str());
            return 0;
        }
    }
    if (command == "info" && args.size() <= 2) {
        return Info(args.size() == 2 ? args[1] : DefaultPluginPath());
    }
    if (command == "sample" && args.size() == 2) {
        std::string path = WriteSampleModel(args[1]);
        if (path.empty()) {
            std::fprintf(stderr, "corvane-host: the sample could not be written into %s\n", args[1].c_str());
            return 1;
        }
        std::printf("%s\n", path.c_str());
        return 0;
    }
    if (command == "import" && args.size() >= 3) {
        return Import(args);
    }
    if (command == "export" && args.size() >= 4) {
        return Export(args);
    }
    return Usage(command, command == "info" || command == "sample" ? "unexpected arguments" : "missing arguments");
}
