// Which frames an export writes: whether the scene is animated, how many
// frames it gives, and the list of them in the order they are written.
#pragma once

#include <cstdint>

#include "anim/frame_sampling.h"
#include "host_api/host_records.h"
#include "util/owned_array.h"

// True when the scene holds at least one animation. A list that is present
// but empty is no list at all: such a scene is written as one rest frame,
// since a file without frames is refused by the engines that load MD2.
bool HasAnimations(const HostScene* scene);

// The number of frames the frame writers produce for the scene: the sum of
// AnimationFrameCount over its animations when it has any, else 1. Wide
// enough that no sum overflows.
std::int64_t ExportFrameTotal(HostScene* scene);

// The export's frames, `frames` of them (ExportFrameTotal); null when memory
// could not be had or the animations do not give that many. The frame counts
// come from the host, which only the export's own thread calls.
OwnedArray<FrameAt> ListFrames(HostScene* scene, int frames);
