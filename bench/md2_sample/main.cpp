// Writes a generated MD2 file for whole-process timings of the import:
//   corvane_md2_sample FILE [SKINS VERTICES TRIANGLES FRAMES]
// The default is the reader benchmark's model: 2 skins, 2048 vertices, 4000
// triangles, 1000 frames (about 8 MB).
#include <cstdio>
#include <cstdlib>
#include <vector>

#include "support/md2_builder.h"

int main(int argc, char** argv) {
    if (argc != 2 && argc != 6) {
        std::fprintf(stderr, "usage: corvane_md2_sample FILE [SKINS VERTICES TRIANGLES FRAMES]\n");
        return 2;
    }
    int shape[4] = {2, 2048, 4000, 1000};
    for (int i = 0; argc == 6 && i < 4; ++i) {
        shape[i] = std::atoi(argv[2 + i]);
    }
    const std::vector<std::uint8_t> file = BuildMd2File(MakeSampleMd2Model(shape[0], shape[1], shape[2], shape[3]));
    std::FILE* out = std::fopen(argv[1], "wb");
    const bool written = out != nullptr && std::fwrite(file.data(), 1, file.size(), out) == file.size();
    if (out == nullptr || std::fclose(out) != 0 || !written) {
        std::fprintf(stderr, "corvane_md2_sample: %s could not be written\n", argv[1]);
        return 1;
    }
    return 0;
}
