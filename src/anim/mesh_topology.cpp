#include "anim/mesh_topology.h"

#include "anim/normal_block.h"
#include "anim/pose_state.h"
#include "anim/pose_normals.h"

namespace {

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

int GroupCount(int vertices) { return (vertices + kVertexGroup - 1) / kVertexGroup; }

// The faces in order and their three corners; answers per vertex the corners
// at it (`cornersAt`, vertexCount entries, zero on entry).
void FillFaces(MeshTopology& t, const HostScene* scene, std::int32_t* cornersAt) {
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
                ++cornersAt[record.vertexIndices[c]];
            }
        }
    }
}

// Each group's depth and first entry; false when the padded rows do not fit
// int32 offsets.
bool LayOutGroups(MeshTopology& t, const std::int32_t* cornersAt, std::int64_t* entries) {
    std::int64_t next = 0;
    for (int g = 0; g < GroupCount(t.vertexCount); ++g) {
        std::int32_t depth = 0;
        for (int v = g * kVertexGroup; v < t.vertexCount && v < (g + 1) * kVertexGroup; ++v) {
            depth = cornersAt[v] > depth ? cornersAt[v] : depth;
        }
        t.groupStart[g] = static_cast<std::int32_t>(next);
        t.groupDepth[g] = depth;
        next += std::int64_t{depth} * kVertexGroup;
        if (next > INT32_MAX) {
            return false;
        }
    }
    *entries = next;
    return true;
}

// Every vertex's faces in face then corner order down its lane of the
// group's rows; the rest of each lane names the zero normal past the faces.
bool FillGroups(MeshTopology& t, std::int32_t* cornersAt) {
    std::int64_t entries = 0;
    if (!LayOutGroups(t, cornersAt, &entries)) {
        return false;
    }
    t.groupFaces = NewOwnedArray<std::int32_t>(entries);
    if (t.groupFaces == nullptr) {
        return false;
    }
    for (std::int64_t i = 0; i < entries; ++i) {
        t.groupFaces[i] = t.faceCount;
    }
    for (int v = 0; v < t.vertexCount; ++v) {
        cornersAt[v] = 0;
    }
    for (int face = 0; face < t.faceCount; ++face) {
        const HostFace& record = *t.faces[face];
        if (t.corners[3 * face] < 0) {
            continue;
        }
        for (int c = 0; c < record.cornerCount; ++c) {
            const int v = record.vertexIndices[c];
            const std::int64_t row = cornersAt[v]++;
            t.groupFaces[t.groupStart[v / kVertexGroup] + row * kVertexGroup + v % kVertexGroup] = face;
        }
    }
    return true;
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
    t.faces = NewOwnedArray<HostFace*>(faces);
    t.corners = NewOwnedArray<std::int32_t>(3 * faces);
    t.faceNormals = NewOwnedArray<Float4>(faces + 1);
    t.groupStart = NewOwnedArray<std::int32_t>(GroupCount(t.vertexCount));
    t.groupDepth = NewOwnedArray<std::int32_t>(GroupCount(t.vertexCount));
    const OwnedArray<std::int32_t> cornersAt = NewOwnedArray<std::int32_t>(t.vertexCount);
    const bool built = t.faces != nullptr && t.corners != nullptr && t.faceNormals != nullptr &&
                       t.groupStart != nullptr && t.groupDepth != nullptr && cornersAt != nullptr &&
                       (FillFaces(t, scene, cornersAt.get()), FillGroups(t, cornersAt.get()));
    if (!built) {
        FreeMeshTopology(pose);
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

void FreeMeshTopology(PoseState* pose) { pose->meshTopology = MeshTopology{}; }

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
            const std::int32_t* corner = k < size ? t.corners.get() + 3 * (first + k) : nullptr;
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
// zero, as adding them face by face into the vertex does; the vertices of a
// group side by side. A padded entry adds the zero normal, which changes no
// sum: a sum that starts at +0 is never -0, and s + 0 is s for any other s.
void VertexNormalsFromTopology(PoseState* pose, NormalBlock* block) {
    const MeshTopology& t = pose->meshTopology;
    static_assert(kNormalBlock % kVertexGroup == 0, "groups do not straddle blocks");
    for (int first = 0; first < t.vertexCount; first += kNormalBlock) {
        const int size = t.vertexCount - first < kNormalBlock ? t.vertexCount - first : kNormalBlock;
        *block = NormalBlock{};
        for (int k = 0; k < size; k += kVertexGroup) {
            const int g = (first + k) / kVertexGroup;
            const std::int32_t* row = t.groupFaces.get() + t.groupStart[g];
            Float4 sums[kVertexGroup];
            for (Float4& sum : sums) {
                sum = Splat4(0);
            }
            for (int d = 0; d < t.groupDepth[g]; ++d, row += kVertexGroup) {
                for (int lane = 0; lane < kVertexGroup; ++lane) {
                    sums[lane] += t.faceNormals[row[lane]];
                }
            }
            for (int lane = 0; lane < kVertexGroup && k + lane < size; ++lane) {
                block->x[k + lane] = sums[lane][0];
                block->y[k + lane] = sums[lane][1];
                block->z[k + lane] = sums[lane][2];
            }
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
