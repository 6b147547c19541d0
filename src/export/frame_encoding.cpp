#include "export/frame_encoding.h"

#include <algorithm>
#include <bit>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <new>

#include "anim/frame_sampling.h"
#include "anim/model_bounds.h"
#include "anim/pose_evaluation.h"
#include "export/export_state.h"
#include "export/frame_workers.h"
#include "geom/float4.h"
#include "md2/md2_sections.h"
#include "md2/normal_index.h"
#include "util/float_convert.h"
#include "util/text.h"

float AxisScale(float size) {
    float scale = 1;
    if (size != 0) {
        scale = 255.0f / size;
        if (scale != 0) {
            scale = 1.0f / scale;
        }
    }
    return scale;
}

// --- Header and shared box ------------------------------------------------------

FrameBox FillHeader(ExportState* state, Md2Header* header, int numSt, int numXyz, int numTris, int numSkins) {
    HostScene* scene = state->scene;
    ModelBounds bounds{};
    ReleaseKeptFrames(&state->keptFrames);
    if (HasAnimations(scene)) {
        if (!KeepEveryFrame(state, state->settings->frameWorkers, &bounds)) {
            AnimatedBounds(&state->pose, scene, &bounds);
        }
    } else {
        StaticBounds(scene, &bounds);
    }
    FrameBox box{};
    box.scale = {AxisScale(bounds.size.x), AxisScale(bounds.size.y), AxisScale(bounds.size.z)};
    box.translate = bounds.min;

    *header = Md2Header{};
    header->ident = kMd2Ident;
    header->version = kMd2Version;
    header->skinwidth = state->settings->skinWidth;
    header->skinheight = state->settings->skinHeight;
    header->num_skins = numSkins;
    header->num_xyz = numXyz;
    header->num_st = numSt;
    header->num_tris = numTris;
    header->num_frames = state->settings->totalFrames;
    return box;
}

// --- Frames -----------------------------------------------------------------------

bool HasAnimations(const HostScene* scene) { return scene != nullptr && ListCount(scene->animations) > 0; }

std::int64_t ExportFrameTotal(HostScene* scene) {
    if (!HasAnimations(scene)) {
        return 1;
    }
    std::int64_t total = 0;
    for (int a = 0; a < ListCount(scene->animations); ++a) {
        total += AnimationFrameCount(&scene->animations.items[a]);
    }
    return total;
}

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

// One frame in memory: the 40-byte frame header, then 4 bytes per vertex.
// The whole frame goes to the file in one write.
struct FrameBuffer {
    std::uint8_t* bytes;
    int size;
};

// Sets the frame size and takes the frame buffer. Fails when the posed
// vertices are not one per scene vertex (every frame must hold num_xyz
// vertices), when the size does not fit an int32 or memory runs out.
bool StartFrameRun(const ExportState& state, FrameRun* run, FrameBuffer* buffer) {
    *run = FrameRun{};
    *buffer = FrameBuffer{};
    const int vertices = state.pose.posedVertices.count;
    const std::int64_t size = kMd2FrameHeaderBytes + std::int64_t{kMd2VertexBytes} * vertices;
    if (state.scene == nullptr || vertices != ListCount(state.scene->vertices) || size > INT32_MAX) {
        return false;
    }
    run->frameSize = static_cast<int>(size);
    buffer->bytes = new (std::nothrow) std::uint8_t[static_cast<std::size_t>(size)]();
    buffer->size = run->frameSize;
    return buffer->bytes != nullptr;
}

void ReleaseFrameBuffer(FrameBuffer* buffer) {
    delete[] buffer->bytes;
    *buffer = FrameBuffer{};
}

// Fills the 40-byte frame header of the buffer; answers where the vertices go.
std::uint8_t* StartFrame(const FrameBox& box, const char* stem, int number, FrameBuffer* buffer) {
    Md2FrameHeader header = {{box.scale.x, box.scale.y, box.scale.z},
                             {box.translate.x, box.translate.y, box.translate.z},
                             {}};
    ComposeFrameName(header.name, stem, number);
    EncodeMd2FrameHeader(header, buffer->bytes);
    return buffer->bytes + kMd2FrameHeaderBytes;
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

// Encodes the current posed vertices under `name` and writes the frame.
bool WriteFrame(std::FILE* file, const FrameBox& box, const PosedVertexArray& posed, const char* stem, int number,
                FrameBuffer* buffer) {
    std::uint8_t* p = StartFrame(box, stem, number, buffer);
    if (posed.items != nullptr) {
        EncodePositions(&posed.items[0].position, sizeof(PosedVertex), posed.count, box, p);
    }
    for (int v = 0; v < posed.count; ++v, p += kMd2VertexBytes) {
        p[3] = static_cast<std::uint8_t>(NormalIndex(posed.items[v].normal));
    }
    return std::fwrite(buffer->bytes, static_cast<std::size_t>(buffer->size), 1, file) == 1;
}

// Encodes kept frame `frame` under `name` and writes it.
bool WriteKeptFrame(std::FILE* file, const FrameBox& box, const char* stem, int number, const KeptFrames& kept,
                    int frame, FrameBuffer* buffer) {
    std::uint8_t* p = StartFrame(box, stem, number, buffer);
    const std::size_t first = static_cast<std::size_t>(frame) * static_cast<std::size_t>(kept.vertices);
    EncodePositions(kept.positions + first, sizeof(Vector3), kept.vertices, box, p);
    const std::uint8_t* normals = kept.normals + first;
    for (int v = 0; v < kept.vertices; ++v, p += kMd2VertexBytes) {
        p[3] = normals[v];
    }
    return std::fwrite(buffer->bytes, static_cast<std::size_t>(buffer->size), 1, file) == 1;
}

// The animation's 8-bit name, bounded by its TextPair half.
void AnimationStem(const HostAnimation& animation, char stem[kTextPairUnits]) {
    std::memcpy(stem, animation.name.narrow, kTextPairUnits);
    stem[kTextPairUnits - 1] = 0;
}

}  // namespace

int WriteAnimatedFrames(ExportState* state, std::FILE* file, const FrameBox& box, FrameRun* run) {
    FrameBuffer buffer{};
    if (file == nullptr || !StartFrameRun(*state, run, &buffer)) {
        ReleaseFrameBuffer(&buffer);
        return 0;
    }
    HostScene* scene = state->scene;
    const KeptFrames* kept = KeptFramesFor(*state);
    int frame = 0;
    for (int a = 0; a < ListCount(scene->animations); ++a) {
        HostAnimation* animation = &scene->animations.items[a];
        const int frames = AnimationFrameCount(animation);
        const float step = AnimationSampleStep(animation);
        char stem[kTextPairUnits];
        AnimationStem(*animation, stem);
        for (int i = 0; i < frames; ++i, ++frame) {
            bool written = false;
            if (kept != nullptr) {
                written = WriteKeptFrame(file, box, stem, i, *kept, frame, &buffer);
            } else {
                EvaluatePose(&state->pose, scene, animation, AnimationSampleTime(step, i));
                written = WriteFrame(file, box, state->pose.posedVertices, stem, i, &buffer);
            }
            if (!written) {
                ReleaseFrameBuffer(&buffer);
                ReleaseKeptFrames(&state->keptFrames);
                return 0;
            }
            ++run->framesWritten;
        }
    }
    ReleaseFrameBuffer(&buffer);
    ReleaseKeptFrames(&state->keptFrames);
    return 1;
}

int WriteStaticFrame(ExportState* state, std::FILE* file, const FrameBox& box, FrameRun* run) {
    FrameBuffer buffer{};
    if (file == nullptr || !StartFrameRun(*state, run, &buffer)) {
        ReleaseFrameBuffer(&buffer);
        return 0;
    }
    EvaluatePose(&state->pose, state->scene, nullptr, 0);
    const bool written = WriteFrame(file, box, state->pose.posedVertices, "Frame", 0, &buffer);
    ReleaseFrameBuffer(&buffer);
    if (!written) {
        return 0;
    }
    run->framesWritten = 1;
    return 1;
}
