// Choosing frames by number, range or name, and grouping frames into
// animations by their names without the trailing digits, as engines do.
#pragma once

#include <string>
#include <vector>

#include "md2/md2_model.h"

std::string WithoutTrailingDigits(const std::string& name);

// "all", a frame number, a range A-B of frame numbers, or a name: the frame
// of that name, else every frame of the animation of that name.
bool SelectFrames(const Md2Model& model, const std::string& choice, std::vector<int>* frames, std::string* error);

// A run of neighbouring frames of one name.
struct FrameGroup {
    std::string name;
    std::vector<int> frames;  // frame numbers of the file, in order
};

// The chosen frames grouped in order by their names without the trailing
// digits; a name that comes again after another gets "_2", "_3", ... (and
// a name without letters is "frames").
std::vector<FrameGroup> GroupFramesByName(const Md2Model& model, const std::vector<int>& frames);
