// corvane-md2: checks MD2 files against what the engine takes, gives them GL
// command lists and draws contact sheets of their frames.
#include <cstdio>
#include <string>
#include <vector>

#include "md2tool/md2_tool_cli.h"
#include "md2tool/tool_arguments.h"

int main(int argc, char** argv) {
    const std::vector<std::string> args = ToolArguments(argc, argv);
    ToolOutput output;
    const int status = RunMd2Tool(args, &output);
    std::fputs(output.out.c_str(), stdout);
    std::fputs(output.err.c_str(), stderr);
    return status;
}
