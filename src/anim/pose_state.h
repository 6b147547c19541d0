// Everything pose evaluation works with for one scene: the bone poses, the
// posed vertices, and the skin and mesh layouts taken from the scene once
// and used for every frame. One value, owned by whoever poses the scene and
// handed to every step.
#pragma once

#include "anim/mesh_topology.h"
#include "anim/pose_arrays.h"
#include "anim/skin_layout.h"
#include "host_api/host_records.h"

struct PoseState {
    BonePoseArray bonePoses;
    PosedVertexArray posedVertices;
    SkinLayout skinLayout;
    MeshTopology meshTopology;
};

// Everything EvaluatePose needs, in order: the bone poses (none for a scene
// without bones), the posed vertices, the bind pose, then the skin and mesh
// layouts. False when the scene has no vertices or memory for the posed
// vertices could not be had (the rest is still set up, and evaluation
// changes nothing); a layout that cannot be built leaves the evaluation on
// the host records, with the same results. The scene's
// vertices, faces and bones must not change until the pose is released.
bool StartPose(PoseState* pose, const HostScene* scene);

// Releases everything StartPose took. Writes nothing into the scene: the face
// normals of the last evaluation reach the scene's faces through
// StoreFaceNormals (anim/mesh_topology.h).
void ReleasePose(PoseState* pose);
