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

// args without the program name: check, glcmds, gltf, preview, --help or
// --version; --help or -h after a command prints that command's usage.
int RunMd2Tool(const std::vector<std::string>& args, ToolOutput* output);

// The usage of one command, or of all for "", with the options and exit statuses.
std::string ToolUsage(const std::string& command);

// One line naming the problem, then the command's usage, on the error
// output; answers kToolBadInput.
int ToolUsageError(const std::string& command, const std::string& problem, ToolOutput* output);
