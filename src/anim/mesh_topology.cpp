#include "anim/mesh_topology.h"

#include <new>

#include "anim/normal_block.h"
#include "anim/pose_state.h"
#include "anim/pose_normals.h"

namespace {

template <typename T>
T* Take(std::int64_t count) {
    return new (std::nothrow) T[static_cast<std::size_t>(count > 0 ? count : 1)]();
}

int MeshFaceCount(const HostMesh& mesh) { return mesh.faces != nullptr && mesh.faceCount > 0 ? mesh.faceCount : 0; }

// Counts of faces and of corners of usable faces; false when either does not
// fit the int32 offsets.
bool CountFaces(const HostScene* scene, int posedCount, std::int64_t* faces, std::int64_t* corners) {
    *faces = 0;
    *corners = 0;
    for (int m = 0; m < scene->meshes.count; ++m) {
        const HostMesh& mesh = scene->meshes.items[m];
        for (int f = 0; f < MeshFaceCount(mesh); ++f) {
            *corners += PosedFaceUsable(mesh.faces[f], posedCount) ? mesh.faces[f].cornerCount : 0;
        }
        *faces += MeshFaceCount(mesh);
        if (*faces > INT32_MAX / 3 || *corners > INT32_MAX) {
            return false;
        }
    }
    return true;
}

// The faces in order, their three corners, and per vertex the faces of its
// corners: counted, turned into offsets, then filled in face order.
void FillTopology(PoseState* pose, const HostScene* scene) {
    MeshTopology& t = pose->meshTopology;
    int face = 0;
    for (int m = 0; m < scene->meshes.count; ++m) {
        HostMesh& mesh = scene->meshes.items[m];
        for (int f = 0; f < MeshFaceCount(mesh); ++f, ++face) {
            HostFace& record = mesh.faces[f];
            t.faces[face] = &record;
            const bool usable = PosedFaceUsable(record, t.vertexCount);
            t.corners[3 * face] = usable ? record.vertexIndices[0] : -1;
            t.corners[3 * face + 1] = usable ? record.vertexIndices[1] : -1;
            t.corners[3 * face + 2] = usable ? record.vertexIndices[record.cornerCount - 1] : -1;
            for (int c = 0; usable && c < record.cornerCount; ++c) {
                ++t.vertexStart[record.vertexIndices[c] + 1];
            }
        }
    }
    for (int v = 0; v < t.vertexCount; ++v) {
        t.vertexStart[v + 1] += t.vertexStart[v];
    }
    std::int32_t* next = Take<std::int32_t>(t.vertexCount);
    if (next == nullptr) {
        FreeMeshTopology(pose);
        return;
    }
    for (int v = 0; v < t.vertexCount; ++v) {
        next[v] = t.vertexStart[v];
    }
    for (face = 0; face < t.faceCount; ++face) {
        const HostFace& record = *t.faces[face];
        if (t.corners[3 * face] < 0) {
            continue;
        }
        for (int c = 0; c < record.cornerCount; ++c) {
            t.vertexFaces[next[record.vertexIndices[c]]++] = face;
        }
    }
    delete[] next;
}

}  // namespace

bool BuildMeshTopology(PoseState* pose, const HostScene* scene) {
    FreeMeshTopology(pose);
    if (scene == nullptr || scene->meshes.items == nullptr || scene->meshes.count <= 0 ||
        pose->posedVertices.count <= 0) {
        return false;
    }
    std::int64_t faces = 0;
    std::int64_t corners = 0;
    if (!CountFaces(scene, pose->posedVertices.count, &faces, &corners)) {
        return false;
    }
    MeshTopology& t = pose->meshTopology;
    t.vertexCount = pose->posedVertices.count;
    t.faceCount = static_cast<int>(faces);
    t.faces = Take<HostFace*>(faces);
    t.corners = Take<std::int32_t>(3 * faces);
    t.faceNormals = Take<Float4>(faces);
    t.vertexStart = Take<std::int32_t>(std::int64_t{t.vertexCount} + 1);
    t.vertexFaces = Take<std::int32_t>(corners);
    if (t.faces == nullptr || t.corners == nullptr || t.faceNormals == nullptr || t.vertexStart == nullptr ||
        t.vertexFaces == nullptr) {
        FreeMeshTopology(pose);
        return false;
    }
    FillTopology(pose, scene);
    if (t.faces == nullptr) {
        return false;
    }
    t.scene = scene;
    return true;
}

void StoreFaceNormals(PoseState* pose) {
    MeshTopology& t = pose->meshTopology;
    if (!t.faceNormalsPending) {
        return;
    }
    for (int f = 0; f < t.faceCount; ++f) {
        HostFace& record = *t.faces[f];
        record.normal[0] = t.faceNormals[f][0];
        record.normal[1] = t.faceNormals[f][1];
        record.normal[2] = t.faceNormals[f][2];
    }
    t.faceNormalsPending = false;
}

void FreeMeshTopology(PoseState* pose) {
    delete[] pose->meshTopology.faces;
    delete[] pose->meshTopology.corners;
    delete[] pose->meshTopology.faceNormals;
    delete[] pose->meshTopology.vertexStart;
    delete[] pose->meshTopology.vertexFaces;
    pose->meshTopology = MeshTopology{};
}

namespace {

void FaceNormalsFromTopology(PoseState* pose, EdgeBlock* edges, NormalBlock* block) {
    MeshTopology& t = pose->meshTopology;
    t.faceNormalsPending = true;
    const PosedVertex* posed = pose->posedVertices.items;
    for (int first = 0; first < t.faceCount; first += kNormalBlock) {
        const int size = t.faceCount - first < kNormalBlock ? t.faceCount - first : kNormalBlock;
        // Zero edges give the zero normal: for faces without a normal, and in
        // the lanes past the last face.
        const Vector3 zero = {0, 0, 0};
        for (int k = 0; k < kNormalBlock; ++k) {
            const std::int32_t* corner = k < size ? t.corners + 3 * (first + k) : nullptr;
            if (corner != nullptr && corner[0] >= 0) {
                SetFaceEdges(posed[corner[0]].position, posed[corner[1]].position, posed[corner[2]].position, edges,
                             k);
            } else {
                SetFaceEdges(zero, zero, zero, edges, k);
            }
        }
        FaceNormalBlock(*edges, block);
        for (int k = 0; k < size; ++k) {
            t.faceNormals[first + k] = MakeFloat4(block->x[k], block->y[k], block->z[k]);
        }
    }
}

// Each vertex sums the normals of its corners' faces in face order, from
// zero, as adding them face by face into the vertex does.
void VertexNormalsFromTopology(PoseState* pose, NormalBlock* block) {
    const MeshTopology& t = pose->meshTopology;
    for (int first = 0; first < t.vertexCount; first += kNormalBlock) {
        const int size = t.vertexCount - first < kNormalBlock ? t.vertexCount - first : kNormalBlock;
        *block = NormalBlock{};
        for (int k = 0; k < size; ++k) {
            const int v = first + k;
            Float4 sum = Splat4(0);
            for (int j = t.vertexStart[v]; j < t.vertexStart[v + 1]; ++j) {
                sum += t.faceNormals[t.vertexFaces[j]];
            }
            block->x[k] = sum[0];
            block->y[k] = sum[1];
            block->z[k] = sum[2];
        }
        NormaliseBlock(block);
        for (int k = 0; k < size; ++k) {
            pose->posedVertices.items[first + k].normal = {block->x[k], block->y[k], block->z[k]};
        }
    }
}

}  // namespace

bool ComputeNormalsFromTopology(PoseState* pose, const HostScene* scene) {
    const MeshTopology& t = pose->meshTopology;
    if (scene == nullptr || t.scene != scene || t.vertexCount != pose->posedVertices.count ||
        pose->posedVertices.items == nullptr) {
        return false;
    }
    EdgeBlock edges;
    NormalBlock block;
    FaceNormalsFromTopology(pose, &edges, &block);
    VertexNormalsFromTopology(pose, &block);
    return true;
}
