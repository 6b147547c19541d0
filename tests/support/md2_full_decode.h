// The plain reading of every frame of an MD2 file, straight from its bytes:
// the reference the reader's on-demand decoding of a frame is checked
// against. Each vertex of each frame is decoded on its own, byte x scale +
// translate (support/md2_decode.h), with no table and nothing shared with
// the plug-in's reader.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

struct Md2ReferenceFrame {
    std::string name;                               // up to the first NUL of its 16 bytes
    std::vector<std::array<float, 3>> positions;    // num_xyz entries
};

// Every frame the header names; empty when the header's frames do not lie
// wholly inside the bytes.
std::vector<Md2ReferenceFrame> DecodeEveryMd2Frame(const std::vector<std::uint8_t>& file);
