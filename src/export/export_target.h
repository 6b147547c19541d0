// Where an export is written: a new file beside the target that takes the
// target's place only when the whole model was written, so that a failed
// export leaves the user's file as it was and no partial file behind. A
// symbolic link stays: the file it finally names is the target. Where the
// target cannot be replaced (other names link to it, or the move is refused)
// the finished file is copied into it in place; where no file can be created
// beside it, or it is a device, the target is written in place from the
// start, as a direct open would.
#pragma once

#include <cstdio>

#include "host_api/host_records.h"

// Room for the target's folder and a temporary name.
inline constexpr int kExportTemporaryUnits = kTextPairUnits + 32;

struct ExportTarget {
    std::FILE* file;                            // open for binary writing
    char16_t target[kTextPairUnits];            // the file the user chose, links followed
    char16_t temporary[kExportTemporaryUnits];  // what is written; empty when the target is written in place
    bool copyInPlace;                           // the temporary is copied into the target, not moved
    bool targetUnopened;                        // finishing could not open the target to copy into it
};

// Opens the output for `path`. False, with nothing created, when the target
// cannot be written (a folder, a read-only file) or cannot be opened or
// created at all.
bool OpenExportTarget(const char16_t* path, ExportTarget* out);

// Closes the output. When `complete`, the written file is committed to the
// disk and put in the target's place (or copied into it); the temporary file
// is removed either way. Answers true when the target holds the complete
// file.
bool FinishExportTarget(ExportTarget* target, bool complete);
