// The read request: an MD2 file into the import's record.
#pragma once

#include "host_api/host_records.h"
#include "import/import_record.h"
#include "md2/md2_parse.h"

// Reads the file named by the scene's filePath into the record's model and
// keeps its path, with frame 0 chosen: 1 loaded, 0 failed, 3 not an MD2 file.
// Failure texts go into the scene's errorText. After a failure the record is
// empty.
int LoadMd2File(HostScene* scene, ImportRecord* record);

// The read request's answer for a parse: 1 loaded, 3 not an MD2 file, 0
// otherwise, with "No geometry found." in errorText (which may be null) for
// a file without frames, triangles or texture coordinates.
int ReadAnswer(Md2ParseResult result, TextPair* errorText);
