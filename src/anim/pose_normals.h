// Normals of the posed mesh: one per face, written into the host scene's
// faces, and one per posed vertex, the normalised sum of the normals of the
// faces that use it (not weighted by area or angle).
#pragma once

#include "host_api/host_records.h"

struct PoseState;

// True when the face has at least three corners and an index list, and every
// corner names one of `posedCount` posed vertices: the faces the two
// operations below use.
bool PosedFaceUsable(const HostFace& face, int posedCount);

// For every face of every mesh: (P1 - P0) x (Plast - P0) over the posed
// positions, normalised when not zero. A face with fewer than three corners,
// no index list, or a corner outside the posed vertices gets the zero normal.
// False when the posed vertices or the scene's meshes are absent.
bool ComputeFaceNormals(PoseState* pose, HostScene* scene);

// Every posed normal := the normalised sum of the normals of the faces at its
// vertex; (0, 0, 0) for a vertex no usable face reaches. Faces that
// ComputeFaceNormals could not use add nothing. False when the posed
// vertices or the scene's meshes are absent.
bool ComputeVertexNormals(PoseState* pose, const HostScene* scene);
