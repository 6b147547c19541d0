#include "anim/key_sampling.h"

#include "anim/pose_state.h"
#include "anim/pose_math.h"

namespace {

constexpr Vector3 kNoTranslation = {0, 0, 0};
constexpr Vector3 kUnitScale = {1, 1, 1};

const HostBoneTrack* TrackOf(const PoseState& pose, const HostAnimation* animation, int bone) {
    if (pose.bonePoses.count == 0 || animation == nullptr || animation->tracks == nullptr || bone < 0 ||
        bone >= animation->trackCount) {
        return nullptr;
    }
    return &animation->tracks[bone];
}

// The keys around t: prev and next (equal when t is at or outside the ends
// of the channel, or the channel has one key) and the blend factor between
// them. False when the channel has no keys.
struct KeySpan {
    int prev;
    int next;
    float f;
};

template <typename Key>
bool FindSpan(const Key* keys, int count, float t, KeySpan* span) {
    if (keys == nullptr || count <= 0) {
        return false;
    }
    // The first key whose time is not less than t; count when there is none.
    // A time that is not a number stops the search at the first key.
    int i = 0;
    while (i < count && keys[i].time < t) {
        ++i;
    }
    span->prev = i > 0 ? i - 1 : 0;
    span->next = i < count ? i : count - 1;
    span->f = 0;
    if (span->prev != span->next) {
        float length = keys[span->next].time - keys[span->prev].time;
        if (length == 0) {
            length = 1;
        }
        float f = (t - keys[span->prev].time) / length;
        if (f < 0) f = 0;
        if (f > 1) f = 1;
        span->f = f;
    }
    return true;
}

Vector3 KeyVector(const HostVectorKey& key) { return {key.x, key.y, key.z}; }

Vector3 SampleVector(const HostVectorKey* keys, int count, float t, const Vector3& fallback) {
    KeySpan span;
    if (!FindSpan(keys, count, t, &span)) {
        return fallback;
    }
    if (span.prev == span.next) {
        return KeyVector(keys[span.prev]);
    }
    Vector3 value;
    LerpVector(KeyVector(keys[span.prev]), KeyVector(keys[span.next]), span.f, &value);
    return value;
}

}  // namespace

Vector3 SamplePosition(const PoseState& pose, const HostAnimation* animation, float t, int bone) {
    const HostBoneTrack* track = TrackOf(pose, animation, bone);
    if (track == nullptr) {
        return kNoTranslation;
    }
    return SampleVector(track->positionKeys, track->positionKeyCount, t, kNoTranslation);
}

Vector3 SampleScale(const PoseState& pose, const HostAnimation* animation, float t, int bone) {
    const HostBoneTrack* track = TrackOf(pose, animation, bone);
    if (track == nullptr) {
        return kUnitScale;
    }
    return SampleVector(track->scaleKeys, track->scaleKeyCount, t, kUnitScale);
}

Quaternion SampleRotation(const PoseState& pose, const HostAnimation* animation, float t, int bone) {
    const HostBoneTrack* track = TrackOf(pose, animation, bone);
    KeySpan span;
    if (track == nullptr || !FindSpan(track->rotationKeys, track->rotationKeyCount, t, &span)) {
        return kIdentityQuaternion;
    }
    const HostRotationKey& prev = track->rotationKeys[span.prev];
    const HostRotationKey& next = track->rotationKeys[span.next];
    if (span.prev == span.next) {
        return {prev.x, prev.y, prev.z, prev.w};
    }
    Quaternion value;
    SlerpQuaternion({prev.x, prev.y, prev.z, prev.w}, {next.x, next.y, next.z, next.w}, span.f, &value);
    return value;
}
