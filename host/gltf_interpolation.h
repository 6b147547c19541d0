// The glTF channels that step from key to key (interpolation STEP). The
// Open Asset Import Library hands every glTF channel over as linear keys, so
// the host reads the samplers' interpolation from the file itself.
#pragma once

#include <set>
#include <string>
#include <tuple>

// (animation index, target node name as the library names it, 'T', 'R' or 'S')
using GltfStepChannels = std::set<std::tuple<int, std::string, char>>;

// Empty for a file that is not glTF (.gltf or .glb) or cannot be read.
GltfStepChannels ReadGltfStepChannels(const std::string& path);
