// The scene the export is measured on, and the state an export starts from.
#pragma once

#include <string>

#include "host/ref_scene.h"
#include "host_api/host_records.h"

// The largest model the format's reference engine takes, through the
// reference host: `vertices` vertices on a tube (twice as many triangles),
// `bones` bones, two weights per vertex, four animations of
// `framesPerAnimation` frames each at 30 frames per time unit, and one skin.
// Its file path is `path`.
RefScene* BuildExportBenchScene(const std::string& path, int vertices = 2048, int bones = 32,
                                int framesPerAnimation = 128);

// Puts the export settings at their defaults, as the export dialog leaves
// them for `scene` when it has no skin image.
void PrepareExport(HostScene* scene);
