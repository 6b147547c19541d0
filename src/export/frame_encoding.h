// Encoding the export's poses as MD2 frames: the file header with the scale
// and translate shared by every frame, and the frames themselves.
#pragma once

#include <cstdint>
#include <cstdio>

#include "geom/vector3.h"
#include "md2/md2_format.h"
#include "host_api/host_records.h"

struct ExportState;

// --- Header and shared box ------------------------------------------------------

// The box every frame of one export is encoded into.
// The scale of one axis of the frame box: 1 / (255 / size), both divisions
// in single precision and in that order; a flat axis keeps 1 (a size that is
// not a number counts as not flat).
float AxisScale(float size);

struct FrameBox {
    Vector3 scale;      // per axis: 1 / (255 / size), or 1 on a flat axis
    Vector3 translate;  // the bounds' min
};

// Fills the header (magic, version 8, the counts given, the skin size and
// num_frames from the export's settings; frame size, GL word count and every
// offset 0) and answers the box shared by all frames, derived from the bounds
// of everything the frame writers will encode: every sampled frame when the
// scene has animations, the host positions otherwise. The animated bounds
// evaluate only the frames' positions, with the frames split over threads
// (export/frame_workers.h) unless a coordinate is not a number.
FrameBox FillHeader(ExportState* state, Md2Header* header, int numSt, int numXyz, int numTris, int numSkins);

// --- Frames -----------------------------------------------------------------------

// True when the scene holds at least one animation. A list that is present
// but empty is no list at all: such a scene is written as one rest frame,
// since a file without frames is refused by the engines that load MD2.
bool HasAnimations(const HostScene* scene);

// The number of frames the frame writers produce for the scene: the sum of
// AnimationFrameCount over its animations when it has any, else 1. Wide
// enough that no sum overflows.
std::int64_t ExportFrameTotal(HostScene* scene);

// What a frame writer reports besides success.
struct FrameRun {
    int frameSize;      // 40 + 4 x vertices, set before anything is written
    int framesWritten;  // whole frames that reached the file
};

// Samples every animation of the export's scene at its frame rate and writes
// one frame per sample, named "<animation><frame number>" from 0 in each
// animation. The frames are evaluated and encoded over threads
// (export/frame_workers.h) into sections of up to 32 MB, each written at
// once; one frame at a time when memory for a section cannot be had.
// Answers 1 when every frame was written, 0 when a write came up
// short, memory could not be had or the posed vertices do not match the
// scene's vertices (then the frames would not hold num_xyz vertices each).
int WriteAnimatedFrames(ExportState* state, std::FILE* file, const FrameBox& box, FrameRun* run);

// Writes the single rest-pose frame "Frame0" of a scene without animations.
// Answers as WriteAnimatedFrames.
int WriteStaticFrame(ExportState* state, std::FILE* file, const FrameBox& box, FrameRun* run);

// The 16-byte name field of a frame: stem followed by the number in decimal
// and a terminator. A stem too long for that is shortened at a whole
// character of the C runtime's multibyte text, so the number always stays
// and the frames of one animation never share a name; the bytes after the
// text are zero.
void ComposeFrameName(char name[kMd2FrameNameChars], const char* stem, int number);

// One coordinate as a vertex byte: (position - translate) / scale, the
// division skipped when scale is 0, truncated toward zero, low 8 bits. No
// rounding, no clamping; a value that is not a number or beyond the int64
// range gives 0.
std::uint8_t EncodeCoordinate(float position, float translate, float scale);

