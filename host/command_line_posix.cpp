#include <filesystem>

#include "host/command_line.h"

std::vector<std::string> CommandLineArguments(int argc, char** argv) {
    return std::vector<std::string>(argv + 1, argv + argc);
}

std::string AbsolutePath(const std::string& path) { return std::filesystem::absolute(path).generic_string(); }
