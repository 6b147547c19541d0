// The faces and corners of the scene's meshes laid out once per export in
// plain arrays: every evaluated frame then computes its face and vertex
// normals from them, without walking the host's face records for indices and
// without adding into the vertex normals one corner at a time.
#pragma once

#include <cstdint>

#include "geom/float4.h"
#include "plugin/host_records.h"

struct MeshTopology {
    const HostScene* scene;       // the scene it was built for
    int vertexCount;              // posedVertices.count when it was built
    int faceCount;                // faces of all meshes, mesh by mesh in order
    HostFace** faces;             // each face's record, where its normal is stored
    std::int32_t* corners;        // per face: first, second and last corner; -1 for a face without a normal
    Float4* faceNormals;          // per face x, y, z and 0: the normal of the last evaluation
    bool faceNormalsPending;      // faceNormals not yet copied into the scene's faces
    std::int32_t* vertexStart;    // vertexCount + 1 offsets into vertexFaces
    std::int32_t* vertexFaces;    // per vertex, the face of each corner at it, in face then corner order
};

// Owned by this module; absent (all zeros) until built.
extern MeshTopology meshTopology;

// Lays out the scene's meshes for the current posedVertices. False, with the
// layout absent, when the scene, its meshes or the posed vertices are absent,
// a count does not fit, or memory could not be had. The scene's faces must
// not change until the layout is released; allocating or freeing the posed
// vertices releases it.
bool BuildMeshTopology(const HostScene* scene);

// Copies the face normals of the last evaluation into the scene's faces;
// nothing when they are already there or the layout is absent.
void FlushTopologyFaceNormals();

// Releases the layout, first copying the last face normals into the scene's
// faces (the scene must still exist); harmless when the layout is absent.
void FreeMeshTopology();

// The face normals and the vertex normals into posedVertices, exactly as
// ComputeFaceNormals then ComputeVertexNormals compute them, from the
// layout. The face normals are kept in the layout and copied into the
// scene's 88-byte face records only once, when the layout is flushed or
// released: writing them there every frame streamed 360 KB per frame through
// the cache for values nothing reads until the export ends. False, with
// nothing changed, when there is no layout for this scene and the current
// posed vertices.
bool ComputeNormalsFromTopology(HostScene* scene);
