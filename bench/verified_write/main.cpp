// corvane-md2's verified replace alone: BYTES bytes of one repeated 2 MiB
// piece written beside PATH, read back, compared and renamed over it, with
// nothing else computed. The least any command writing that much can take.
//   corvane_verified_write PATH BYTES
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "md2tool/tool_files.h"

int main(int argc, char** argv) {
    if (argc != 3) {
        std::fprintf(stderr, "usage: corvane_verified_write PATH BYTES\n");
        return 2;
    }
    const std::size_t total = std::strtoull(argv[2], nullptr, 10);
    const std::vector<std::uint8_t> piece(std::size_t{2} << 20, 7);
    const BytePieceSource source = [&](const BytePieces& put) {
        for (std::size_t at = 0; at < total; at += piece.size()) {
            if (!put(std::span<const std::uint8_t>(piece.data(), std::min(piece.size(), total - at)))) {
                return false;
            }
        }
        return true;
    };
    std::string error;
    if (!WriteFileReplacingPieces(argv[1], source, &error)) {
        std::fprintf(stderr, "%s\n", error.c_str());
        return 1;
    }
    return 0;
}
