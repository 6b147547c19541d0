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

// Writes the finished file `from` into `to` in place, as a direct open and
// write would: `to` keeps its names, owner and permissions. Sets *unopened
// when `to` cannot be opened for writing.
bool CopyInto(const char16_t* from, const char16_t* to, bool* unopened) {
    std::FILE* source = PlatformOpenFile(from, "rb");
    if (source == nullptr) {
        return false;
    }
    std::FILE* destination = PlatformOpenFile(to, "wb");
    if (destination == nullptr) {
        *unopened = true;
        std::fclose(source);
        return false;
    }
    bool copied = true;
    char block[65536];
    for (;;) {
        const std::size_t length = std::fread(block, 1, sizeof block, source);
        if (length > 0 && std::fwrite(block, 1, length, destination) != length) {
            copied = false;
            break;
        }
        if (length < sizeof block) {
            copied = std::ferror(source) == 0;
            break;
        }
    }
    std::fclose(source);
    return PlatformCommitAndClose(destination) != 0 && copied;
}

}  // namespace

bool OpenExportTarget(const char16_t* path, ExportTarget* out) {
    *out = ExportTarget{};
    U16Copy(out->target, kTextPairUnits, path);
    if (out->target[0] == 0) {
        return false;
    }
    char16_t resolved[kTextPairUnits];
    if (PlatformResolveTarget(out->target, resolved, kTextPairUnits) != 0) {
        U16Copy(out->target, kTextPairUnits, resolved);
    }
    switch (PlatformInspectTarget(out->target)) {
        case kTargetUnwritable:
            return false;
        case kTargetDevice:
            out->file = PlatformOpenFile(out->target, "wb");
            return out->file != nullptr;
        case kTargetRegularFile:
            // Replacing the file would part it from its other names.
            out->copyInPlace = PlatformLinkCount(out->target) > 1;
            break;
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
        // No file can be made beside the target: write it as a direct open would.
        out->temporary[0] = 0;
        out->copyInPlace = false;
        out->file = PlatformOpenFile(out->target, "wb");
    }
    return out->file != nullptr;
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
    if (complete && PlatformCommitAndClose(file) != 0) {
        placed = !target->copyInPlace && PlatformReplaceFile(target->temporary, target->target) != 0;
        if (!placed) {
            placed = CopyInto(target->temporary, target->target, &target->targetUnopened);
        }
    } else if (!complete) {
        std::fclose(file);
    }
    PlatformRemoveFile(target->temporary);
    target->temporary[0] = 0;
    return placed;
}
