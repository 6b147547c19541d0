// The faces and corners of the scene's meshes laid out once per export in
// plain arrays: every evaluated frame then computes its face and vertex
// normals from them, without walking the host's face records for indices and
// without adding into the vertex normals one corner at a time.
#pragma once

#include <cstdint>

#include "geom/float4.h"
#include "host_api/host_records.h"
#include "util/owned_array.h"

struct MeshTopology {
    const HostScene* scene;                // the scene it was built for
    int vertexCount;                       // posed vertices when it was built
    int faceCount;                         // faces of all meshes, mesh by mesh in order
    OwnedArray<HostFace*> faces;           // each face's record, where its normal is stored
    OwnedArray<std::int32_t> corners;      // per face: first, second and last corner; -1 for a face
                                           // without a normal
    OwnedArray<Float4> faceNormals;        // per face x, y, z and 0: the normal of the last evaluation;
                                           // one more, always zero, that padded group entries name
    bool faceNormalsPending;               // faceNormals not yet copied into the scene's faces
    OwnedArray<std::int32_t> groupStart;   // per group of kVertexGroup vertices, its first entry in groupFaces
    OwnedArray<std::int32_t> groupDepth;   // per group, the most corners any of its vertices has
    OwnedArray<std::int32_t> groupFaces;   // per group, depth rows of kVertexGroup faces: row d holds the
                                           // face of each vertex's corner d (face then corner order), or
                                           // faceCount past its last corner
};

// Vertices whose normals are summed side by side: the sums of a group are
// independent additions, so they overlap instead of waiting for each other.
constexpr int kVertexGroup = 8;

struct PoseState;

// Lays out the scene's meshes into the pose's mesh topology for its posed
// vertices. False, with the layout absent, when the scene, its meshes or the
// posed vertices are absent, a count does not fit, or memory could not be
// had. The scene's faces must not change until the layout is released;
// allocating or freeing the posed vertices releases it.
bool BuildMeshTopology(PoseState* pose, const HostScene* scene);

// Copies the face normals of the last evaluation from the layout into the
// scene's faces (the scene must still exist); nothing when they are already
// there or the layout is absent. The layout keeps them between evaluations:
// nothing reads them from the 88-byte face records until the posing ends.
void StoreFaceNormals(PoseState* pose);

// Releases the layout without touching the scene; harmless when it is absent.
void FreeMeshTopology(PoseState* pose);

// The face normals (kept in the layout until StoreFaceNormals) and the vertex
// normals into the posed vertices, exactly as ComputeFaceNormals then
// ComputeVertexNormals compute them. False, with nothing changed, when there
// is no layout for this scene and the current posed vertices.
bool ComputeNormalsFromTopology(PoseState* pose, const HostScene* scene);
