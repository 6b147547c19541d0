// The export-options and write requests.
#pragma once

#include "plugin/host_records.h"

// 1 go on, 2 refused or cancelled, 0 failed.
int ExportOptions(HostScene* scene, void* instance);
// Non-zero written, 0 failed.
int WriteExportFile(HostScene* scene);
