// Writing the export's scene as an MD2 file.
#pragma once

#include <cstdio>

struct ExportState;

// Writes the export's scene with its settings into the open file: header,
// skins, texture coordinates, triangles, frames, the GL command list's end
// word, then the header again with the final counts and offsets. The scene
// must be in the model's axes with the pose started (StartPose). Answers 1
// when everything was written; 0 when there is no file, scene or settings, a
// face is not a triangle of the scene's vertices, memory could not be had,
// the file would outgrow the format's 32-bit offsets, or a write came up
// short. Does not close the file.
int WriteMd2(std::FILE* file, ExportState* state);
