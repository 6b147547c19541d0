#include "host/assimp_builder.h"

#include <cmath>
#include <set>
#include <string>
#include <vector>

namespace assimp_rig {
namespace {

// Longest run of frames sampled from one animation.
constexpr int kMostSampledFrames = 1 << 16;

Vec SampleVector(const aiVectorKey* keys, unsigned count, double ticks, bool step, const Vec& fallback) {
    if (count == 0) {
        return fallback;
    }
    if (ticks <= keys[0].mTime) {
        const aiVector3D& v = keys[0].mValue;
        return Vec(v.x, v.y, v.z);
    }
    unsigned i = 0;
    while (i + 1 < count && keys[i + 1].mTime <= ticks) {
        ++i;
    }
    const aiVector3D& a = keys[i].mValue;
    if (i + 1 == count || step) {
        return Vec(a.x, a.y, a.z);
    }
    const aiVector3D& c = keys[i + 1].mValue;
    const double f = (ticks - keys[i].mTime) / (keys[i + 1].mTime - keys[i].mTime);
    return Vec(a.x + (c.x - a.x) * f, a.y + (c.y - a.y) * f, a.z + (c.z - a.z) * f);
}

// Unit length: files hold rotations rounded off the unit sphere, and the
// plug-in takes a rotation's matrix without normalising.
Quat ToDouble(const aiQuaternion& q) { return Quat(q.w, q.x, q.y, q.z).Normalize(); }

Quat SampleRotation(const aiQuatKey* keys, unsigned count, double ticks, bool step, const Quat& fallback) {
    if (count == 0) {
        return fallback;
    }
    if (ticks <= keys[0].mTime) {
        return ToDouble(keys[0].mValue);
    }
    unsigned i = 0;
    while (i + 1 < count && keys[i + 1].mTime <= ticks) {
        ++i;
    }
    if (i + 1 == count || step) {
        return ToDouble(keys[i].mValue);
    }
    const double f = (ticks - keys[i].mTime) / (keys[i + 1].mTime - keys[i].mTime);
    Quat out;
    Quat::Interpolate(out, ToDouble(keys[i].mValue), ToDouble(keys[i + 1].mValue), f);
    return out.Normalize();
}

HostVectorKey VectorKey(float time, const Vec& v) {
    return {time, static_cast<float>(v.x), static_cast<float>(v.y), static_cast<float>(v.z)};
}

HostRotationKey RotationKey(float time, const Quat& q) {
    return {time, static_cast<float>(q.x), static_cast<float>(q.y), static_cast<float>(q.z), static_cast<float>(q.w)};
}

// The keys that make the bone's host pose local to its host parent equal
// `local` (the product of its nodes' transforms below that parent) times the
// bone's correction, at `time`.
void AppendKeys(const Bone& bone, const Matrix& local, float time, SceneTrack* track) {
    const Trs keys = Decompose(Inverted(bone.bindLocal) * local * bone.correction);
    track->positions.push_back(VectorKey(time, keys.t));
    track->rotations.push_back(RotationKey(time, Quat(keys.r).Normalize()));
    track->scales.push_back(VectorKey(time, keys.s));
}

// The frame times at which the plug-in samples an animation, computed as it
// does in single precision.
std::vector<float> FrameTimes(float frameRate, float end) {
    const float fps = frameRate == 0 ? 30.0f : frameRate;
    const float product = std::ceil(end * fps);
    int count = product >= 1 && product < static_cast<float>(kMostSampledFrames) ? static_cast<int>(product) : 1;
    const float step = 1.0f / fps;
    std::vector<float> times;
    for (int i = 0; i < count; ++i) {
        times.push_back(static_cast<float>(i) * step);
    }
    return times;
}

using Channels = std::map<std::string, const aiNodeAnim*>;

struct AnimationContext {
    int index = 0;
    double ticksPerSecond = 1;
    Channels channels;
    std::vector<float> frameTimes;
};

const aiNodeAnim* ChannelOf(const AnimationContext& animation, const Node& node) {
    auto found = animation.channels.find(node.node->mName.C_Str());
    return found == animation.channels.end() ? nullptr : found->second;
}

// A node's transform relative to its parent at `ticks`, STEP channels held.
Matrix NodeLocalAt(const Builder& b, const Node& node, const AnimationContext& animation, double ticks) {
    const aiNodeAnim* channel = ChannelOf(animation, node);
    if (channel == nullptr) {
        return node.restLocal;
    }
    const Trs rest = Decompose(node.restLocal);
    const std::string name = node.node->mName.C_Str();
    auto step = [&](char kind) { return b.stepChannels.count({animation.index, name, kind}) != 0; };
    const double scale = b.options.scale;
    const Vec p = SampleVector(channel->mPositionKeys, channel->mNumPositionKeys, ticks, step('T'), rest.t / scale) * scale;
    const Quat q = SampleRotation(channel->mRotationKeys, channel->mNumRotationKeys, ticks, step('R'), rest.r);
    const Vec s = SampleVector(channel->mScalingKeys, channel->mNumScalingKeys, ticks, step('S'), rest.s);
    return Compose(s, q, p);
}

// The nodes from the bone's node up to, not including, its host parent's.
std::vector<const Node*> NodePath(const Builder& b, const Bone& bone) {
    std::vector<const Node*> path;
    for (int n = bone.node; n >= 0 && n != bone.parentNode; n = b.nodes[static_cast<std::size_t>(n)].parent) {
        path.push_back(&b.nodes[static_cast<std::size_t>(n)]);
    }
    return path;
}

// Keys carried over one by one. bindLocal = T(t0) R(q0) s0, so
// T(p) R(q) S(s) = bindLocal x T(q0⁻¹ (p - t0) / s0) R(q0⁻¹ q) S(s / s0): each
// channel on its own, and linear and spherical interpolation commute with it.
void CarryKeysOver(const Builder& b, const Bone& bone, const aiNodeAnim* channel, const AnimationContext& animation,
                   SceneTrack* track) {
    const Trs rest = Decompose(b.nodes[static_cast<std::size_t>(bone.node)].restLocal);
    const Quat undo = Quat(bone.rest.r).Conjugate();
    const double s0 = bone.rest.s.x;
    const double scale = b.options.scale;
    auto time = [&](double ticks) { return static_cast<float>(ticks / animation.ticksPerSecond); };
    auto position = [&](float t, const Vec& p) {
        track->positions.push_back(VectorKey(t, undo.Rotate(p - bone.rest.t) / s0));
    };
    auto rotation = [&](float t, const Quat& q) { track->rotations.push_back(RotationKey(t, (undo * q).Normalize())); };
    auto scaling = [&](float t, const Vec& s) { track->scales.push_back(VectorKey(t, s / s0)); };
    for (unsigned k = 0; k < channel->mNumPositionKeys; ++k) {
        const aiVectorKey& key = channel->mPositionKeys[k];
        position(time(key.mTime), Vec(key.mValue.x, key.mValue.y, key.mValue.z) * scale);
    }
    for (unsigned k = 0; k < channel->mNumRotationKeys; ++k) {
        rotation(time(channel->mRotationKeys[k].mTime), ToDouble(channel->mRotationKeys[k].mValue));
    }
    for (unsigned k = 0; k < channel->mNumScalingKeys; ++k) {
        const aiVectorKey& key = channel->mScalingKeys[k];
        scaling(time(key.mTime), Vec(key.mValue.x, key.mValue.y, key.mValue.z));
    }
    if (channel->mNumPositionKeys == 0) {
        position(0, rest.t);
    }
    if (channel->mNumRotationKeys == 0) {
        rotation(0, rest.r);
    }
    if (channel->mNumScalingKeys == 0) {
        scaling(0, rest.s);
    }
}

SceneTrack BoneTrack(const Builder& b, const Bone& bone, const AnimationContext& animation) {
    SceneTrack track;
    track.bone = static_cast<int>(&bone - b.bones.data());
    const std::vector<const Node*> path = NodePath(b, bone);
    bool animated = false;
    bool stepped = false;
    for (const Node* node : path) {
        animated = animated || ChannelOf(animation, *node) != nullptr;
        for (char kind : {'T', 'R', 'S'}) {
            stepped = stepped || b.stepChannels.count({animation.index, node->node->mName.C_Str(), kind}) != 0;
        }
    }
    auto localAt = [&](double ticks) {
        Matrix local;
        for (auto node = path.rbegin(); node != path.rend(); ++node) {
            local = local * NodeLocalAt(b, **node, animation, ticks);
        }
        return local;
    };
    if (!animated) {
        const Matrix local = localAt(0);
        if (!Near(Inverted(bone.bindLocal) * local * bone.correction, Matrix(), 1e-9 * (1 + Largest(local)))) {
            AppendKeys(bone, local, 0, &track);
        }
    } else if (bone.keysCarryOver && path.size() == 1 && !stepped) {
        CarryKeysOver(b, bone, ChannelOf(animation, *path[0]), animation, &track);
    } else {
        // Otherwise the transform is taken at every frame time.
        for (const float time : animation.frameTimes) {
            AppendKeys(bone, localAt(static_cast<double>(time) * animation.ticksPerSecond), time, &track);
        }
    }
    return track;
}

// Names for unnamed animations: anim, anim_b, ..., anim_z, anim_aa, ... Each
// ends in a letter, since frame names are split at their trailing digits
// ("anim0" + "10" would read as "anim" + "010").
std::string UnnamedAnimationName(std::size_t k) {
    if (k == 0) {
        return "anim";
    }
    std::string letters;
    for (std::size_t n = k + 1; n > 0; n = (n - 1) / 26) {  // bijective base 26: a = 1
        letters.insert(letters.begin(), static_cast<char>('a' + (n - 1) % 26));
    }
    return "anim_" + letters;
}

}  // namespace

bool AddAnimations(const Builder& b, SceneDesc* desc, std::string* why) {
    std::set<std::string> taken;  // unnamed ones must not meet a named one, before or after them
    for (unsigned a = 0; a < b.scene->mNumAnimations; ++a) {
        taken.insert(b.scene->mAnimations[a]->mName.C_Str());
    }
    std::size_t unnamed = 0;
    for (unsigned a = 0; a < b.scene->mNumAnimations; ++a) {
        const aiAnimation* source = b.scene->mAnimations[a];
        SceneAnimation animation;
        animation.name = source->mName.C_Str();
        if (animation.name.empty()) {
            do {
                animation.name = UnnamedAnimationName(unnamed++);
            } while (!taken.insert(animation.name).second);
        }
        AnimationContext context;
        context.index = static_cast<int>(a);
        context.ticksPerSecond = source->mTicksPerSecond > 0 ? source->mTicksPerSecond : kDefaultTicksPerSecond;
        animation.frameRate = b.options.fps;
        animation.end = static_cast<float>(source->mDuration / context.ticksPerSecond);
        if (!(animation.end >= 0) || animation.end * b.options.fps >= static_cast<float>(kMostSampledFrames)) {
            *why = "animation \"" + animation.name + "\" is longer than " + std::to_string(kMostSampledFrames) +
                   " frames";
            return false;
        }
        ApplyFrameCount(b.options.frameCounts, &animation);
        context.frameTimes = FrameTimes(animation.frameRate, animation.end);
        for (unsigned c = 0; c < source->mNumChannels; ++c) {
            context.channels.emplace(source->mChannels[c]->mNodeName.C_Str(), source->mChannels[c]);
        }
        for (const Bone& bone : b.bones) {
            if (bone.node < 0) {
                continue;
            }
            SceneTrack track = BoneTrack(b, bone, context);
            if (!track.positions.empty() || !track.rotations.empty() || !track.scales.empty()) {
                animation.tracks.push_back(std::move(track));
            }
        }
        desc->animations.push_back(std::move(animation));
    }
    return true;
}

}  // namespace assimp_rig
