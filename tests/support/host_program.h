// Runs the corvane-host program built next to the test program, the way a
// user runs it from a command line.
#pragma once

#include <string>
#include <vector>

struct HostProgramRun {
    int exitCode;        // -1 when the program could not be started
    std::string output;  // what it printed, standard output and errors together
};

// Runs corvane-host with UTF-8 arguments (passed to it as UTF-16 on Windows).
// `asUser` (Linux only) runs it under another user id and group id, with no
// supplementary groups.
HostProgramRun RunHostProgram(const std::vector<std::string>& args, int asUser = -1);
