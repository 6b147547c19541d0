// Building the chosen frame of a loaded model into the host's scene.
#pragma once

#include "host_api/host_records.h"
#include "md2/md2_model.h"

// 1 when the frame was built, 0 on any failure; what was added before a
// failure stays in the scene. Does not release the model.
int BuildImportedFrame(HostScene* scene, const Md2Model* model);
