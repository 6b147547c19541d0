// A host scene as a flat run of bytes, for the export fuzzer and its seeds:
// SceneFromBytes builds into an empty reference-host scene from any bytes
// (missing bytes read as zero), SceneBytes writes an existing scene in the
// same form.
// Values are taken as they come: indices, parents, weights, key times and
// frame rates may break what the host promises. The one exception is what
// the plug-in cannot check: the texture-coordinate set has no count, so a
// face's non-negative coordinate indices are kept inside it.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "host/ref_scene.h"

// What the fuzzed export does besides the scene.
struct SceneChoices {
    std::uint8_t presence;   // bit i: list i of RefList forced present; bit 7: triangulation fails
    std::uint8_t script;     // the scripted user's steps in the export dialog (index into a table)
    std::int32_t skinWidth;  // the settings the dialog starts from
    std::int32_t skinHeight;
};

void SceneFromBytes(RefScene* scene, const std::uint8_t* data, std::size_t size, SceneChoices* choices);
std::vector<std::uint8_t> SceneBytes(HostScene* scene, const SceneChoices& choices);
