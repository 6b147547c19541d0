#include "export/export_target.h"

#include "platform/platform.h"
#include "util/format_text.h"
#include "util/text.h"

namespace {

// Temporary names tried in the target's folder before giving up.
constexpr int kTemporaryAttempts = 100;

// The target's folder with its final separator (empty for a bare file name).
void FolderOf(const char16_t* path, char16_t* out) {
    std::size_t end = 0;
    for (std::size_t i = 0; path[i] != 0; ++i) {
        if (path[i] == u'\\' || path[i] == u'/' || path[i] == u':') {
            end = i + 1;
        }
    }
    for (std::size_t i = 0; i < end; ++i) {
        out[i] = path[i];
    }
    out[end] = 0;
}

}  // namespace

bool OpenExportTarget(const char16_t* path, ExportTarget* out) {
    *out = ExportTarget{};
    U16Copy(out->target, kTextPairUnits, path);
    if (out->target[0] == 0) {
        return false;
    }
    switch (PlatformInspectTarget(out->target)) {
        case kTargetUnwritable:
            return false;
        case kTargetDevice:
            out->file = PlatformOpenFile(out->target, "wb");
            return out->file != nullptr;
        default:
            break;
    }
    char16_t folder[kTextPairUnits];
    FolderOf(out->target, folder);
    for (int attempt = 0; attempt < kTemporaryAttempts && out->file == nullptr; ++attempt) {
        FormatText(out->temporary, kExportTemporaryUnits, u"%s~corvane%d.tmp", folder, attempt);
        out->file = PlatformCreateNewFile(out->temporary);
    }
    if (out->file == nullptr) {
        out->temporary[0] = 0;
        return false;
    }
    return true;
}

bool FinishExportTarget(ExportTarget* target, bool complete) {
    if (target->file == nullptr) {
        return false;
    }
    std::FILE* file = target->file;
    target->file = nullptr;
    if (target->temporary[0] == 0) {
        return std::fclose(file) == 0 && complete;
    }
    bool placed = false;
    if (complete) {
        placed = PlatformCommitAndClose(file) != 0 && PlatformReplaceFile(target->temporary, target->target) != 0;
    } else {
        std::fclose(file);
    }
    if (!placed) {
        PlatformRemoveFile(target->temporary);
    }
    target->temporary[0] = 0;
    return placed;
}
