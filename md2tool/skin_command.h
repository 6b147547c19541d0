// `corvane-md2 skin`: one image converted to a PCX skin in the Quake 2 palette.
#pragma once

#include <string>
#include <vector>

struct ToolOutput;

// args: skin IMAGE -o OUT.pcx [--max WxH]
int RunSkinCommand(const std::vector<std::string>& args, ToolOutput* output);
