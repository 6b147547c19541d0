// Rigged scenes built through the reference host: a small two-bone arm whose
// poses can be worked out by hand; the large generated rig comes from the
// host (host/large_rig.h).
#pragma once

#include "host/large_rig.h"
#include "host/ref_scene.h"

// The arm lies along +x in the z = 0 plane. The upper bone is a root whose
// rest transform is the translation (1, 0, 0) (the shoulder); the forearm is
// its child with the rest translation (2, 0, 0), so the elbow sits at
// (3, 0, 0). Rest rotations are the identity and rest scales 1.
enum ArmBone { kArmUpperBone = 0, kArmForeBone = 1 };

// Vertices, at rest:
//   kArmUpperVertex    (2, 0, 0)  upper bone 1.0
//   kArmBlendVertex    (4, 0, 0)  upper bone 0.5, forearm 0.5
//   kArmHandVertex     (5, 0, 0)  forearm 1.0
//   kArmHandSideVertex (5, 1, 0)  forearm 1.0
// Faces of group 0: (upper, blend, hand side) and (blend, hand, hand side),
// counter-clockwise seen from +z. Every host normal is (0, 0, 1).
enum ArmVertex { kArmUpperVertex = 0, kArmBlendVertex = 1, kArmHandVertex = 2, kArmHandSideVertex = 3 };

// Animations, each at 30 frames per time unit over the time range 0 to 1:
//   kArmBend  forearm rotation keys: identity at t = 0, a quarter turn about
//             +z, (0, 0, sqrt(1/2), sqrt(1/2)), at t = 0.5.
//   kArmLift  upper bone: one rotation key, the same quarter turn, at t = 0.
//   kArmReach forearm: position keys (0, 0, 0) at t = 0 and (1, 0, 0) at
//             t = 1; one rotation key, the quarter turn; one scale key
//             (2, 1, 1).
enum ArmAnimation { kArmBend = 0, kArmLift = 1, kArmReach = 2 };

inline constexpr float kQuarterTurnZ[4] = {0, 0, 0.70710677f, 0.70710677f};

RefScene* BuildArmRig();


