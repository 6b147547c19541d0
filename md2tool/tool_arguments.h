// The command line's arguments as UTF-8: on Windows read from the UTF-16
// command line, so that paths outside the ANSI code page arrive whole.
#pragma once

#include <string>
#include <vector>

std::vector<std::string> ToolArguments(int argc, char** argv);
