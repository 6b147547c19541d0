// What the plug-in keeps between the host's requests, for the life of the
// loaded library: the registration instance, the model
// between a read and the import that follows it, and the export settings
// between the export dialog and the write. Only the dispatch hands these to
// the requests; nothing below it reaches for them.
#pragma once

#include "export/export_settings.h"
#include "host_api/host_records.h"
#include "import/import_record.h"

// The module instance handle given with the register message; null until
// registration stores it, never cleared.
void* RegistrationInstance();
void SetRegistrationInstance(void* instance);

// The import's record: filled by the read request, released by the import
// that follows it (and when the library unloads); empty otherwise.
ImportRecord* CurrentImport();

// The export settings, at their defaults until the export dialog changes them.
ExportSettings* CurrentExportSettings();
// Puts every setting back to its default.
void ResetExportSettings();
