// corvane-md2 on arbitrary bytes: check, then glcmds into memory. Whenever
// the GL command list is added, the result must pass the verification the
// tool runs before it replaces a file (the plug-in's reader takes it, every
// other section keeps its bytes, check finds no new error); a file glcmds
// accepts must also be one that check can read.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include "md2tool/glcmd_rewrite.h"
#include "md2tool/md2_check.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const Md2CheckResult check = CheckMd2Bytes(data, size);
    const std::vector<std::uint8_t> in(data, data + size);
    std::vector<std::uint8_t> out;
    GlRewriteStats stats{};
    std::string error;
    if (!AddGlCommands(in, &out, &stats, &error)) {
        return 0;
    }
    if (!check.readable || !VerifyGlRewrite(in, out, &error)) {
        std::abort();
    }
    return 0;
}
