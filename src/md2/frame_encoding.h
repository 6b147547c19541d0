// Encoding the scene's poses as MD2 frames: the file header with the scale
// and translate shared by every frame, the frames themselves, and the choice
// of each vertex's normal from the standard table.
#pragma once

#include <cstdint>
#include <cstdio>

#include "geom/vector3.h"
#include "md2/md2_format.h"
#include "md2/normal_index.h"
#include "plugin/host_records.h"

// --- Little-endian encoding ----------------------------------------------------

inline void StoreU32LE(std::uint8_t* p, std::uint32_t value) {
    p[0] = static_cast<std::uint8_t>(value);
    p[1] = static_cast<std::uint8_t>(value >> 8);
    p[2] = static_cast<std::uint8_t>(value >> 16);
    p[3] = static_cast<std::uint8_t>(value >> 24);
}
inline void StoreI32LE(std::uint8_t* p, std::int32_t value) { StoreU32LE(p, static_cast<std::uint32_t>(value)); }
inline void StoreI16LE(std::uint8_t* p, std::int16_t value) {
    const auto bits = static_cast<std::uint16_t>(value);
    p[0] = static_cast<std::uint8_t>(bits);
    p[1] = static_cast<std::uint8_t>(bits >> 8);
}
void StoreF32LE(std::uint8_t* p, float value);

// The 68 bytes of the header as the file holds them.
void EncodeMd2Header(const Md2Header& header, std::uint8_t bytes[kMd2HeaderBytes]);

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

// Fills the header (magic, version 8, the counts and the skin size given,
// num_frames from the export settings' totalFrames; frame size, GL word count
// and every offset 0) and answers the box shared by all frames, derived from
// the bounds of everything the frame writers will encode. Bounds of every
// sampled frame when the scene has animations, of the host positions
// otherwise; the animated bounds need the pose working arrays.
FrameBox FillHeader(HostScene* scene, Md2Header* header, int numSt, int numXyz, int numTris, int numSkins,
                    int skinWidth, int skinHeight);

// FillHeader keeps the posed frames of its bounds pass when they fit a
// memory budget (md2/kept_frames.h); WriteAnimatedFrames then encodes them
// instead of evaluating every frame again, and releases them.

// --- Frames -----------------------------------------------------------------------

// The number of frames the frame writers produce for the scene: the sum of
// AnimationFrameCount over its animations when it has an animation list (0
// for an empty list), else 1. Wide enough that no sum overflows.
std::int64_t ExportFrameTotal(HostScene* scene);

// What a frame writer reports besides success.
struct FrameRun {
    int frameSize;      // 40 + 4 x vertices, set before anything is written
    int framesWritten;  // whole frames that reached the file
};

// Samples every animation of the scene at its frame rate and writes one frame
// per sample, named "<animation><frame number>" from 0 in each animation.
// Answers 1 when every frame was written, 0 when a write came up short, memory
// could not be had or the posed vertices do not match the scene's vertices
// (then the frames would not hold num_xyz vertices each).
int WriteAnimatedFrames(HostScene* scene, std::FILE* file, const FrameBox& box, FrameRun* run);

// Writes the single rest-pose frame "Frame0" of a scene without animations.
// Answers as WriteAnimatedFrames.
int WriteStaticFrame(HostScene* scene, std::FILE* file, const FrameBox& box, FrameRun* run);

// The 16-byte name field of a frame: stem followed by the number in decimal,
// cut to 16 bytes; the bytes after the text are zero (there is no terminator
// when the text fills the field).
void ComposeFrameName(char name[kMd2FrameNameChars], const char* stem, int number);

// One coordinate as a vertex byte: (position - translate) / scale, the
// division skipped when scale is 0, truncated toward zero, low 8 bits. No
// rounding, no clamping; a value that is not a number or beyond the int64
// range gives 0.
std::uint8_t EncodeCoordinate(float position, float translate, float scale);

