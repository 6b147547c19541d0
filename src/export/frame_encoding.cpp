#include "export/frame_encoding.h"

#include <algorithm>
#include <bit>
#include <cmath>
#include <cstdio>
#include <cstring>

#include "anim/frame_sampling.h"
#include "anim/pose_evaluation.h"
#include "export/export_state.h"
#include "export/frame_plan.h"
#include "export/frame_workers.h"
#include "geom/float4.h"
#include "md2/md2_sections.h"
#include "md2/normal_index.h"
#include "util/float_convert.h"
#include "util/large_buffer.h"
#include "util/owned_array.h"
#include "util/text.h"
#include "util/work_slices.h"

void ComposeFrameName(char name[kMd2FrameNameChars], const char* stem, int number) {
    // Any int has at most 11 characters, so the number always fits with its terminator.
    char digits[16] = {};
    const int digitCount = std::max(0, std::snprintf(digits, sizeof(digits), "%d", number));
    const std::size_t room = kMd2FrameNameChars - 1 - static_cast<std::size_t>(digitCount);
    // The stem is read no further than a TextPair's 8-bit half.
    const std::size_t stemLength = stem != nullptr ? strnlen(stem, kTextPairUnits - 1) : 0;
    const std::size_t kept = stemLength <= room ? stemLength : WholeCharacterPrefix(stem, stemLength, room);
    std::memset(name, 0, kMd2FrameNameChars);
    if (kept > 0) {
        std::memcpy(name, stem, kept);
    }
    std::memcpy(name + kept, digits, static_cast<std::size_t>(digitCount));
}

std::uint8_t EncodeCoordinate(float position, float translate, float scale) {
    float d = position - translate;
    if (scale != 0) {
        d = d / scale;
    }
    return LowByte(TruncateToInt64(d));
}

namespace {

// Sets the frame size: 40 bytes of frame header, then 4 bytes per vertex.
// Fails when the posed vertices are not one per scene vertex (every frame
// must hold num_xyz vertices) or the size does not fit an int32.
bool StartFrameRun(const ExportState& state, FrameRun* run) {
    *run = FrameRun{};
    const int vertices = state.pose.posedVertices.count;
    const std::int64_t size = Md2FrameBytes(vertices);
    if (state.scene == nullptr || vertices != ListCount(state.scene->vertices) || size > INT32_MAX) {
        return false;
    }
    run->frameSize = static_cast<int>(size);
    return true;
}

// Fills the 40-byte frame header at `frame`; answers where the vertices go.
std::uint8_t* StartFrame(const FrameBox& box, const char* stem, int number, std::uint8_t* frame) {
    Md2FrameHeader header = {{box.scale.x, box.scale.y, box.scale.z},
                             {box.translate.x, box.translate.y, box.translate.z},
                             {}};
    ComposeFrameName(header.name, stem, number);
    EncodeMd2FrameHeader(header, frame);
    return frame + kMd2FrameHeaderBytes;
}

// The x, y and z bytes of `count` positions, the first at `first` and each
// next one `stride` bytes further, into the first three of every 4 bytes of
// `out`: EncodeCoordinate of each component, the three of a vertex in one
// vector. A vertex with a value beyond the int32 range (or not a number) is
// encoded component by component.
void EncodePositions(const Vector3* first, std::size_t stride, int count, const FrameBox& box, std::uint8_t* out) {
    const char* bytes = reinterpret_cast<const char*>(first);
    const Float4 translate = MakeFloat4(box.translate.x, box.translate.y, box.translate.z);
    // Dividing by 1 where the scale is 0 leaves the difference as it is.
    const Float4 divisor = {box.scale.x != 0 ? box.scale.x : 1.0f, box.scale.y != 0 ? box.scale.y : 1.0f,
                            box.scale.z != 0 ? box.scale.z : 1.0f, 1.0f};
    for (int v = 0; v < count; ++v, out += kMd2VertexBytes) {
        const Vector3& p = *reinterpret_cast<const Vector3*>(bytes + static_cast<std::size_t>(v) * stride);
        const Float4 d = (MakeFloat4(p.x, p.y, p.z) - translate) / divisor;
        // Within the int32 range an int32 and an int64 truncation share their low byte.
        if (AllLanes((d >= -2147483648.0f) & (d < 2147483648.0f))) {
            const Int4 truncated = ConvertToInt4(d);
            out[0] = LowByte(truncated[0]);
            out[1] = LowByte(truncated[1]);
            out[2] = LowByte(truncated[2]);
        } else {
            out[0] = EncodeCoordinate(p.x, box.translate.x, box.scale.x);
            out[1] = EncodeCoordinate(p.y, box.translate.y, box.scale.y);
            out[2] = EncodeCoordinate(p.z, box.translate.z, box.scale.z);
        }
    }
}

// Encodes the current posed vertices under `name` at `out`, a frame's size;
// `normals` holds a byte per posed vertex for their normal indices.
void EncodePosedFrame(const FrameBox& box, const PosedVertexArray& posed, const char* stem, int number,
                      std::uint8_t* normals, std::uint8_t* out) {
    std::uint8_t* p = StartFrame(box, stem, number, out);
    if (posed.items == nullptr) {
        return;
    }
    EncodePositions(&posed.items[0].position, sizeof(PosedVertex), posed.count, box, p);
    NormalIndices(&posed.items[0].normal, sizeof(PosedVertex), posed.count, normals);
    for (int v = 0; v < posed.count; ++v, p += kMd2VertexBytes) {
        p[3] = normals[v];
    }
}

// The animation's 8-bit name, bounded by its TextPair half.
void AnimationStem(const HostAnimation& animation, char stem[kTextPairUnits]) {
    std::memcpy(stem, animation.name.narrow, kTextPairUnits);
    stem[kTextPairUnits - 1] = 0;
}

// Frames are encoded into a section of this many bytes at most, side by
// side, and each section goes to the file in one write.
constexpr std::size_t kSectionBytes = std::size_t{32} << 20;

struct SectionEncoding {
    HostScene* scene;
    const FrameBox* box;
    std::uint8_t* section;
    std::size_t frameSize;
    int sectionFirst;  // the frame at the section's start
};

// Evaluates and encodes a slice's frames into their places in the section.
bool EncodeSlice(PoseState* pose, const FrameAt* frames, const SliceRange& range, void* context) {
    const SectionEncoding& encoding = *static_cast<const SectionEncoding*>(context);
    const OwnedArray<std::uint8_t> normals = NewOwnedArray<std::uint8_t>(pose->posedVertices.count);
    if (normals == nullptr) {
        return false;
    }
    char stem[kTextPairUnits];
    for (int frame = range.first; frame < range.end; ++frame) {
        const FrameAt& at = frames[frame];
        EvaluatePose(pose, encoding.scene, at.animation, at.time);
        AnimationStem(*at.animation, stem);
        EncodePosedFrame(*encoding.box, pose->posedVertices, stem, at.number, normals.get(),
                         encoding.section +
                             static_cast<std::size_t>(frame - encoding.sectionFirst) * encoding.frameSize);
    }
    return true;
}

// How the sectioned write of the frames ended.
enum class SectionsResult {
    kWritten,     // every frame reached the file
    kFailed,      // a write came up short or a slice failed
    kNoMemory,    // nothing was written: no memory for the frame list or a section
};

// Every frame, section by section, each evaluated and encoded over slices and
// written at once.
SectionsResult WriteFrameSections(ExportState* state, std::FILE* file, const FrameBox& box, FrameRun* run) {
    const std::int64_t total = ExportFrameTotal(state->scene);
    const std::size_t frameSize = static_cast<std::size_t>(run->frameSize);
    if (total <= 0 || total > INT32_MAX) {
        return SectionsResult::kNoMemory;
    }
    const int count = static_cast<int>(total);
    const std::size_t fitting = kSectionBytes / frameSize > 0 ? kSectionBytes / frameSize : 1;
    const int perSection = fitting < static_cast<std::size_t>(count) ? static_cast<int>(fitting) : count;
    const OwnedArray<FrameAt> frames = ListFrames(state->scene, count);
    const std::size_t sectionBytes = frameSize * static_cast<std::size_t>(perSection);
    std::uint8_t* section = frames != nullptr ? NewLargeBuffer(sectionBytes) : nullptr;
    if (section == nullptr) {
        return SectionsResult::kNoMemory;
    }
    SectionEncoding encoding{state->scene, &box, section, frameSize, 0};
    bool written = true;
    for (int first = 0; written && first < count; first += perSection) {
        const int size = count - first < perSection ? count - first : perSection;
        encoding.sectionFirst = first;
        written = RunFrameSlices(state, frames.get() + first, size, EncodeSlice, &encoding) &&
                  std::fwrite(section, frameSize, static_cast<std::size_t>(size), file) ==
                      static_cast<std::size_t>(size);
        run->framesWritten += written ? size : 0;
    }
    DeleteLargeBuffer(section, sectionBytes);
    return written ? SectionsResult::kWritten : SectionsResult::kFailed;
}

// One frame at a time through the export's own pose, in as little memory as
// can be had.
bool WriteFramesOneByOne(ExportState* state, std::FILE* file, const FrameBox& box, FrameRun* run) {
    const std::size_t frameSize = static_cast<std::size_t>(run->frameSize);
    const OwnedArray<std::uint8_t> frame = NewOwnedArray<std::uint8_t>(run->frameSize);
    const OwnedArray<std::uint8_t> normals = NewOwnedArray<std::uint8_t>(state->pose.posedVertices.count);
    bool written = frame != nullptr && normals != nullptr;
    char stem[kTextPairUnits];
    for (FrameWalk walk = StartFrameWalk(state->scene); written && NextFrame(&walk);) {
        const FrameAt& at = walk.frame;
        if (at.number == 0) {
            AnimationStem(*at.animation, stem);
        }
        EvaluatePose(&state->pose, state->scene, at.animation, at.time);
        EncodePosedFrame(box, state->pose.posedVertices, stem, at.number, normals.get(), frame.get());
        written = std::fwrite(frame.get(), frameSize, 1, file) == 1;
        run->framesWritten += written ? 1 : 0;
    }
    return written;
}

}  // namespace

int WriteAnimatedFrames(ExportState* state, std::FILE* file, const FrameBox& box, FrameRun* run) {
    if (file == nullptr || !StartFrameRun(*state, run)) {
        return 0;
    }
    switch (WriteFrameSections(state, file, box, run)) {
        case SectionsResult::kWritten:
            return 1;
        case SectionsResult::kFailed:
            return 0;
        case SectionsResult::kNoMemory:
            break;
    }
    return WriteFramesOneByOne(state, file, box, run) ? 1 : 0;
}

int WriteStaticFrame(ExportState* state, std::FILE* file, const FrameBox& box, FrameRun* run) {
    if (file == nullptr || !StartFrameRun(*state, run)) {
        return 0;
    }
    const OwnedArray<std::uint8_t> frame = NewOwnedArray<std::uint8_t>(run->frameSize);
    const OwnedArray<std::uint8_t> normals = NewOwnedArray<std::uint8_t>(state->pose.posedVertices.count);
    if (frame == nullptr || normals == nullptr) {
        return 0;
    }
    EvaluatePose(&state->pose, state->scene, nullptr, 0);
    EncodePosedFrame(box, state->pose.posedVertices, "Frame", 0, normals.get(), frame.get());
    if (std::fwrite(frame.get(), static_cast<std::size_t>(run->frameSize), 1, file) != 1) {
        return 0;
    }
    run->framesWritten = 1;
    return 1;
}
