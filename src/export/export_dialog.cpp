#include "export/export_dialog.h"

#include <cstdint>
#include <cstring>

#include "anim/frame_sampling.h"
#include "export/export_settings.h"
#include "export/frame_plan.h"
#include "host_api/host_ops.h"
#include "res/dialog_ids.h"
#include "util/center_window.h"
#include "util/format_text.h"
#include "util/text.h"

namespace {

constexpr int kNumberUnits = 256;
// Edits are read up to this many characters.
constexpr int kEditUnits = 256;
// Units of a message box's text.
constexpr int kMessageUnits = 256;
constexpr int kDefaultSkinSize = 256;

ExportDialogContext& ContextOf(void* context) { return *static_cast<ExportDialogContext*>(context); }

// The animation the settings select, or null when it is not in the list.
HostAnimation* SelectedAnimation(const ExportDialogContext& context) {
    const int index = context.selectedAnimation;
    HostScene* scene = context.scene;
    return index >= 0 && index < ListCount(scene->animations) ? &scene->animations.items[index] : nullptr;
}

void SetNumber(WindowHandle dialog, int controlId, const char16_t* format, int value) {
    char16_t text[kNumberUnits];
    FormatText(text, kNumberUnits, format, value);
    PlatformSetControlText(dialog, controlId, text);
}

bool IsBlank(char16_t c) { return c == u' ' || (c >= u'\t' && c <= u'\r'); }
bool IsHighSurrogate(char16_t c) { return c >= 0xD800 && c <= 0xDBFF; }

void RenameSelected(WindowHandle dialog, ExportDialogContext& context) {
    const int current = PlatformListCurrent(dialog, IDC_ANIMATION_LIST);
    const int animations = ListCount(context.scene->animations);
    context.selectedAnimation = current >= 0 && current < animations ? current : 0;
    PlatformRunDialog(context.renameInstance, IDD_RENAME, dialog, RenameDialog, &context);
    FillExportDialog(dialog, context);
}

}  // namespace

int SkinSizeFromText(const char16_t* text) {
    if (text == nullptr) {
        return kDefaultSkinSize;
    }
    while (IsBlank(*text)) {
        ++text;
    }
    const bool negative = *text == u'-';
    if (*text == u'-' || *text == u'+') {
        ++text;
    }
    // Saturated like the C runtime's conversion of a 32-bit long.
    std::int64_t value = 0;
    for (; *text >= u'0' && *text <= u'9'; ++text) {
        if (value <= INT32_MAX) {
            value = value * 10 + (*text - u'0');
        }
    }
    if (negative || value == 0) {
        return kDefaultSkinSize;
    }
    return value > INT32_MAX ? INT32_MAX : static_cast<int>(value);
}

void SkinDirectoryFromText(const char16_t* text, char16_t* out) {
    constexpr std::size_t kLongest = kLocalSkinDirectoryUnits - 1;
    std::size_t n = text != nullptr ? U16Length(text, kLongest) : 0;
    if (n == kLongest && text[n - 1] != u'/') {
        --n;  // room for the slash
    }
    if (n > 0 && IsHighSurrogate(text[n - 1])) {
        --n;  // never half a character
    }
    for (std::size_t i = 0; i < n; ++i) {
        out[i] = text[i];
    }
    if (n > 0 && out[n - 1] != u'/') {
        out[n++] = u'/';
    }
    out[n] = 0;
}

void ReadSkinDirectory(WindowHandle dialog, ExportSettings* settings) {
    char16_t text[kEditUnits];
    PlatformGetControlText(dialog, IDC_SKIN_DIRECTORY, text, kEditUnits);
    SkinDirectoryFromText(text, settings->localSkinDirectory);
}

void ReadSkinSize(WindowHandle dialog, ExportSettings* settings) {
    char16_t text[kEditUnits];
    PlatformGetControlText(dialog, IDC_SKIN_WIDTH, text, kEditUnits);
    settings->skinWidth = SkinSizeFromText(text);
    PlatformGetControlText(dialog, IDC_SKIN_HEIGHT, text, kEditUnits);
    settings->skinHeight = SkinSizeFromText(text);
}

void TakeSkinSizeFromImage(HostScene* scene, ExportSettings* settings) {
    if (scene == nullptr || scene->materials.items == nullptr) {
        return;
    }
    for (int i = 0; i < scene->materials.count; ++i) {
        HostTextureLayer* layer = TextureLayer(&scene->materials.items[i], kFirstTextureLayer);
        if (layer == nullptr || layer->kind != kTextureLayerImageFile) {
            continue;
        }
        HostImage* image = LoadImage(scene, &layer->path, kLoadImageFlag);
        if (image == nullptr) {
            continue;
        }
        const int width = image->width;
        const int height = image->height;
        ReleaseImage(scene, image);
        if (width > 0 && height > 0) {
            settings->skinWidth = width;
            settings->skinHeight = height;
        }
        return;
    }
}

void ShortenAnimationNames(HostScene* scene, int limit) {
    if (scene == nullptr || limit < 0) {
        return;
    }
    for (int a = 0; a < ListCount(scene->animations); ++a) {
        TextPair& name = scene->animations.items[a].name;
        const std::size_t length = strnlen(name.narrow, kTextPairUnits - 1);
        if (length <= static_cast<std::size_t>(limit)) {
            continue;
        }
        char shortened[kTextPairUnits] = {};
        std::memcpy(shortened, name.narrow, WholeCharacterPrefix(name.narrow, length, static_cast<std::size_t>(limit)));
        TextPairFromNarrow(&name, shortened);
    }
}

void FillExportDialog(WindowHandle dialog, const ExportDialogContext& context) {
    HostScene* scene = context.scene;
    const ExportSettings& settings = *context.settings;
    PlatformSetControlText(dialog, IDC_SKIN_DIRECTORY, settings.localSkinDirectory);
    SetNumber(dialog, IDC_SKIN_WIDTH, u"%d", settings.skinWidth);
    SetNumber(dialog, IDC_SKIN_HEIGHT, u"%d", settings.skinHeight);
    SetNumber(dialog, IDC_ANIMATION_COUNT, u"%d", ListCount(scene->animations));
    const bool animated = HasAnimations(scene);
    SetNumber(dialog, IDC_TOTAL_FRAMES, animated ? u"%d" : u"%d (static)", context.totalFrames);
    PlatformListReset(dialog, IDC_ANIMATION_LIST);
    for (int a = 0; a < ListCount(scene->animations); ++a) {
        HostAnimation& animation = scene->animations.items[a];
        char16_t name[kTextPairUnits];
        U16Copy(name, kTextPairUnits, animation.name.wide);
        char16_t entry[kNumberUnits];
        FormatText(entry, kNumberUnits, u"%s (%d frames)", name, AnimationFrameCount(&animation));
        PlatformListAdd(dialog, IDC_ANIMATION_LIST, entry);
    }
    PlatformListSelect(dialog, IDC_ANIMATION_LIST, context.selectedAnimation);
}

int ExportDialog(WindowHandle dialog, DialogEvent event, int commandId, void* context) {
    ExportDialogContext& dialogContext = ContextOf(context);
    HostScene* scene = dialogContext.scene;
    ExportSettings& settings = *dialogContext.settings;
    if (event == kDialogInit) {
        const std::int64_t total = ExportFrameTotal(scene);
        dialogContext.totalFrames = total > INT32_MAX ? INT32_MAX : static_cast<std::int32_t>(total);
        TakeSkinSizeFromImage(scene, &settings);
        ShortenAnimationNames(scene, maxAnimationNameLength);
        dialogContext.selectedAnimation = 0;
        FillExportDialog(dialog, dialogContext);
        CenterWindow(dialog, PlatformDesktopWindow());
        return 1;
    }
    switch (commandId) {
        case IDC_OK:
            ReadSkinDirectory(dialog, &settings);
            ReadSkinSize(dialog, &settings);
            PlatformEndDialog(dialog, kButtonOk);
            return 1;
        case IDC_CANCEL:
            PlatformEndDialog(dialog, kButtonCancel);
            return 1;
        case IDC_RENAME:
            if (!HasAnimations(scene)) {
                PlatformMessageBox(PlatformFocusWindow(), u"No animations found.", u"Error", kIconInformation,
                                   kButtonsOk);
            } else {
                RenameSelected(dialog, dialogContext);
            }
            return 1;
        default:
            return 0;
    }
}

int RenameDialog(WindowHandle dialog, DialogEvent event, int commandId, void* context) {
    const ExportDialogContext& rename = ContextOf(context);
    if (event == kDialogInit) {
        if (HostAnimation* animation = SelectedAnimation(rename)) {
            char16_t name[kTextPairUnits];
            U16Copy(name, kTextPairUnits, animation->name.wide);
            PlatformSetControlText(dialog, IDC_NEW_NAME, name);
        }
        CenterWindow(dialog, PlatformDesktopWindow());
        return 1;
    }
    if (commandId == IDC_OK) {
        char16_t name[kEditUnits];
        PlatformGetControlText(dialog, IDC_NEW_NAME, name, kEditUnits);
        const std::size_t length = U16Length(name, kEditUnits);
        if (length == 0 || length > static_cast<std::size_t>(maxAnimationNameLength)) {
            char16_t message[kMessageUnits];
            FormatText(message, kMessageUnits, u"Names are limited to %d characters. Try again.",
                       maxAnimationNameLength);
            PlatformMessageBox(PlatformFocusWindow(), message, u"Error", kIconError, kButtonsOk);
            return 1;
        }
        if (HostAnimation* animation = SelectedAnimation(rename)) {
            TextPairFromWide(&animation->name, name);
        }
        PlatformEndDialog(dialog, kButtonOk);
        return 1;
    }
    if (commandId == IDC_CANCEL) {
        PlatformEndDialog(dialog, kButtonCancel);
        return 1;
    }
    return 0;
}
