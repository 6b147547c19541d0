#include "md2tool/frame_choice.h"

#include <cstdlib>
#include <map>

std::string WithoutTrailingDigits(const std::string& name) {
    std::size_t end = name.size();
    while (end > 0 && name[end - 1] >= '0' && name[end - 1] <= '9') {
        --end;
    }
    return name.substr(0, end);
}

// "all", a frame number, a range A-B of frame numbers, or a name: the frame
// of that name, else every frame of the animation of that name.
bool SelectFrames(const Md2Model& model, const std::string& choice, std::vector<int>* frames, std::string* error) {
    frames->clear();
    if (choice == "all") {
        for (int f = 0; f < model.frameCount; ++f) {
            frames->push_back(f);
        }
        return true;
    }
    const std::size_t dash = choice.find('-');
    const std::string first = choice.substr(0, dash);
    const std::string last = dash == std::string::npos ? first : choice.substr(dash + 1);
    if (!first.empty() && first.find_first_not_of("0123456789") == std::string::npos && !last.empty() &&
        last.find_first_not_of("0123456789") == std::string::npos) {
        const long a = std::strtol(first.c_str(), nullptr, 10);
        const long b = std::strtol(last.c_str(), nullptr, 10);
        if (a > b || b >= model.frameCount) {
            *error = "frames " + choice + " are not within 0-" + std::to_string(model.frameCount - 1);
            return false;
        }
        for (long f = a; f <= b; ++f) {
            frames->push_back(static_cast<int>(f));
        }
        return true;
    }
    for (int f = 0; f < model.frameCount; ++f) {
        if (model.frames[f].name == choice) {
            frames->push_back(f);
            return true;
        }
    }
    for (int f = 0; f < model.frameCount; ++f) {
        if (WithoutTrailingDigits(model.frames[f].name) == choice) {
            frames->push_back(f);
        }
    }
    if (frames->empty()) {
        *error = "no frame or animation is named " + choice;
        return false;
    }
    return true;
}

std::vector<FrameGroup> GroupFramesByName(const Md2Model& model, const std::vector<int>& frames) {
    std::vector<FrameGroup> groups;
    std::map<std::string, int> uses;
    std::string last;
    for (std::size_t i = 0; i < frames.size(); ++i) {
        std::string stem = WithoutTrailingDigits(model.frames[frames[i]].name);
        if (stem.empty()) {
            stem = "frames";
        }
        if (i == 0 || stem != last) {
            const int use = ++uses[stem];
            groups.push_back({use == 1 ? stem : stem + "_" + std::to_string(use), {}});
            last = stem;
        }
        groups.back().frames.push_back(frames[i]);
    }
    return groups;
}
