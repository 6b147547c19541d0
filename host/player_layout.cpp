#include "host/player_layout.h"

#include <algorithm>

namespace {

std::string SourceOf(const PlayerOptions& options, const std::string& standard) {
    for (const auto& map : options.maps) {
        if (SameName(map.first, standard)) {
            return map.second;
        }
    }
    return standard;
}

const SceneAnimation* FindAnimation(const SceneDesc& desc, const std::string& name) {
    for (const SceneAnimation& animation : desc.animations) {
        if (SameName(animation.name, name)) {
            return &animation;
        }
    }
    return nullptr;
}

// A group is the weapon when its name is, or when every vertex of it hangs
// fully from one bone of that name (a mesh placed by a node named so).
bool IsWeaponGroup(const SceneDesc& desc, const SceneGroup& group, const std::string& weapon) {
    if (SameName(group.name, weapon)) {
        return true;
    }
    bool any = false;
    for (const SceneFace& face : group.faces) {
        for (int v : face.vertices) {
            const std::vector<HostSkinWeight>& weights = desc.vertices[static_cast<std::size_t>(v)].weights;
            const bool onBone = weights.size() == 1 && weights[0].weight == 1 && weights[0].boneIndex >= 0 &&
                                static_cast<std::size_t>(weights[0].boneIndex) < desc.bones.size() &&
                                SameName(desc.bones[static_cast<std::size_t>(weights[0].boneIndex)].name, weapon);
            if (!onBone) {
                return false;
            }
            any = true;
        }
    }
    return any;
}

// The standard animations in order, each from its source or at rest.
std::vector<SceneAnimation> StandardAnimations(const SceneDesc& source, const PlayerOptions& options,
                                               std::vector<std::string>* warnings) {
    std::vector<SceneAnimation> laid;
    std::vector<std::string> missing;
    for (const PlayerAnimation& standard : kPlayerAnimations) {
        const SceneAnimation* from = FindAnimation(source, SourceOf(options, standard.name));
        SceneAnimation animation;
        if (from != nullptr) {
            animation = *from;
        } else {
            missing.push_back(standard.name);
            animation.end = 0;  // no keys: the rest pose at every frame
        }
        animation.name = standard.name;
        ApplyFrameCount({{standard.name, standard.frames, standard.loop}}, &animation);
        laid.push_back(std::move(animation));
    }
    if (!missing.empty()) {
        std::string list;
        for (const std::string& name : missing) {
            list += (list.empty() ? "" : ", ") + name;
        }
        warnings->push_back("no source animation for " + list + ": the rest pose fills their frames");
    }
    std::string unused;
    for (const SceneAnimation& animation : source.animations) {
        const bool used = std::any_of(std::begin(kPlayerAnimations), std::end(kPlayerAnimations),
                                      [&](const PlayerAnimation& s) { return SameName(SourceOf(options, s.name), animation.name); });
        if (!used) {
            unused += (unused.empty() ? "" : ", ") + animation.name;
        }
    }
    if (!unused.empty()) {
        warnings->push_back("source animations matching no standard one, left out: " + unused);
    }
    return laid;
}

}  // namespace

std::string StandardAnimationName(const std::string& name) {
    for (const PlayerAnimation& standard : kPlayerAnimations) {
        if (SameName(standard.name, name)) {
            return standard.name;
        }
    }
    return std::string();
}

std::vector<FrameCount> PlayerFrameCounts(const PlayerOptions& options) {
    std::vector<FrameCount> counts;
    for (const PlayerAnimation& standard : kPlayerAnimations) {
        const std::string source = SourceOf(options, standard.name);
        if (FindFrameCount(counts, source) == nullptr) {
            counts.push_back({source, standard.frames, standard.loop});
        }
    }
    return counts;
}

SceneDesc KeepGroups(const SceneDesc& desc, const std::vector<bool>& keep) {
    SceneDesc out;
    out.bones = desc.bones;
    out.animations = desc.animations;
    std::vector<int> vertexIndex(desc.vertices.size(), -1);
    std::vector<int> coordIndex(desc.texCoords.size(), -1);
    std::vector<int> materialIndex(desc.materials.size(), -1);
    auto renumber = [](std::vector<int>* index, int old, auto add) {
        int& slot = (*index)[static_cast<std::size_t>(old)];
        if (slot < 0) {
            slot = add(old);
        }
        return slot;
    };
    for (std::size_t g = 0; g < desc.groups.size(); ++g) {
        if (!keep[g]) {
            continue;
        }
        SceneGroup group = desc.groups[g];
        for (SceneFace& face : group.faces) {
            for (int& v : face.vertices) {
                v = renumber(&vertexIndex, v, [&](int old) {
                    out.vertices.push_back(desc.vertices[static_cast<std::size_t>(old)]);
                    return static_cast<int>(out.vertices.size()) - 1;
                });
            }
            for (int& t : face.texCoords) {
                t = renumber(&coordIndex, t, [&](int old) {
                    out.texCoords.push_back(desc.texCoords[static_cast<std::size_t>(old)]);
                    return static_cast<int>(out.texCoords.size()) - 1;
                });
            }
            if (face.material >= 0) {
                face.material = renumber(&materialIndex, face.material, [&](int old) {
                    out.materials.push_back(desc.materials[static_cast<std::size_t>(old)]);
                    return static_cast<int>(out.materials.size()) - 1;
                });
            }
        }
        out.groups.push_back(std::move(group));
    }
    return out;
}

bool LayOutPlayer(const SceneDesc& source, const PlayerOptions& options, PlayerScenes* scenes, std::string* why) {
    if (source.animations.empty()) {
        *why = "it has no animations to lay out as a player model";
        return false;
    }
    for (const auto& map : options.maps) {
        if (FindAnimation(source, map.second) == nullptr) {
            *why = "--map " + map.first + "=" + map.second + " names no animation of it";
            return false;
        }
    }
    const std::string weapon = options.weapon.empty() ? std::string("weapon") : options.weapon;
    std::vector<bool> isWeapon(source.groups.size(), false);
    for (std::size_t g = 0; g < source.groups.size(); ++g) {
        isWeapon[g] = IsWeaponGroup(source, source.groups[g], weapon);
        if (isWeapon[g] && scenes->weaponGroup.empty()) {
            scenes->weaponGroup = source.groups[g].name;
        }
    }
    if (!options.weapon.empty() && scenes->weaponGroup.empty()) {
        *why = "--weapon " + options.weapon + " names no mesh of it";
        return false;
    }
    std::vector<bool> isBody(isWeapon.size());
    std::transform(isWeapon.begin(), isWeapon.end(), isBody.begin(), [](bool w) { return !w; });
    if (std::none_of(isBody.begin(), isBody.end(), [](bool b) { return b; })) {
        *why = "it has no mesh besides the weapon";
        return false;
    }
    SceneDesc laid = source;
    laid.animations = StandardAnimations(source, options, &scenes->warnings);
    scenes->body = KeepGroups(laid, isBody);
    scenes->weapon = scenes->weaponGroup.empty() ? SceneDesc{} : KeepGroups(laid, isWeapon);
    return true;
}
