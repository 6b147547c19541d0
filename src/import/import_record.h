// The import's working record, from a read request to the end of the
// import-options request that follows it: the model read, the file it came
// from and the frame the user chose.
#pragma once

#include "host_api/host_records.h"
#include "md2/md2_model.h"
#include "platform/platform.h"

struct ImportRecord {
    Md2Model model;
    PlatformFileView file;                // the file mapped, which the model's frames point into; may be empty
    char16_t sourcePath[kTextPairUnits];  // the file read
    int selectedFrame;                    // the frame to build, 0 by default
};

// Releases the model, then the file it points into, and clears the record;
// safe on an empty record.
void ReleaseImportRecord(ImportRecord* record);
