#include "anim/pose_normals.h"

#include <cmath>

#include "anim/pose_arrays.h"

namespace {

// True when every corner of the face names a posed vertex and there are at
// least three corners, so that the face has a normal to give.
bool FaceUsable(const HostFace& face) {
    if (face.cornerCount < 3 || face.vertexIndices == nullptr) {
        return false;
    }
    for (int c = 0; c < face.cornerCount; ++c) {
        const int index = face.vertexIndices[c];
        if (index < 0 || index >= posedVertices.count) {
            return false;
        }
    }
    return true;
}

void Normalise(float* x, float* y, float* z) {
    const float length = std::sqrt(*x * *x + *y * *y + *z * *z);
    if (length > 0) {
        const float reciprocal = 1 / length;
        *x *= reciprocal;
        *y *= reciprocal;
        *z *= reciprocal;
    }
}

bool MeshesReady(const HostScene* scene) {
    return scene != nullptr && scene->meshes.items != nullptr && posedVertices.count > 0;
}

}  // namespace

bool ComputeFaceNormals(HostScene* scene) {
    if (!MeshesReady(scene)) {
        return false;
    }
    for (int m = 0; m < scene->meshes.count; ++m) {
        HostMesh& mesh = scene->meshes.items[m];
        for (int f = 0; mesh.faces != nullptr && f < mesh.faceCount; ++f) {
            HostFace& face = mesh.faces[f];
            if (!FaceUsable(face)) {
                face.normal[0] = face.normal[1] = face.normal[2] = 0;
                continue;
            }
            const Vector3& p0 = posedVertices.items[face.vertexIndices[0]].position;
            const Vector3& p1 = posedVertices.items[face.vertexIndices[1]].position;
            const Vector3& pLast = posedVertices.items[face.vertexIndices[face.cornerCount - 1]].position;
            const Vector3 e1 = {p1.x - p0.x, p1.y - p0.y, p1.z - p0.z};
            const Vector3 e2 = {pLast.x - p0.x, pLast.y - p0.y, pLast.z - p0.z};
            Vector3 n;
            CrossProduct(e1, e2, &n);
            Normalise(&n.x, &n.y, &n.z);
            face.normal[0] = n.x;
            face.normal[1] = n.y;
            face.normal[2] = n.z;
        }
    }
    return true;
}

bool ComputeVertexNormals(const HostScene* scene) {
    if (!MeshesReady(scene)) {
        return false;
    }
    for (int v = 0; v < posedVertices.count; ++v) {
        posedVertices.items[v].normal = {0, 0, 0};
    }
    for (int m = 0; m < scene->meshes.count; ++m) {
        const HostMesh& mesh = scene->meshes.items[m];
        for (int f = 0; mesh.faces != nullptr && f < mesh.faceCount; ++f) {
            const HostFace& face = mesh.faces[f];
            if (!FaceUsable(face)) {
                continue;
            }
            for (int c = 0; c < face.cornerCount; ++c) {
                Vector3& normal = posedVertices.items[face.vertexIndices[c]].normal;
                normal.x += face.normal[0];
                normal.y += face.normal[1];
                normal.z += face.normal[2];
            }
        }
    }
    for (int v = 0; v < posedVertices.count; ++v) {
        Vector3& normal = posedVertices.items[v].normal;
        Normalise(&normal.x, &normal.y, &normal.z);
    }
    return true;
}
