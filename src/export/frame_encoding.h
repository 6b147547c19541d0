// Encoding the export's poses as MD2 frames: quantising positions into the
// box shared by every frame, and the frame writers.
#pragma once

#include <cstdint>
#include <cstdio>

#include "export/frame_box.h"
#include "md2/md2_format.h"
#include "host_api/host_records.h"

struct ExportState;

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

