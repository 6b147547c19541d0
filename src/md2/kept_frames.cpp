#include "md2/kept_frames.h"

#include <new>

#include "anim/pose_arrays.h"
#include "md2/frame_encoding.h"
#include "md2/normal_index.h"

namespace {

KeptFrames keptFrames{};

}  // namespace

bool StartKeptFrames(HostScene* scene) {
    const std::int64_t frames = ExportFrameTotal(scene);
    const std::int64_t vertices = posedVertices.count;
    // Both are at most 2^31 - 1 once checked, so their product fits.
    if (frames <= 0 || frames > INT32_MAX || vertices <= 0 ||
        frames * vertices > kKeptFramesBudget / std::int64_t{sizeof(Vector3) + 1}) {
        return false;
    }
    const std::int64_t entries = frames * vertices;
    // Not zero-filled: every frame is written whole before it is read, and
    // the set is used only when every frame was kept.
    keptFrames.positions = new (std::nothrow) Vector3[static_cast<std::size_t>(entries)];
    keptFrames.normals = new (std::nothrow) std::uint8_t[static_cast<std::size_t>(entries)];
    if (keptFrames.positions == nullptr || keptFrames.normals == nullptr) {
        ReleaseKeptFrames();
        return false;
    }
    keptFrames.scene = scene;
    keptFrames.frames = static_cast<int>(frames);
    keptFrames.vertices = static_cast<int>(vertices);
    return true;
}

void KeepFrame(int frame, void*) {
    if (keptFrames.positions == nullptr || frame != keptFrames.filled || frame >= keptFrames.frames ||
        posedVertices.count != keptFrames.vertices) {
        keptFrames.filled = -1;  // out of step: not used
        return;
    }
    const std::size_t first = static_cast<std::size_t>(frame) * static_cast<std::size_t>(keptFrames.vertices);
    for (int v = 0; v < keptFrames.vertices; ++v) {
        keptFrames.positions[first + v] = posedVertices.items[v].position;
    }
    NormalIndices(&posedVertices.items[0].normal, sizeof(PosedVertex), keptFrames.vertices,
                  keptFrames.normals + first);
    ++keptFrames.filled;
}

void FinishKeptFrames() {
    keptFrames.complete = keptFrames.filled == keptFrames.frames;
    if (!keptFrames.complete) {
        ReleaseKeptFrames();
    }
}

const KeptFrames* KeptFramesFor(HostScene* scene) {
    if (!keptFrames.complete || keptFrames.scene != scene || posedVertices.count != keptFrames.vertices ||
        ExportFrameTotal(scene) != keptFrames.frames) {
        return nullptr;
    }
    return &keptFrames;
}

void ReleaseKeptFrames() {
    delete[] keptFrames.positions;
    delete[] keptFrames.normals;
    keptFrames = KeptFrames{};
}
