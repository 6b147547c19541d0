// Frames kept from the bounds pass of an export. The bounds need every frame
// evaluated before the first one can be encoded; when the posed positions
// and normal indices of all frames fit a memory budget they are kept from
// that pass, and the frame writer encodes them instead of evaluating every
// frame a second time.
#pragma once

#include <cstdint>

#include "geom/vector3.h"
#include "host_api/host_records.h"

constexpr std::int64_t kKeptFramesBudget = std::int64_t{96} << 20;  // bytes

struct KeptFrames {
    const HostScene* scene;  // the scene the frames were evaluated for
    int frames;              // frames room was taken for
    int vertices;            // posed vertices per frame
    int filled;              // frames kept so far, in evaluation order
    bool complete;           // every frame kept, each with `vertices` vertices
    Vector3* positions;      // frames x vertices
    std::uint8_t* normals;   // frames x vertices normal table indices
};

struct ExportState;

// Takes room for every frame of the export at the current posed vertex
// count. False, with nothing kept, when that is over the budget or memory
// could not be had.
bool StartKeptFrames(ExportState* state);

// The bounds pass's per-frame callback (context: the ExportState): keeps the
// current posed positions and their normal indices as frame `frame` (0
// upward in evaluation order). A frame out of step spoils the whole set.
void KeepFrame(int frame, void* context);

// After the bounds pass: releases the frames unless every one was kept.
void FinishKeptFrames(KeptFrames* kept);

// The kept frames when they are whole and were taken for the export's scene
// as it now stands, else null.
const KeptFrames* KeptFramesFor(const ExportState& state);

// Releases the kept frames; harmless when nothing is kept.
void ReleaseKeptFrames(KeptFrames* kept);
