// The export written the straightforward way, as the reference the plug-in's
// writer is measured and checked against: the writer's path (same target
// file handling, same sections) but with every frame evaluated once for the
// bounds and again for writing, each vertex's normal found by the arc cosine
// against all 162 table entries, and one 4-byte write per vertex.
#pragma once

#include "host_api/host_records.h"

// Writes `scene` to its file path as the plug-in's write request does (a
// temporary file put in the target's place, axes turned into the model's in
// place, pose arrays built, the current export settings used). True when
// every byte was written and the file took the target's place.
bool WriteLiteralExport(HostScene* scene);
