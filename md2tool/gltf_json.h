// The glTF document's JSON text for a mesh laid out in a buffer.
#pragma once

#include <string>
#include <vector>

#include "md2/md2_model.h"
#include "md2tool/frame_choice.h"
#include "md2tool/gltf_layout.h"
#include "md2tool/gltf_writer.h"

// The whole JSON text; empty when a value cannot be written (a bound that
// is not a finite number).
std::string GltfJson(const GltfLayout& layout, const GltfParts& parts, const Md2Model& model,
                     const GltfOptions& options, const std::vector<FrameGroup>& groups,
                     const std::vector<GltfSkin>& skins);
