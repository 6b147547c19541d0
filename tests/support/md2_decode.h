// How a reader turns a frame's coordinate byte back into a position: byte
// times scale plus translate, each step rounded to single precision (the
// product is kept before the sum, so no fused multiply-add changes it).
#pragma once

#include <cstdint>

inline float DecodeMd2Coordinate(std::uint8_t byte, float scale, float translate) {
    const float product = static_cast<float>(byte) * scale;
    return product + translate;
}
