#include "md2/md2_frame_positions.h"

#include <cstddef>

// The product and the sum are separate statements so that no compiler fuses
// them into one rounding.
void TabulateMd2Frame(const Md2Frame& frame, Md2AxisValues* table) {
    for (int axis = 0; axis < 3; ++axis) {
        for (int byte = 0; byte < 256; ++byte) {
            float value = static_cast<float>(byte) * frame.scale[axis];
            value += frame.translate[axis];
            table->values[axis][byte] = value;
        }
    }
}

void DecodeMd2FramePositions(const Md2Frame& frame, Md2Position* out) {
    Md2AxisValues table;
    TabulateMd2Frame(frame, &table);
    for (int i = 0; i < frame.vertexCount; ++i) {
        out[i] = Md2VertexPosition(table, frame.vertices + std::size_t{kMd2VertexBytes} * static_cast<std::size_t>(i));
    }
}
