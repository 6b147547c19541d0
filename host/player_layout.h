// A converted scene laid out as a Quake 2 player model (the frame layout is
// md2tool/player_frames.h): the 20 standard animations in order, each taken
// from the source animation of the same name (or the one --map names) and
// sampled to its count, the weapon's mesh apart from the body's.
#pragma once

#include <string>
#include <utility>
#include <vector>

#include "host/frame_counts.h"
#include "host/scene_desc.h"
#include "md2tool/player_frames.h"

struct PlayerOptions {
    std::vector<std::pair<std::string, std::string>> maps;  // standard name, source animation name
    std::string weapon;                                     // empty: a mesh or bone named "weapon"
};

// The frame counts that the converter samples the source animations to:
// each standard animation's source with its count (the first one that uses
// a source decides its baked key times).
std::vector<FrameCount> PlayerFrameCounts(const PlayerOptions& options);

// The name of the standard animation `name` names (any case), or "".
std::string StandardAnimationName(const std::string& name);

struct PlayerScenes {
    SceneDesc body;
    SceneDesc weapon;      // no groups: the source has no weapon mesh
    std::string weaponGroup;
    std::vector<std::string> warnings;
};

// Lays the source out: body and weapon scenes with the standard animations
// in order (a rest pose for those without a source). False with the reason
// for a source without animations, a --map naming no animation, a --weapon
// naming no mesh, or no mesh left for the body.
bool LayOutPlayer(const SceneDesc& source, const PlayerOptions& options, PlayerScenes* scenes, std::string* why);

// The scene holding only the groups kept, with the vertices, texture
// coordinates and materials they use (renumbered), every bone and animation.
SceneDesc KeepGroups(const SceneDesc& desc, const std::vector<bool>& keep);
