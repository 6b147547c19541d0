// Reading an MD2 file into the in-memory model.
#pragma once

#include "plugin/host_records.h"

// Serves the read request: 1 loaded, 0 failed, 3 not an MD2 file.
int LoadMd2File(HostScene* scene);
