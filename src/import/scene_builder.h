// Building the chosen frame of a loaded model into the host's scene.
#pragma once

#include "host_api/host_records.h"
#include "import/import_record.h"

// Builds the record's chosen frame: 1 when it was built, 0 on any failure;
// what was added before a failure stays in the scene. Changes and releases
// nothing of the record.
int BuildImportedFrame(HostScene* scene, const ImportRecord* record);
