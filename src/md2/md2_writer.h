// Writing the current scene as an MD2 file.
#pragma once

#include <cstdint>
#include <cstdio>

#include "md2/md2_format.h"
#include "plugin/host_records.h"

// The writer's working copies of what it wrote, for one call of WriteMd2.
// An array that is not allocated has a null pointer and count 0.
struct ExportArrays {
    int texCoordCount;
    Md2TexCoordRecord* texCoords;  // 3 per triangle, as written
    int triangleCount;
    Md2TriangleRecord* triangles;  // as written
    int glCommandCount;
    std::int32_t* glCommands;      // the GL command list to write
    int glCommandsWritten;         // GL command words the file holds
};

// Replace the array by a zero-filled one of `count` entries (the old one is
// released first). False, with the array absent, when count is not above 0
// or memory could not be had.
bool AllocTexCoordCopy(ExportArrays* arrays, int count);
bool AllocTriangleCopy(ExportArrays* arrays, int count);
// Releases every array of the record.
void ReleaseExportArrays(ExportArrays* arrays);

// The empty GL command list: when both copies exist, the command array
// becomes the single end word 0 and one word is to be written. Answers true
// when it built the list; with a copy missing it changes nothing and answers
// false, as it does when memory for the word could not be had.
bool BuildGlCommands(ExportArrays* arrays);

// Writes the current scene into the open file: header, skins, texture
// coordinates, triangles, frames, GL commands, then the header again with the
// final counts and offsets. The scene must be in the model's axes with the
// pose working arrays built. Answers 1 when everything was written; 0 when
// there is no file or scene, a face is not a triangle of the scene's
// vertices, memory could not be had, the file would outgrow the format's
// 32-bit offsets, or a write came up short. Does not close the file.
int WriteMd2(std::FILE* file);
