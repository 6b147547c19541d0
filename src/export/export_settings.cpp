#include "export/export_settings.h"

namespace {

constexpr char16_t kDefaultSkinDirectory[] = u"models/weapons2/";
static_assert(sizeof(kDefaultSkinDirectory) / sizeof(char16_t) <= kLocalSkinDirectoryUnits);

// Built at compile time, so the settings hold their defaults before any code runs.
constexpr ExportSettings MakeDefaultSettings() {
    ExportSettings settings{};
    settings.skinWidth = 256;
    settings.skinHeight = 256;
    for (int i = 0; kDefaultSkinDirectory[i] != 0; ++i) {
        settings.localSkinDirectory[i] = kDefaultSkinDirectory[i];
    }
    settings.totalFrames = 0;
    settings.selectedAnimation = 0;
    return settings;
}

constinit ExportSettings gExportSettings = MakeDefaultSettings();

}  // namespace

ExportSettings* CurrentExportSettings() { return &gExportSettings; }

void ResetExportSettings() { gExportSettings = MakeDefaultSettings(); }
