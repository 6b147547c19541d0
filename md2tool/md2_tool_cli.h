// The corvane-md2 program's commands, with their output kept for the caller.
#pragma once

#include <string>
#include <vector>

struct ToolOutput {
    std::string out;
    std::string err;
};

inline constexpr int kToolOk = 0;
inline constexpr int kToolBadInput = 1;   // unreadable input or bad arguments
inline constexpr int kToolFindings = 2;   // check found an error

// args without the program name: check, glcmds, preview or --help.
int RunMd2Tool(const std::vector<std::string>& args, ToolOutput* output);
