#include "md2tool/tool_arguments.h"

std::vector<std::string> ToolArguments(int argc, char** argv) { return std::vector<std::string>(argv + 1, argv + argc); }
