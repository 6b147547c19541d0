#include "anim/pose_normals.h"

#include "anim/normal_block.h"
#include "anim/pose_arrays.h"
#include "anim/pose_state.h"

namespace {

bool MeshesReady(const HostScene* scene, const PosedVertexArray& posed) {
    return scene != nullptr && scene->meshes.items != nullptr && posed.count > 0;
}

// P1 - P0 and Plast - P0 of a usable face, into lane k.
void FaceEdges(const PosedVertexArray& posed, const HostFace& face, EdgeBlock* edges, int k) {
    const Vector3& p0 = posed.items[face.vertexIndices[0]].position;
    const Vector3& p1 = posed.items[face.vertexIndices[1]].position;
    const Vector3& pLast = posed.items[face.vertexIndices[face.cornerCount - 1]].position;
    SetFaceEdges(p0, p1, pLast, edges, k);
}

}  // namespace

bool PosedFaceUsable(const HostFace& face, int posedCount) {
    if (face.cornerCount < 3 || face.vertexIndices == nullptr) {
        return false;
    }
    for (int c = 0; c < face.cornerCount; ++c) {
        const int index = face.vertexIndices[c];
        if (index < 0 || index >= posedCount) {
            return false;
        }
    }
    return true;
}

bool ComputeFaceNormals(PoseState* pose, HostScene* scene) {
    const PosedVertexArray& posed = pose->posedVertices;
    if (!MeshesReady(scene, posed)) {
        return false;
    }
    EdgeBlock edges;
    NormalBlock block;
    for (int m = 0; m < scene->meshes.count; ++m) {
        HostMesh& mesh = scene->meshes.items[m];
        const int faceCount = mesh.faces != nullptr ? mesh.faceCount : 0;
        for (int first = 0; first < faceCount; first += kNormalBlock) {
            const int size = faceCount - first < kNormalBlock ? faceCount - first : kNormalBlock;
            // An unusable face has zero edges and so the zero normal.
            edges = EdgeBlock{};
            for (int k = 0; k < size; ++k) {
                const HostFace& face = mesh.faces[first + k];
                if (PosedFaceUsable(face, posed.count)) {
                    FaceEdges(posed, face, &edges, k);
                }
            }
            FaceNormalBlock(edges, &block);
            for (int k = 0; k < size; ++k) {
                HostFace& face = mesh.faces[first + k];
                face.normal[0] = block.x[k];
                face.normal[1] = block.y[k];
                face.normal[2] = block.z[k];
            }
        }
    }
    return true;
}

namespace {

// Every posed normal multiplied by the reciprocal of its length, where that
// length is greater than 0.
void NormalisePosedNormals(PosedVertexArray& posed, NormalBlock* block) {
    for (int first = 0; first < posed.count; first += kNormalBlock) {
        const int size = posed.count - first < kNormalBlock ? posed.count - first : kNormalBlock;
        *block = NormalBlock{};
        for (int k = 0; k < size; ++k) {
            const Vector3& normal = posed.items[first + k].normal;
            block->x[k] = normal.x;
            block->y[k] = normal.y;
            block->z[k] = normal.z;
        }
        NormaliseBlock(block);
        for (int k = 0; k < size; ++k) {
            posed.items[first + k].normal = {block->x[k], block->y[k], block->z[k]};
        }
    }
}

}  // namespace

bool ComputeVertexNormals(PoseState* pose, const HostScene* scene) {
    PosedVertexArray& posed = pose->posedVertices;
    if (!MeshesReady(scene, posed)) {
        return false;
    }
    for (int v = 0; v < posed.count; ++v) {
        posed.items[v].normal = {0, 0, 0};
    }
    for (int m = 0; m < scene->meshes.count; ++m) {
        const HostMesh& mesh = scene->meshes.items[m];
        for (int f = 0; mesh.faces != nullptr && f < mesh.faceCount; ++f) {
            const HostFace& face = mesh.faces[f];
            if (!PosedFaceUsable(face, posed.count)) {
                continue;
            }
            for (int c = 0; c < face.cornerCount; ++c) {
                Vector3& normal = posed.items[face.vertexIndices[c]].normal;
                normal.x += face.normal[0];
                normal.y += face.normal[1];
                normal.z += face.normal[2];
            }
        }
    }
    NormalBlock block;
    NormalisePosedNormals(posed, &block);
    return true;
}
