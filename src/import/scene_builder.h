// Building the chosen frame of the loaded model into the host's scene.
#pragma once

#include "plugin/host_records.h"

// 1 when the frame was built, 0 on any failure; what was added before a
// failure stays in the scene. Does not release the model.
int BuildImportedFrame(HostScene* scene);
