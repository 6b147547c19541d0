// Writes the MD2 parser's seed corpus into the directory given: generated
// valid files of several shapes, every truncation of one of them, and the
// single-byte changes the sweeps make to its header and first records.
#include <cstdio>
#include <string>
#include <vector>

#include "support/md2_builder.h"

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s DIRECTORY\n", argv[0]);
        return 2;
    }
    const std::filesystem::path dir = argv[1];
    int written = 0;
    auto write = [&](const std::vector<std::uint8_t>& bytes) {
        if (!WriteBinaryFile(dir / ("seed-" + std::to_string(written++)), bytes)) {
            std::fprintf(stderr, "cannot write into %s\n", argv[1]);
            std::exit(1);
        }
    };

    const int shapes[][4] = {{0, 3, 1, 1}, {1, 0, 2, 3}, {3, 5, 4, 3}, {2, 40, 30, 8}, {0, 1, 1, 20}};
    for (const auto& shape : shapes) {
        write(BuildMd2File(MakeSampleMd2Model(shape[0], shape[1], shape[2], shape[3])));
    }

    Md2Layout layout;
    const Md2BuilderModel source = MakeSampleMd2Model(2, 4, 3, 2);
    const std::vector<std::uint8_t> file = BuildMd2File(source, &layout);
    for (std::size_t length = 0; length < file.size(); length += 3) {
        write(std::vector<std::uint8_t>(file.begin(), file.begin() + static_cast<std::ptrdiff_t>(length)));
    }
    for (std::size_t position : Md2MutationPositions(layout, source)) {
        for (int kind = 0; kind < kMd2MutationKinds; ++kind) {
            write(MutateByte(file, position, kind));
        }
    }
    std::printf("%d seeds in %s\n", written, argv[1]);
    return 0;
}
