// corvane-md2 gltf: an MD2 model with every frame as glTF 2.0 (.glb, or
// .gltf with its buffer and PNG skins beside it).
#pragma once

#include <string>
#include <vector>

#include "md2tool/md2_tool_cli.h"

int RunGltfCommand(const std::vector<std::string>& args, ToolOutput* output);
