// The program's arguments as UTF-8, whatever the system's code page: on
// Windows they are taken from the UTF-16 command line, so that paths outside
// the ANSI code page arrive whole.
#pragma once

#include <string>
#include <vector>

// The arguments after the program's name.
std::vector<std::string> CommandLineArguments(int argc, char** argv);

// A UTF-8 path made absolute against the current directory, with forward
// separators.
std::string AbsolutePath(const std::string& path);
