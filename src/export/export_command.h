// The export-options and write requests.
#pragma once

#include "export/export_settings.h"
#include "host_api/host_records.h"

// Checks the scene and shows the export dialog, which fills `settings`; the
// rename dialog's template is loaded from `renameInstance`. 1 go on, 2
// refused or cancelled, 0 failed.
int ExportOptions(HostScene* scene, void* instance, void* renameInstance, ExportSettings* settings);
// Writes the scene with the settings to the file named by its filePath, the
// frames evaluated over `frameWorkers` threads (0: one per processor for a
// large export). Non-zero written, 0 failed.
int WriteExportFile(HostScene* scene, const ExportSettings* settings, int frameWorkers = 0);
