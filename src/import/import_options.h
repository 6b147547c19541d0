// The import-options request: the frame chooser and the scene build.
#pragma once

#include "plugin/host_records.h"

// 1 built, 2 cancelled, 0 failed.
int ImportOptions(HostScene* scene, void* instance);
