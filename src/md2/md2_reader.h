// The read request: an MD2 file into the in-memory model.
#pragma once

#include "host_api/host_records.h"
#include "md2/md2_model.h"

// Reads the file named by the scene's filePath into `model`: 1 loaded, 0
// failed, 3 not an MD2 file. Failure texts go into the scene's errorText.
// After a failure the model is empty.
int LoadMd2File(HostScene* scene, Md2Model* model);
