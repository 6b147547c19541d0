// Frames kept from the bounds pass of an export. The bounds need every frame
// evaluated before the first one can be encoded; when the posed positions
// and normal indices of all frames fit a memory budget they are kept from
// that pass, and the frame writer encodes them instead of evaluating every
// frame a second time.
#pragma once

#include <cstdint>

#include "anim/pose_arrays.h"
#include "geom/vector3.h"
#include "host_api/host_records.h"

constexpr std::int64_t kKeptFramesBudget = std::int64_t{96} << 20;  // bytes

struct KeptFrames {
    const HostScene* scene;  // the scene the frames were evaluated for
    int frames;              // frames room was taken for
    int vertices;            // posed vertices per frame
    bool complete;           // every frame kept, each with `vertices` vertices
    Vector3* positions;      // frames x vertices
    std::uint8_t* normals;   // frames x vertices normal table indices
};

struct ExportState;

// Takes room for every frame of the export at the current posed vertex
// count. False, with nothing kept, when that is over the budget or memory
// could not be had.
bool StartKeptFrames(ExportState* state);

// Keeps the posed positions and their normal indices as frame `frame` (0
// upward in the order the frame writer writes them). False, with nothing
// kept, when there is no room for that frame or the posed vertices are not
// as many as the room was taken for. Frames may be kept from several
// threads at once, each its own frames.
bool KeepPosedFrame(KeptFrames* kept, int frame, const PosedVertexArray& posed);

// After every frame was kept: the set is whole and may be encoded.
void CompleteKeptFrames(KeptFrames* kept);

// The kept frames when they are whole and were taken for the export's scene
// as it now stands, else null.
const KeptFrames* KeptFramesFor(const ExportState& state);

// Releases the kept frames; harmless when nothing is kept.
void ReleaseKeptFrames(KeptFrames* kept);
