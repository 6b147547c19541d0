// Reading an MD2 file into the in-memory model.
#pragma once

#include "md2/read_cursor.h"
#include "plugin/host_records.h"

// Serves the read request for the file named by the scene's filePath:
// 1 loaded, 0 failed, 3 not an MD2 file. After a failure the model is empty.
int LoadMd2File(HostScene* scene);

// Decodes the bytes from the cursor's position into the model: 1, 0 or 3 as
// above. Failure texts go into the scene's errorText (scene may be null).
// Leaves the model empty after a failure; keeps the model's sourcePath on
// success.
int ParseMd2(ReadCursor* cursor, HostScene* scene);
