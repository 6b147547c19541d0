// The import-options request: the frame chooser and the scene build.
#pragma once

#include "host_api/host_records.h"
#include "import/import_record.h"

// Shows the import dialog for the record's model and builds the chosen
// frame; releases the record on every outcome. 1 built, 2 cancelled, 0 failed.
int ImportOptions(HostScene* scene, void* instance, ImportRecord* record);
