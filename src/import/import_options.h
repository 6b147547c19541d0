// The import-options request: the frame chooser and the scene build.
#pragma once

#include "host_api/host_records.h"
#include "md2/md2_model.h"

// Shows the import dialog for the loaded model and builds the chosen frame;
// releases the model on every outcome. 1 built, 2 cancelled, 0 failed.
int ImportOptions(HostScene* scene, void* instance, Md2Model* model);
