#include "md2tool/player_check.h"

#include <algorithm>
#include <cstdio>

#include "md2tool/check_report.h"
#include "md2tool/md2_check.h"
#include "md2tool/md2_file_view.h"
#include "md2tool/md2_tool_cli.h"
#include "md2tool/pcx_file.h"
#include "md2tool/player_frames.h"
#include "md2tool/skin_lookup.h"
#include "md2tool/tool_files.h"

namespace {

struct ModelFile {
    std::string path;
    std::vector<std::uint8_t> bytes;
    Md2FileView view{};
    bool open = false;
};

// Runs `check` on the file and notes its findings; false when unreadable.
bool CheckFile(ModelFile* file, ToolOutput* output, bool* errors) {
    Md2CheckResult result{false, {}, {}};
    if (ReadFileBytes(file->path, &file->bytes, &result.unreadable)) {
        result = CheckMd2Bytes(file->bytes.data(), file->bytes.size());
    }
    (result.readable ? output->out : output->err) += FormatFindingsText(file->path, result);
    *errors = *errors || HasErrors(result);
    std::string ignored;
    file->open = result.readable && OpenMd2View(file->bytes.data(), file->bytes.size(), &file->view, &ignored) &&
                 FramesInFile(file->view);
    return result.readable;
}

void Error(ToolOutput* output, bool* errors, const std::string& path, const std::string& rule, const std::string& message) {
    output->out += path + ": error [" + rule + "] " + message + "\n";
    *errors = true;
}

// An 8-bit PCX in the Quake 2 palette, as the engine loads skins; the size
// of the picture when it is one.
bool CheckPcx(const std::string& path, ToolOutput* output, bool* errors, int* width, int* height) {
    std::vector<std::uint8_t> bytes;
    std::string why;
    IndexedImage image;
    std::vector<std::uint8_t> palette;
    if (!ReadFileBytes(path, &bytes, &why) || !DecodePcxIndexed(bytes, &image, &palette, &why)) {
        Error(output, errors, path, "player-skin", why);
        return false;
    }
    if (!std::equal(palette.begin(), palette.end(), Quake2Palette())) {
        Error(output, errors, path, "player-palette", "the palette is not the Quake 2 palette");
        return false;
    }
    *width = image.width;
    *height = image.height;
    return true;
}

void CheckSkins(const ModelFile& tris, const std::string& folder, ToolOutput* output, bool* errors) {
    for (int s = 0; s < tris.view.header.num_skins && SkinsInFile(tris.view); ++s) {
        std::string name = SkinNameOf(tris.view, s);
        name = name.substr(name.find_last_of("/\\") == std::string::npos ? 0 : name.find_last_of("/\\") + 1);
        const std::string skin = folder + name;
        int width = 0;
        int height = 0;
        if (!CheckPcx(skin, output, errors, &width, &height)) {
            continue;
        }
        const std::size_t dot = name.find_last_of('.');
        const std::string icon = folder + name.substr(0, dot) + "_i.pcx";
        if (CheckPcx(icon, output, errors, &width, &height) && (width != 32 || height != 32)) {
            output->out += icon + ": warning [player-icon] " + std::to_string(width) + "x" + std::to_string(height) +
                           ", the engine's icons are 32x32\n";
        }
    }
}

// The standard ranges with the first and last frame names found there.
void PrintRanges(const ModelFile& tris, ToolOutput* output) {
    int first = 0;
    for (const PlayerAnimation& range : kPlayerAnimations) {
        const int last = first + range.frames - 1;
        auto name = [&tris](int f) {
            return f < tris.view.header.num_frames ? FrameNameOf(FrameHeaderAt(tris.view, f)) : std::string("(none)");
        };
        char line[128];
        std::snprintf(line, sizeof line, "%-8s %3d-%3d  %s .. %s\n", range.name, first, last, name(first).c_str(),
                      name(last).c_str());
        output->out += line;
        first = last + 1;
    }
}

}  // namespace

int RunPlayerCheck(const std::string& folderArgument, ToolOutput* output) {
    std::string folder = folderArgument;
    if (!folder.empty() && folder.back() != '/' && folder.back() != '\\') {
        folder += '/';
    }
    bool errors = false;
    ModelFile tris;
    tris.path = folder + "tris.md2";
    if (!CheckFile(&tris, output, &errors)) {
        return kToolBadInput;
    }
    if (!tris.open) {
        return kToolFindings;
    }
    const int frames = tris.view.header.num_frames;
    if (frames < kPlayerFrames) {
        Error(output, &errors, tris.path, "player-frames",
              std::to_string(frames) + " frames; the standard layout needs " + std::to_string(kPlayerFrames));
    }
    ModelFile weapon;
    weapon.path = folder + "weapon.md2";
    std::error_code ignored;
    if (std::filesystem::exists(ToolPath(weapon.path), ignored)) {
        if (!CheckFile(&weapon, output, &errors)) {
            errors = true;
        } else if (weapon.open && weapon.view.header.num_frames != frames) {
            Error(output, &errors, weapon.path, "player-weapon-frames",
                  std::to_string(weapon.view.header.num_frames) + " frames, tris.md2 has " + std::to_string(frames));
        }
    }
    CheckSkins(tris, folder, output, &errors);
    PrintRanges(tris, output);
    return errors ? kToolFindings : kToolOk;
}
