#include "support/md2_full_decode.h"

#include <bit>
#include <cstddef>
#include <utility>

#include "support/md2_builder.h"
#include "support/md2_decode.h"

namespace {

float FloatAt(const std::vector<std::uint8_t>& file, std::size_t offset) {
    return std::bit_cast<float>(static_cast<std::uint32_t>(GetI32(file, offset)));
}

}  // namespace

std::vector<Md2ReferenceFrame> DecodeEveryMd2Frame(const std::vector<std::uint8_t>& file) {
    if (file.size() < kMd2BuilderHeaderBytes) {
        return {};
    }
    const std::int32_t vertexCount = GetI32(file, kFieldNumXyz);
    const std::int32_t frameCount = GetI32(file, kFieldNumFrames);
    const std::int32_t first = GetI32(file, kFieldOfsFrames);
    if (vertexCount < 0 || frameCount < 0 || first < 0) {
        return {};
    }
    const std::size_t frameBytes = 40 + 4 * static_cast<std::size_t>(vertexCount);
    if (static_cast<std::size_t>(first) + frameBytes * static_cast<std::size_t>(frameCount) > file.size()) {
        return {};
    }
    std::vector<Md2ReferenceFrame> frames;
    for (std::int32_t f = 0; f < frameCount; ++f) {
        const std::size_t at = static_cast<std::size_t>(first) + frameBytes * static_cast<std::size_t>(f);
        Md2ReferenceFrame frame;
        for (std::size_t c = 0; c < 16 && file[at + 24 + c] != 0; ++c) {
            frame.name.push_back(static_cast<char>(file[at + 24 + c]));
        }
        for (std::int32_t v = 0; v < vertexCount; ++v) {
            const std::size_t vertex = at + 40 + 4 * static_cast<std::size_t>(v);
            std::array<float, 3> position;
            for (std::size_t a = 0; a < 3; ++a) {
                position[a] = DecodeMd2Coordinate(file[vertex + a], FloatAt(file, at + 4 * a), FloatAt(file, at + 12 + 4 * a));
            }
            frame.positions.push_back(position);
        }
        frames.push_back(std::move(frame));
    }
    return frames;
}
