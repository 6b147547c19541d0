#include "md2tool/skin_command.h"

#include <cstdlib>

#include "md2tool/md2_tool_cli.h"
#include "md2tool/skin_conversion.h"

namespace {

bool ParseSize(const std::string& text, int* width, int* height) {
    const std::size_t x = text.find('x');
    if (x == std::string::npos) {
        return false;
    }
    char* end = nullptr;
    const long w = std::strtol(text.c_str(), &end, 10);
    if (end != text.c_str() + x) {
        return false;
    }
    const long h = std::strtol(text.c_str() + x + 1, &end, 10);
    if (*end != '\0' || end == text.c_str() + x + 1 || w < 1 || h < 1 || w > 8192 || h > 8192) {
        return false;
    }
    *width = static_cast<int>(w);
    *height = static_cast<int>(h);
    return true;
}

}  // namespace

int RunSkinCommand(const std::vector<std::string>& args, ToolOutput* output) {
    std::string in;
    std::string out;
    int maxWidth = kLargestSkinWidth;
    int maxHeight = kLargestSkinHeight;
    for (std::size_t i = 1; i < args.size(); ++i) {
        const bool hasValue = i + 1 < args.size();
        if (args[i] == "-o" && hasValue) {
            out = args[++i];
        } else if (args[i] == "--max" && hasValue) {
            if (!ParseSize(args[++i], &maxWidth, &maxHeight)) {
                return ToolUsageError("skin", "--max takes WxH, not " + args[i], output);
            }
        } else if (in.empty() && !args[i].empty() && args[i][0] != '-') {
            in = args[i];
        } else {
            return ToolUsageError("skin", "unexpected argument " + args[i], output);
        }
    }
    if (in.empty() || out.empty()) {
        return ToolUsageError("skin", "needs IMAGE and -o OUT.pcx", output);
    }
    SkinConversion skin;
    std::string error;
    if (!ConvertSkinImage(in, maxWidth, maxHeight, &skin, &error) || !WritePcxFile(out, skin.image, &error)) {
        output->err += "corvane-md2: " + error + "\n";
        return kToolBadInput;
    }
    output->out += out + ": 8-bit PCX in the Quake 2 palette, " + DescribeSkinConversion(skin, maxWidth, maxHeight) + "\n";
    return kToolOk;
}
