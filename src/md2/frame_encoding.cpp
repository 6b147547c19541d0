#include "md2/frame_encoding.h"

#include <algorithm>
#include <bit>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <new>

#include "anim/frame_sampling.h"
#include "anim/model_bounds.h"
#include "anim/pose_arrays.h"
#include "anim/pose_evaluation.h"
#include "export/export_settings.h"
#include "md2/md2_normals.h"
#include "util/float_convert.h"

void StoreF32LE(std::uint8_t* p, float value) { StoreU32LE(p, std::bit_cast<std::uint32_t>(value)); }

void EncodeMd2Header(const Md2Header& header, std::uint8_t bytes[kMd2HeaderBytes]) {
    const std::int32_t fields[] = {header.version,    header.skinwidth,  header.skinheight, header.framesize,
                                   header.num_skins,  header.num_xyz,    header.num_st,     header.num_tris,
                                   header.num_glcmds, header.num_frames, header.ofs_skins,  header.ofs_st,
                                   header.ofs_tris,   header.ofs_frames, header.ofs_glcmds, header.ofs_end};
    StoreU32LE(bytes, header.ident);
    for (std::size_t i = 0; i < sizeof(fields) / sizeof(fields[0]); ++i) {
        StoreI32LE(bytes + 4 + 4 * i, fields[i]);
    }
}

// --- Header and shared box ------------------------------------------------------

namespace {

// 1 / (255 / size), both divisions in single precision and in that order; a
// flat axis keeps 1 (a size that is not a number counts as not flat).
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

bool HasAnimationList(const HostScene* scene) { return scene->animations.items != nullptr; }

int AnimationCount(const HostScene* scene) {
    return HasAnimationList(scene) && scene->animations.count > 0 ? scene->animations.count : 0;
}

}  // namespace

FrameBox FillHeader(HostScene* scene, Md2Header* header, int numSt, int numXyz, int numTris, int numSkins,
                    int skinWidth, int skinHeight) {
    ModelBounds bounds{};
    if (scene != nullptr && AnimationCount(scene) > 0) {
        AnimatedBounds(scene, &bounds);
    } else {
        StaticBounds(scene, &bounds);
    }
    FrameBox box{};
    box.scale = {AxisScale(bounds.size.x), AxisScale(bounds.size.y), AxisScale(bounds.size.z)};
    box.translate = bounds.min;

    *header = Md2Header{};
    header->ident = kMd2Ident;
    header->version = kMd2Version;
    header->skinwidth = skinWidth;
    header->skinheight = skinHeight;
    header->num_skins = numSkins;
    header->num_xyz = numXyz;
    header->num_st = numSt;
    header->num_tris = numTris;
    header->num_frames = CurrentExportSettings()->totalFrames;
    return box;
}

// --- Frames -----------------------------------------------------------------------

std::int64_t ExportFrameTotal(HostScene* scene) {
    if (scene == nullptr || !HasAnimationList(scene)) {
        return 1;
    }
    std::int64_t total = 0;
    for (int a = 0; a < AnimationCount(scene); ++a) {
        total += AnimationFrameCount(&scene->animations.items[a]);
    }
    return total;
}

void ComposeFrameName(char name[kMd2FrameNameChars], const char* stem, int number) {
    // The stem is at most a TextPair's 8-bit half; the number adds at most 11 characters.
    char bounded[kTextPairUnits] = {};
    if (stem != nullptr) {
        std::size_t length = 0;
        while (length < kTextPairUnits - 1 && stem[length] != 0) {
            ++length;
        }
        std::memcpy(bounded, stem, length);
    }
    char composed[kTextPairUnits + 16] = {};
    int length = std::snprintf(composed, sizeof(composed), "%s%d", bounded, number);
    if (length < 0) {
        length = 0;
    }
    const std::size_t kept = std::min(static_cast<std::size_t>(length), std::size_t{kMd2FrameNameChars});
    std::memset(name, 0, kMd2FrameNameChars);
    std::memcpy(name, composed, kept);
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

// The scene's vertex count, 0 when the list is absent.
int SceneVertexCount(const HostScene* scene) {
    return scene->vertices.items != nullptr && scene->vertices.count > 0 ? scene->vertices.count : 0;
}

// Sets the frame size and takes the frame buffer. Fails when the posed
// vertices are not one per scene vertex (every frame must hold num_xyz
// vertices), when the size does not fit an int32 or memory runs out.
bool StartFrameRun(HostScene* scene, FrameRun* run, FrameBuffer* buffer) {
    *run = FrameRun{};
    *buffer = FrameBuffer{};
    const int vertices = posedVertices.count;
    const std::int64_t size = kMd2FrameHeaderBytes + std::int64_t{kMd2VertexBytes} * vertices;
    if (scene == nullptr || vertices != SceneVertexCount(scene) || size > INT32_MAX) {
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

// Encodes the current posedVertices under `name` and writes the frame.
bool WriteFrame(std::FILE* file, const FrameBox& box, const char* stem, int number, FrameBuffer* buffer) {
    std::uint8_t* p = buffer->bytes;
    StoreF32LE(p + 0, box.scale.x);
    StoreF32LE(p + 4, box.scale.y);
    StoreF32LE(p + 8, box.scale.z);
    StoreF32LE(p + 12, box.translate.x);
    StoreF32LE(p + 16, box.translate.y);
    StoreF32LE(p + 20, box.translate.z);
    ComposeFrameName(reinterpret_cast<char*>(p + 24), stem, number);
    p += kMd2FrameHeaderBytes;
    for (int v = 0; v < posedVertices.count; ++v, p += kMd2VertexBytes) {
        const PosedVertex& posed = posedVertices.items[v];
        p[0] = EncodeCoordinate(posed.position.x, box.translate.x, box.scale.x);
        p[1] = EncodeCoordinate(posed.position.y, box.translate.y, box.scale.y);
        p[2] = EncodeCoordinate(posed.position.z, box.translate.z, box.scale.z);
        p[3] = static_cast<std::uint8_t>(NormalIndex(posed.normal));
    }
    return std::fwrite(buffer->bytes, static_cast<std::size_t>(buffer->size), 1, file) == 1;
}

// The animation's 8-bit name, bounded by its TextPair half.
void AnimationStem(const HostAnimation& animation, char stem[kTextPairUnits]) {
    std::memcpy(stem, animation.name.narrow, kTextPairUnits);
    stem[kTextPairUnits - 1] = 0;
}

}  // namespace

int WriteAnimatedFrames(HostScene* scene, std::FILE* file, const FrameBox& box, FrameRun* run) {
    FrameBuffer buffer{};
    if (file == nullptr || !StartFrameRun(scene, run, &buffer)) {
        ReleaseFrameBuffer(&buffer);
        return 0;
    }
    InitBindPose();
    for (int a = 0; a < AnimationCount(scene); ++a) {
        HostAnimation* animation = &scene->animations.items[a];
        const int frames = AnimationFrameCount(animation);
        const float step = AnimationSampleStep(animation);
        char stem[kTextPairUnits];
        AnimationStem(*animation, stem);
        for (int i = 0; i < frames; ++i) {
            EvaluatePose(scene, animation, AnimationSampleTime(step, i));
            if (!WriteFrame(file, box, stem, i, &buffer)) {
                ReleaseFrameBuffer(&buffer);
                return 0;
            }
            ++run->framesWritten;
        }
    }
    ReleaseFrameBuffer(&buffer);
    return 1;
}

int WriteStaticFrame(HostScene* scene, std::FILE* file, const FrameBox& box, FrameRun* run) {
    FrameBuffer buffer{};
    if (file == nullptr || !StartFrameRun(scene, run, &buffer)) {
        ReleaseFrameBuffer(&buffer);
        return 0;
    }
    InitBindPose();
    EvaluatePose(scene, nullptr, 0);
    const bool written = WriteFrame(file, box, "Frame", 0, &buffer);
    ReleaseFrameBuffer(&buffer);
    if (!written) {
        return 0;
    }
    run->framesWritten = 1;
    return 1;
}

// --- Normal index -----------------------------------------------------------------
//
// The rule is defined over all 162 entries. The fast path finds the entry with
// the largest dot product through a grid over directions: each cell of a cube
// map lists every entry that can have the largest dot product for some normal
// whose direction falls in the cell. When that entry qualifies it is the
// answer (no other entry has a larger dot product, and ties are settled by the
// lowest index in both). When it does not (a zero, non-unit or non-finite
// normal), every entry is examined as the rule states.

namespace {

constexpr float kEqualTolerance = 9.9999997e-05f;

// The dot product in the order the rule computes it.
inline float NormalDot(const Vector3& n, const float* e) { return n.y * e[1] + n.x * e[0] + n.z * e[2]; }

// Each component differs by less than the tolerance: the difference in single
// precision, its absolute value taken in double and converted back.
inline bool EqualsEntry(const Vector3& n, const float* e) {
    const float d[3] = {n.x - e[0], n.y - e[1], n.z - e[2]};
    for (float component : d) {
        if (!(static_cast<float>(std::fabs(static_cast<double>(component))) < kEqualTolerance)) {
            return false;
        }
    }
    return true;
}

// acosf(dot) < 1. The arc cosine is monotonic and accurate to far better
// than the margins here: at or below 0.5 the angle is at least 1.047, from 0.6
// to 1 it is at most 0.928. Only between them, and outside -1 to 1, is the
// arc cosine itself asked.
inline bool AngleBelowOneRadian(float dot) {
    if (dot >= 0.6f && dot <= 1.0f) {
        return true;
    }
    if (dot >= -1.0f && dot <= 0.5f) {
        return false;
    }
    return std::acos(dot) < 1.0f;
}

inline bool Qualifies(const Vector3& n, int index, float dot) {
    return AngleBelowOneRadian(dot) || EqualsEntry(n, kMd2Normals[index]);
}

// Every entry in index order, as the rule states it.
int NormalIndexByScan(const Vector3& n) {
    int best = -1;
    float bestDot = 0;
    for (int i = 0; i < kMd2NormalCount; ++i) {
        const float dot = NormalDot(n, kMd2Normals[i]);
        if (Qualifies(n, i, dot) && (best < 0 || dot > bestDot)) {
            best = i;
            bestDot = dot;
        }
    }
    return best < 0 ? 0 : best;
}

// Cube map: face 2a + s is the side where axis a dominates with sign s (0
// positive, 1 negative); each face is cut into kGridSide x kGridSide cells
// over the two other components divided by the dominant one.
constexpr int kGridSide = 16;
constexpr int kGridCells = 6 * kGridSide * kGridSide;
// Cells list 2.5 entries on average and 4 at most.
constexpr int kGridPoolCapacity = kGridCells * 8;

// Angular slack added to every cell's candidate test. The entry with the
// largest single-precision dot product lies within 0.003 radian of the entry
// nearest in angle (the table's vectors are unit length to 1e-6 and the dot
// product's rounding is below 1e-6 relative for normals of length 0.5 and
// more); the rest covers the rounding of the cell coordinates.
constexpr double kCandidateSlack = 0.01;
// Cells are widened by this much in face coordinates before their radius is taken.
constexpr double kCellWidening = 1e-3;

struct NormalGrid {
    std::uint16_t first[kGridCells + 1];  // candidates of cell c: pool[first[c]] to pool[first[c + 1] - 1]
    std::uint8_t pool[kGridPoolCapacity];
    bool usable;
};

struct Direction {
    double x, y, z;
};

Direction UnitDirection(double x, double y, double z) {
    const double length = std::sqrt(x * x + y * y + z * z);
    return {x / length, y / length, z / length};
}

double AngleBetween(const Direction& a, const Direction& b) {
    double c = a.x * b.x + a.y * b.y + a.z * b.z;
    c = c > 1 ? 1 : (c < -1 ? -1 : c);
    return std::acos(c);
}

// The direction of face coordinates (u, v) on `face`.
Direction FacePoint(int face, double u, double v) {
    const int axis = face / 2;
    const double major = face % 2 == 0 ? 1.0 : -1.0;
    double c[3];
    c[axis] = major;
    c[(axis + 1) % 3] = u;
    c[(axis + 2) % 3] = v;
    return UnitDirection(c[0], c[1], c[2]);
}

// Lists, for every cell, each entry whose angle to the cell's centre is within
// 2 x (the cell's angular radius) + slack of the smallest such angle. Whatever
// direction d in the cell, the entry j with the largest dot product for d
// satisfies angle(centre, j) <= radius + angle(d, j) <= radius + angle(d, k) +
// slack <= 2 radius + angle(centre, k) + slack, for k the entry nearest the
// centre: so j is listed. The radius is the largest angle from the centre to
// a corner of the widened cell, the farthest points of a cell that small.
void BuildNormalGrid(NormalGrid* grid) {
    Direction entries[kMd2NormalCount];
    for (int i = 0; i < kMd2NormalCount; ++i) {
        entries[i] = UnitDirection(kMd2Normals[i][0], kMd2Normals[i][1], kMd2Normals[i][2]);
    }
    const double cellWidth = 2.0 / kGridSide;
    int used = 0;
    grid->usable = true;
    for (int cell = 0; cell < kGridCells; ++cell) {
        grid->first[cell] = static_cast<std::uint16_t>(used);
        const int face = cell / (kGridSide * kGridSide);
        const int row = cell / kGridSide % kGridSide;
        const int column = cell % kGridSide;
        const double u0 = -1 + column * cellWidth - kCellWidening;
        const double u1 = -1 + (column + 1) * cellWidth + kCellWidening;
        const double v0 = -1 + row * cellWidth - kCellWidening;
        const double v1 = -1 + (row + 1) * cellWidth + kCellWidening;
        const Direction centre = FacePoint(face, (u0 + u1) / 2, (v0 + v1) / 2);
        double radius = 0;
        const double cornersU[2] = {u0, u1};
        const double cornersV[2] = {v0, v1};
        for (double u : cornersU) {
            for (double v : cornersV) {
                radius = std::fmax(radius, AngleBetween(centre, FacePoint(face, u, v)));
            }
        }
        double angles[kMd2NormalCount];
        double nearest = 4;
        for (int i = 0; i < kMd2NormalCount; ++i) {
            angles[i] = AngleBetween(centre, entries[i]);
            nearest = std::fmin(nearest, angles[i]);
        }
        for (int i = 0; i < kMd2NormalCount; ++i) {
            if (angles[i] <= nearest + 2 * radius + kCandidateSlack) {
                if (used == kGridPoolCapacity) {
                    grid->usable = false;
                    return;
                }
                grid->pool[used++] = static_cast<std::uint8_t>(i);
            }
        }
    }
    grid->first[kGridCells] = static_cast<std::uint16_t>(used);
}

const NormalGrid& TheNormalGrid() {
    static const NormalGrid grid = [] {
        NormalGrid built{};
        BuildNormalGrid(&built);
        return built;
    }();
    return grid;
}

// The grid cell of a finite, non-zero normal.
int GridCell(const Vector3& n) {
    const float a[3] = {std::fabs(n.x), std::fabs(n.y), std::fabs(n.z)};
    const float c[3] = {n.x, n.y, n.z};
    int axis = 0;
    if (a[1] > a[axis]) axis = 1;
    if (a[2] > a[axis]) axis = 2;
    const int face = 2 * axis + (c[axis] < 0 ? 1 : 0);
    // Both lie in -1 to 1 up to rounding, which the widened cells absorb:
    // the dominant magnitude is the largest.
    const float inverse = 1.0f / a[axis];
    const float u = c[(axis + 1) % 3] * inverse;
    const float v = c[(axis + 2) % 3] * inverse;
    auto index = [](float t) {
        int i = TruncateToInt32((t + 1.0f) * (0.5f * kGridSide));
        return i < 0 ? 0 : (i >= kGridSide ? kGridSide - 1 : i);
    };
    return (face * kGridSide + index(v)) * kGridSide + index(u);
}

}  // namespace

int NormalIndex(const Vector3& normal) {
    if (!std::isfinite(normal.x) || !std::isfinite(normal.y) || !std::isfinite(normal.z)) {
        return NormalIndexByScan(normal);
    }
    if (normal.x == 0 && normal.y == 0 && normal.z == 0) {
        // Every dot product is 0, an angle of pi / 2, and no entry is near zero length.
        return 0;
    }
    const NormalGrid& grid = TheNormalGrid();
    if (!grid.usable) {
        return NormalIndexByScan(normal);
    }
    const int cell = GridCell(normal);
    int best = grid.pool[grid.first[cell]];
    float bestDot = NormalDot(normal, kMd2Normals[best]);
    for (int k = grid.first[cell] + 1; k < grid.first[cell + 1]; ++k) {
        const int i = grid.pool[k];
        const float dot = NormalDot(normal, kMd2Normals[i]);
        if (dot > bestDot) {
            best = i;
            bestDot = dot;
        }
    }
    if (Qualifies(normal, best, bestDot)) {
        return best;
    }
    return NormalIndexByScan(normal);
}
