#include "anim/skin_layout.h"

#include "anim/pose_state.h"
#include "geom/matrix4.h"

namespace {

// A weight takes part when its bone index names a bone pose.
bool WeightUsed(const HostSkinWeight& weight, int boneCount) {
    return weight.boneIndex >= 0 && weight.boneIndex < boneCount;
}

int VertexWeightCount(const HostVertex& vertex) {
    return vertex.weights != nullptr && vertex.weightCount > 0 ? vertex.weightCount : 0;
}

// The weights that take part, vertex by vertex in order; false when there
// are more than int32 offsets reach.
bool CountWeights(const HostScene* scene, int boneCount, std::int64_t* used) {
    *used = 0;
    for (int v = 0; v < scene->vertices.count; ++v) {
        const HostVertex& vertex = scene->vertices.items[v];
        for (int w = 0; w < VertexWeightCount(vertex); ++w) {
            *used += WeightUsed(vertex.weights[w], boneCount) ? 1 : 0;
        }
        if (*used > INT32_MAX) {
            return false;
        }
    }
    return true;
}

void FillLayout(const HostScene* scene, SkinLayout& s) {
    int next = 0;
    for (int v = 0; v < s.vertexCount; ++v) {
        const HostVertex& vertex = scene->vertices.items[v];
        s.restPositions[v] = {vertex.position[0], vertex.position[1], vertex.position[2]};
        s.weightStart[v] = next;
        for (int w = 0; w < VertexWeightCount(vertex); ++w) {
            if (WeightUsed(vertex.weights[w], s.boneCount)) {
                s.bones[next] = vertex.weights[w].boneIndex;
                s.weights[next] = vertex.weights[w].weight;
                ++next;
            }
        }
    }
    s.weightStart[s.vertexCount] = next;
}

void TakeRestPoints(PoseState* pose) {
    SkinLayout& s = pose->skinLayout;
    for (int v = 0; v < s.vertexCount; ++v) {
        for (int w = s.weightStart[v]; w < s.weightStart[v + 1]; ++w) {
            TransformPoint(s.restPositions[v], pose->bonePoses.items[s.bones[w]].inverseBindWorld,
                           &s.restPoints[w]);
        }
    }
    s.restPointsReady = true;
}

// The columns of every bone's current transform, (m0, m4, m8), (m1, m5, m9),
// (m2, m6, m10) and the translation (m3, m7, m11).
void TakeBoneColumns(PoseState* pose) {
    SkinLayout& s = pose->skinLayout;
    for (int b = 0; b < s.boneCount; ++b) {
        const float* m = pose->bonePoses.items[b].poseWorld.m;
        for (int c = 0; c < 4; ++c) {
            s.boneColumns[4 * b + c] = MakeFloat4(m[c], m[4 + c], m[8 + c]);
        }
    }
}

// The point by the bone's current transform: per lane
// m[0] x + m[1] y + m[2] z + m[3], summed left to right as TransformPoint does.
Float4 MovePoint(const Float4* columns, const Vector3& p) {
    return columns[0] * Splat4(p.x) + columns[1] * Splat4(p.y) + columns[2] * Splat4(p.z) + columns[3];
}

}  // namespace

bool BuildSkinLayout(PoseState* pose, const HostScene* scene) {
    FreeSkinLayout(pose);
    if (scene == nullptr || scene->vertices.items == nullptr || scene->vertices.count <= 0 ||
        pose->bonePoses.count <= 0 || pose->posedVertices.count != scene->vertices.count) {
        return false;
    }
    std::int64_t used = 0;
    if (!CountWeights(scene, pose->bonePoses.count, &used)) {
        return false;
    }
    SkinLayout& s = pose->skinLayout;
    s.vertexCount = scene->vertices.count;
    s.boneCount = pose->bonePoses.count;
    s.restPositions = NewOwnedArray<Vector3>(s.vertexCount);
    s.weightStart = NewOwnedArray<std::int32_t>(std::int64_t{s.vertexCount} + 1);
    s.bones = NewOwnedArray<std::int32_t>(used);
    s.weights = NewOwnedArray<float>(used);
    s.restPoints = NewOwnedArray<Vector3>(used);
    s.boneColumns = NewOwnedArray<Float4>(4 * std::int64_t{s.boneCount});
    if (s.restPositions == nullptr || s.weightStart == nullptr || s.bones == nullptr || s.weights == nullptr ||
        s.restPoints == nullptr || s.boneColumns == nullptr) {
        FreeSkinLayout(pose);
        return false;
    }
    FillLayout(scene, s);
    s.scene = scene;
    return true;
}

void FreeSkinLayout(PoseState* pose) { pose->skinLayout = SkinLayout{}; }

void InvalidateSkinRestPoints(PoseState* pose) { pose->skinLayout.restPointsReady = false; }

bool SkinFromLayout(PoseState* pose, const HostScene* scene) {
    const SkinLayout& s = pose->skinLayout;
    if (scene == nullptr || s.scene != scene || s.vertexCount != pose->posedVertices.count ||
        s.vertexCount != scene->vertices.count || s.boneCount != pose->bonePoses.count ||
        pose->bonePoses.items == nullptr) {
        return false;
    }
    if (!s.restPointsReady) {
        TakeRestPoints(pose);
    }
    TakeBoneColumns(pose);
    for (int v = 0; v < s.vertexCount; ++v) {
        const int first = s.weightStart[v];
        const int end = s.weightStart[v + 1];
        if (first == end) {
            pose->posedVertices.items[v].position = s.restPositions[v];
            continue;
        }
        // sum += weight x moved, lane by lane from zero.
        Float4 sum = Splat4(0);
        for (int w = first; w < end; ++w) {
            sum += MovePoint(s.boneColumns.get() + 4 * s.bones[w], s.restPoints[w]) * Splat4(s.weights[w]);
        }
        pose->posedVertices.items[v].position = {sum[0], sum[1], sum[2]};
    }
    return true;
}
