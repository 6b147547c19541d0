// Where an export is written: a new file beside the target that takes the
// target's place only when the whole model was written, so that a failed
// export leaves the user's file as it was and no partial file behind. A
// device (which cannot be replaced by a file) is written in place.
#pragma once

#include <cstdio>

#include "host_api/host_records.h"

// Room for the target's folder and a temporary name.
inline constexpr int kExportTemporaryUnits = kTextPairUnits + 32;

struct ExportTarget {
    std::FILE* file;                            // open for binary writing
    char16_t target[kTextPairUnits];            // the file the user chose
    char16_t temporary[kExportTemporaryUnits];  // what is written; empty when the target is written in place
};

// Opens the output for `path`. False, with nothing created, when the target
// cannot be written (a folder, a read-only file) or no file can be created in
// its folder.
bool OpenExportTarget(const char16_t* path, ExportTarget* out);

// Closes the output. When `complete`, the written file is committed to the
// disk and put in the target's place; otherwise, or when that fails, the
// temporary file is removed. Answers true when the target holds the complete
// file.
bool FinishExportTarget(ExportTarget* target, bool complete);
