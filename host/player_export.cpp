#include "host/player_export.h"

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <random>

#include "host/command_line.h"
#include "host/export_flow.h"
#include "host/host_session.h"
#include "host/player_layout.h"
#include "host/scene_file.h"
#include "host/scene_source.h"
#include "md2tool/glcmd_rewrite.h"
#include "md2tool/skin_conversion.h"
#include "md2tool/tool_files.h"
#ifdef CORVANE_PLAYER_ICON
#include "md2tool/player_icon.h"
#endif

namespace {

namespace fs = std::filesystem;

struct PlayerArgs {
    std::string plugin;
    std::string source;
    std::string folder;
    std::string skinName = "skin";
    std::string savedScene;
    float scale = 1;
    bool transcript = false;
    PlayerOptions options;
};

// The problem with the arguments, or "".
std::string ParsePlayerArgs(const std::vector<std::string>& args, PlayerArgs* parsed) {
    parsed->plugin = AbsolutePath(args[1]);
    parsed->source = AbsolutePath(args[2]);
    parsed->folder = AbsolutePath(args[3]);
    for (std::size_t i = 4; i < args.size(); ++i) {
        const bool hasValue = i + 1 < args.size();
        if (args[i] == "--player") {
            continue;
        } else if (args[i] == "--map" && hasValue) {
            const std::string map = args[++i];
            const std::size_t equals = map.find('=');
            const std::string standard = StandardAnimationName(map.substr(0, equals));
            if (equals == std::string::npos || equals + 1 == map.size() || standard.empty()) {
                return "--map takes STANDARD=SOURCE with STANDARD one of the 20 standard animations, not " + map;
            }
            parsed->options.maps.emplace_back(standard, map.substr(equals + 1));
        } else if (args[i] == "--weapon" && hasValue) {
            parsed->options.weapon = args[++i];
        } else if (args[i] == "--skin-name" && hasValue) {
            parsed->skinName = args[++i];
            if (parsed->skinName.empty() || parsed->skinName.find_first_of("/\\.:") != std::string::npos) {
                return "--skin-name takes a file name without folder or extension, not " + parsed->skinName;
            }
        } else if (args[i] == "--scale" && hasValue) {
            char* end = nullptr;
            parsed->scale = std::strtof(args[++i].c_str(), &end);
            if (*end != '\0' || !(parsed->scale > 0) || parsed->scale > 1e30f) {
                return "--scale takes a positive number, not " + args[i];
            }
        } else if (args[i] == "--save-scene" && hasValue) {
            parsed->savedScene = AbsolutePath(args[++i]);
        } else if (args[i] == "--transcript") {
            parsed->transcript = true;
        } else {
            return "unknown option or missing value with --player: " + args[i];
        }
    }
    return std::string();
}

std::string Utf8(const fs::path& path) { return ToolPathText(path); }

fs::path Beside(const fs::path& folder, const char* tag) {
    std::random_device random;
    fs::path beside = folder;
    beside += std::string(tag) + std::to_string(random() % 1000000u);
    return beside;
}

// The texture that becomes the skin: the first one the scene's faces use.
std::string FirstTexture(const SceneDesc& desc) {
    for (const SceneGroup& group : desc.groups) {
        for (const SceneFace& face : group.faces) {
            if (face.material >= 0 && !desc.materials[static_cast<std::size_t>(face.material)].texture.empty()) {
                return desc.materials[static_cast<std::size_t>(face.material)].texture;
            }
        }
    }
    return std::string();
}

// Every face of the scene on one material whose texture is `pcx` (none
// when empty): an MD2 model shows one skin at a time.
void OneSkin(SceneDesc* desc, const std::string& name, const std::string& pcx) {
    desc->materials = {{name, pcx}};
    for (SceneGroup& group : desc->groups) {
        for (SceneFace& face : group.faces) {
            face.material = 0;
        }
    }
}

struct PlayerRun {
    HostSession session{};
    bool loaded = false;
    PlayerArgs args;
    fs::path temporary;
    std::string dirName;
    std::vector<std::string> warnings;  // shown once the folder is written
    std::vector<std::string> notes;
};

// The texture of `desc` converted into the temporary folder as `file`,
// the scene put on it. False with one line.
bool MakeSkin(PlayerRun* run, SceneDesc* desc, const std::string& file, ExportChoices* choices, std::string* why) {
    const std::string texture = FirstTexture(*desc);
    choices->setDirectory = true;
    choices->directory = "models/players/" + run->dirName + "/";
    if (texture.empty()) {
        OneSkin(desc, "skin", std::string());
        run->notes.push_back("no texture: " + file + " left out, the model names no skin");
        return true;
    }
    SkinConversion skin;
    const std::string pcx = Utf8(run->temporary / ToolPath(file));
    if (!ConvertSkinImage(texture, kLargestSkinWidth, kLargestSkinHeight, &skin, why)) {
        *why = "the texture cannot be read: " + *why;
        return false;
    }
    if (!WritePcxFile(pcx, skin.image, why)) {
        return false;
    }
    if (skin.scaled) {
        run->notes.push_back(file + ": " + DescribeSkinConversion(skin, kLargestSkinWidth, kLargestSkinHeight));
    }
    OneSkin(desc, file, pcx);
    choices->width = std::to_string(skin.image.width);
    choices->height = std::to_string(skin.image.height);
    return true;
}

// One MD2 file of the folder written by the plug-in. False with one line.
bool ExportThrough(PlayerRun* run, const SceneDesc& desc, const std::string& file, const ExportChoices& choices,
                   std::string* why) {
    RefScene* scene = BuildRefScene(desc);
    const ExportRun exported =
        RunExport(&run->session, scene, Utf8(run->temporary / ToolPath(file)), ExportDialogScript(choices));
    RefSceneDestroy(scene);
    if (run->args.transcript) {
        std::printf("%s: %s", file.c_str(), exported.transcript.c_str());
    }
    if (exported.optionsAnswer != 1 || exported.writeAnswer != 1) {
        std::string boxes = DescribeExportDialog(exported.transcript);
        const std::size_t box = boxes.find("  text ");
        *why = "the plug-in did not write " + file + " (export-options " + std::to_string(exported.optionsAnswer) +
               ", write " + std::to_string(exported.writeAnswer) + ")" +
               (exported.errorText.empty() ? "" : ": " + exported.errorText) +
               (box == std::string::npos ? "" : ": " + boxes.substr(box + 7, boxes.find('\n', box) - box - 7));
        return false;
    }
    // The engine's GL renderers draw from the GL command list.
    const std::string path = Utf8(run->temporary / ToolPath(file));
    GlRewriteStats stats{};
    return RewriteWithGlCommands(path, path, &stats, why);
}

bool WriteIcon(PlayerRun* run, std::string* why) {
    const std::string icon = run->args.skinName + "_i.pcx";
#ifdef CORVANE_PLAYER_ICON
    IndexedImage image;
    const std::string pcx = Utf8(run->temporary / ToolPath(run->args.skinName + ".pcx"));
    return DrawPlayerIcon(Utf8(run->temporary / "tris.md2"), pcx, &image, why) &&
           WritePcxFile(Utf8(run->temporary / ToolPath(icon)), image, why);
#else
    (void)why;
    run->notes.push_back(icon + " left out: the icon is drawn by the preview renderer, which is Linux only");
    return true;
#endif
}

// Puts the finished temporary folder in DIR's place (an earlier DIR is
// moved aside first and removed once the new one is in place).
bool MoveIntoPlace(const PlayerRun& run, std::string* why) {
    const fs::path target = ToolPath(run.args.folder);
    std::error_code error;
    fs::path aside;
    if (fs::exists(target, error)) {
        aside = Beside(target, ".old");
        fs::rename(target, aside, error);
        if (error) {
            *why = "cannot replace it: " + error.message();
            return false;
        }
    }
    fs::rename(run.temporary, target, error);
    if (error) {
        *why = "cannot rename the finished folder into place: " + error.message();
        std::error_code ignored;
        if (!aside.empty()) {
            fs::rename(aside, target, ignored);
        }
        return false;
    }
    if (!aside.empty()) {
        fs::remove_all(aside, error);
    }
    return true;
}

// Everything but the session's opening and the temporary folder's removal.
bool BuildFolder(PlayerRun* run, std::string* failed, std::string* why) {
    const PlayerArgs& args = run->args;
    SceneSourceOptions sourceOptions;
    sourceOptions.scale = args.scale;
    sourceOptions.frameCounts = PlayerFrameCounts(args.options);
    sourceOptions.textureFolder = Utf8(run->temporary);
    if (!args.savedScene.empty()) {
        sourceOptions.textureFolder = Utf8(ToolPath(args.savedScene).parent_path());
    }
    SceneDesc source;
    PlayerScenes scenes;
    *failed = args.source;
    if (!LoadSceneSource(args.source, sourceOptions, &source, why)) {
        const std::size_t colon = why->find(args.source + ": ");
        *why = colon == 0 ? why->substr(args.source.size() + 2) : *why;
        return false;
    }
    if (!args.savedScene.empty() && !WriteSceneFile(source, args.savedScene, why)) {
        *failed = args.savedScene;
        return false;
    }
    if (!LayOutPlayer(source, args.options, &scenes, why)) {
        return false;
    }
    run->warnings = scenes.warnings;
    *failed = args.folder;
    ExportChoices body;
    ExportChoices weapon;
    const std::string bodyTexture = FirstTexture(scenes.body);
    if (!MakeSkin(run, &scenes.body, args.skinName + ".pcx", &body, why)) {
        return false;
    }
    if (!scenes.weaponGroup.empty()) {
        const std::string weaponTexture = FirstTexture(scenes.weapon);
        const bool shared = weaponTexture.empty() || weaponTexture == bodyTexture;
        if (shared) {
            weapon = body;
            OneSkin(&scenes.weapon, args.skinName + ".pcx", scenes.body.materials[0].texture);
        } else if (!MakeSkin(run, &scenes.weapon, "weapon.pcx", &weapon, why)) {
            return false;
        }
    }
    if (!ExportThrough(run, scenes.body, "tris.md2", body, why) ||
        (!scenes.weaponGroup.empty() && !ExportThrough(run, scenes.weapon, "weapon.md2", weapon, why))) {
        return false;
    }
    if (scenes.weaponGroup.empty()) {
        run->notes.push_back("no weapon mesh (none named " +
                             (args.options.weapon.empty() ? std::string("weapon") : args.options.weapon) +
                             "): no weapon.md2");
    }
    if (!scenes.body.materials[0].texture.empty() && !WriteIcon(run, why)) {
        return false;
    }
    return MoveIntoPlace(*run, why);
}

}  // namespace

int RunPlayerExport(const std::vector<std::string>& args, PlayerUsageError usage) {
    PlayerRun run;
    const std::string problem = ParsePlayerArgs(args, &run.args);
    if (!problem.empty()) {
        return usage("export", problem);
    }
    const fs::path folder = ToolPath(run.args.folder);
    run.dirName = Utf8(folder.filename());
    std::string why;
    if (!OpenSession(run.args.plugin, &run.session, &why)) {
        std::fprintf(stderr, "load failed: %s\n", why.c_str());
        return 1;
    }
    run.temporary = Beside(folder, ".tmp");
    std::error_code error;
    std::string failed = run.args.folder;
    bool built = false;
    if (run.dirName.empty() || !fs::create_directory(run.temporary, error)) {
        why = "cannot make a folder beside it" + (error ? ": " + error.message() : std::string());
    } else {
        built = BuildFolder(&run, &failed, &why);
    }
    if (!built) {
        std::error_code ignored;
        fs::remove_all(run.temporary, ignored);
        std::fprintf(stderr, "cannot export %s: %s\n", failed.c_str(), why.c_str());
    } else {
        for (const std::string& warning : run.warnings) {
            std::fprintf(stderr, "warning: %s\n", warning.c_str());
        }
        for (const std::string& note : run.notes) {
            std::printf("note: %s\n", note.c_str());
        }
        std::printf("%s: player model of %d frames in %zu standard animations\n", run.args.folder.c_str(),
                    kPlayerFrames, std::size(kPlayerAnimations));
    }
    CloseSession(&run.session);
    return built ? 0 : 1;
}
