// A frame's positions as one array, through the reader's on-demand decoding
// (what the tests read where the model once held every frame decoded).
#pragma once

#include <cstddef>
#include <vector>

#include "md2/md2_frame_positions.h"

inline std::vector<Md2Position> DecodedFrame(const Md2Frame& frame) {
    std::vector<Md2Position> positions(static_cast<std::size_t>(frame.vertexCount > 0 ? frame.vertexCount : 0));
    if (!positions.empty()) {
        DecodeMd2FramePositions(frame, positions.data());
    }
    return positions;
}
