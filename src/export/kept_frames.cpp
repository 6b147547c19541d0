#include "export/kept_frames.h"

#include <new>

#include "export/export_state.h"
#include "export/frame_encoding.h"
#include "md2/normal_index.h"

bool StartKeptFrames(ExportState* state) {
    KeptFrames& kept = state->keptFrames;
    ReleaseKeptFrames(&kept);
    const std::int64_t frames = ExportFrameTotal(state->scene);
    const std::int64_t vertices = state->pose.posedVertices.count;
    // Both are at most 2^31 - 1 once checked, so their product fits.
    if (frames <= 0 || frames > INT32_MAX || vertices <= 0 ||
        frames * vertices > kKeptFramesBudget / std::int64_t{sizeof(Vector3) + 1}) {
        return false;
    }
    const std::int64_t entries = frames * vertices;
    // Not zero-filled: every frame is written whole before it is read, and
    // the set is used only when every frame was kept.
    kept.positions = new (std::nothrow) Vector3[static_cast<std::size_t>(entries)];
    kept.normals = new (std::nothrow) std::uint8_t[static_cast<std::size_t>(entries)];
    if (kept.positions == nullptr || kept.normals == nullptr) {
        ReleaseKeptFrames(&kept);
        return false;
    }
    kept.scene = state->scene;
    kept.frames = static_cast<int>(frames);
    kept.vertices = static_cast<int>(vertices);
    return true;
}

bool KeepPosedFrame(KeptFrames* kept, int frame, const PosedVertexArray& posed) {
    if (kept->positions == nullptr || frame < 0 || frame >= kept->frames || posed.count != kept->vertices ||
        posed.items == nullptr) {
        return false;
    }
    const std::size_t first = static_cast<std::size_t>(frame) * static_cast<std::size_t>(kept->vertices);
    for (int v = 0; v < kept->vertices; ++v) {
        kept->positions[first + v] = posed.items[v].position;
    }
    NormalIndices(&posed.items[0].normal, sizeof(PosedVertex), kept->vertices, kept->normals + first);
    return true;
}

void CompleteKeptFrames(KeptFrames* kept) { kept->complete = kept->positions != nullptr; }

const KeptFrames* KeptFramesFor(const ExportState& state) {
    const KeptFrames& kept = state.keptFrames;
    if (!kept.complete || kept.scene != state.scene || state.pose.posedVertices.count != kept.vertices ||
        ExportFrameTotal(state.scene) != kept.frames) {
        return nullptr;
    }
    return &kept;
}

void ReleaseKeptFrames(KeptFrames* kept) {
    delete[] kept->positions;
    delete[] kept->normals;
    *kept = KeptFrames{};
}
