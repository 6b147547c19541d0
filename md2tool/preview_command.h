// `corvane-md2 preview`: options, the frames and skin chosen, the picture written.
#pragma once

#include <string>
#include <vector>

struct ToolOutput;

// args: FILE.md2 -o OUT.png [--frames all|A-B|name] [--skin IMAGE] [--size WxH] [--columns N]
// [--triangles] (draw the triangle list even when the file has GL commands).
int RunPreviewCommand(const std::vector<std::string>& args, ToolOutput* output);
