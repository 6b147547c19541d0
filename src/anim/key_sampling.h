// The value of one key channel of one bone's track at a time: found by a
// linear search from the channel's first key, then interpolated between the
// two keys around the time (clamped to the first and last key).
#pragma once

#include "geom/quaternion.h"
#include "geom/vector3.h"
#include "host_api/host_records.h"

struct PoseState;

// Each answers its channel's default - position (0, 0, 0), rotation
// (0, 0, 0, 1), scale (1, 1, 1) - when the pose has no bone poses, the
// animation or its tracks are absent, the bone has no track, or the channel
// has no keys (a negative key count or a missing key list counts as none).
Vector3 SamplePosition(const PoseState& pose, const HostAnimation* animation, float t, int bone);
Quaternion SampleRotation(const PoseState& pose, const HostAnimation* animation, float t, int bone);
Vector3 SampleScale(const PoseState& pose, const HostAnimation* animation, float t, int bone);
