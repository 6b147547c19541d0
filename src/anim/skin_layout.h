// The scene's skin weights laid out once per export. Skinning carries each
// rest position by its bone's inverse rest transform, then by the bone's
// current transform; the first of the two depends only on the rest pose, so
// the layout keeps its result and every evaluated frame does only the second.
#pragma once

#include <cstdint>

#include "geom/float4.h"
#include "geom/vector3.h"
#include "host_api/host_records.h"
#include "util/owned_array.h"

struct SkinLayout {
    const HostScene* scene;     // the scene it was built for
    int vertexCount;            // posed vertices (and the scene's vertices) when built
    int boneCount;              // bone poses when built
    bool restPointsReady;       // restPoints hold the current rest pose's results
    OwnedArray<Vector3> restPositions;     // per vertex: the host position, for a vertex no bone moves
    OwnedArray<std::int32_t> weightStart;  // vertexCount + 1 offsets into the per-weight arrays
    OwnedArray<std::int32_t> bones;        // per weight that names a bone pose
    OwnedArray<float> weights;             // per weight, as stored
    OwnedArray<Vector3> restPoints;        // per weight: the rest position by the bone's inverse rest transform
    OwnedArray<Float4> boneColumns;        // per bone, 4 columns of its current transform's upper three rows
};

struct PoseState;

// Lays out the scene's weights into the pose's skin layout for its bone
// poses and posed vertices. False, with the layout absent, when the scene, its vertices, the
// bone poses or the posed vertices are absent, the counts disagree or do not
// fit, or memory could not be had. The scene's vertices must not change until
// the layout is released; allocating or freeing either pose array releases it.
bool BuildSkinLayout(PoseState* pose, const HostScene* scene);

// Releases the layout; harmless when it is absent.
void FreeSkinLayout(PoseState* pose);

// The rest pose was (re)computed: the kept rest points are taken again at
// the next skinning.
void InvalidateSkinRestPoints(PoseState* pose);

// The posed position of every vertex, exactly as skinning weight by weight
// from the host records gives it. False, with nothing changed, when there is
// no layout for this scene and the current pose arrays.
bool SkinFromLayout(PoseState* pose, const HostScene* scene);
