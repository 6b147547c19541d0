#include "md2tool/skin_lookup.h"

#include <cstring>
#include <filesystem>

#include "md2tool/tool_files.h"

std::string SkinNameOf(const Md2FileView& view, int index) {
    if (index < 0 || index >= view.header.num_skins || !SkinsInFile(view)) {
        return {};
    }
    const Md2SkinRecord skin = SkinAt(view, index);
    return std::string(skin.path, strnlen(skin.path, kMd2SkinBytes));
}

std::string FindSkinBeside(const Md2FileView& view, int index, const std::string& modelPath) {
    std::string name = SkinNameOf(view, index);
    const std::size_t slash = name.find_last_of("/\\");
    if (slash != std::string::npos) {
        name = name.substr(slash + 1);
    }
    if (name.empty()) {
        return {};
    }
    const std::filesystem::path folder = ToolPath(modelPath).parent_path();
    std::error_code ignored;
    if (std::filesystem::is_regular_file(folder / ToolPath(name), ignored)) {
        return ToolPathText(folder / ToolPath(name));
    }
    const std::filesystem::path stem = ToolPath(name).stem();
    for (const char* extension : {".pcx", ".tga", ".png"}) {
        std::filesystem::path candidate = folder / stem;
        candidate += extension;
        if (std::filesystem::is_regular_file(candidate, ignored)) {
            return ToolPathText(candidate);
        }
    }
    return {};
}
