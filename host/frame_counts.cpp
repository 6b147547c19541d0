#include "host/frame_counts.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstdlib>

#include "host/scene_desc.h"

namespace {

constexpr int kMostFrames = 1024;  // twice the format's 512: enough for any layout

// |fl(1 / rate) - wanted| in double: how far the plug-in's step lies from the ideal one.
double StepError(float rate, double wanted) {
    return std::fabs(static_cast<double>(1.0f / rate) - wanted);
}

}  // namespace

int PluginFrameCount(float frameRate, float end) {
    const float rate = frameRate == 0 ? 30.0f : frameRate;
    const float frames = std::ceil(end * rate);
    if (!(frames > 0)) {
        return 1;
    }
    return frames >= static_cast<float>(1 << 24) ? (1 << 24) : static_cast<int>(frames);
}

float PluginFrameTime(float frameRate, int frame) {
    const float step = 1 / (frameRate == 0 ? 30.0f : frameRate);
    return static_cast<float>(frame) * step;
}

bool TimingForFrames(float length, int frames, bool loop, FrameTiming* timing) {
    if (frames < 1 || frames > (1 << 22)) {
        return false;
    }
    const int intervals = loop ? frames : frames - 1;
    float rate = 1;
    if (intervals > 0 && length > 0 && std::isfinite(length)) {
        // The float nearest intervals / length, or a neighbour whose
        // reciprocal in float lies nearer length / intervals.
        const double wanted = static_cast<double>(length) / intervals;
        const float nearest = static_cast<float>(intervals / static_cast<double>(length));
        rate = nearest;
        float below = nearest;
        float above = nearest;
        for (int k = 0; k < 2; ++k) {
            below = std::nextafter(below, 0.0f);
            above = std::nextafter(above, 3.0e38f);
            for (float candidate : {below, above}) {
                if (candidate > 0 && std::isfinite(candidate) && StepError(candidate, wanted) < StepError(rate, wanted)) {
                    rate = candidate;
                }
            }
        }
    } else if (intervals > 0) {
        rate = static_cast<float>(frames);  // no length: every frame shows the pose at 0
    }
    if (!(rate > 0) || !std::isfinite(rate)) {
        return false;
    }
    // Half a frame short of `frames` frames: ceil(end x rate) is `frames`
    // with room for the rounding of the product either way.
    float end = static_cast<float>((frames - 0.5) / static_cast<double>(rate));
    for (int k = 0; k < 4 && PluginFrameCount(rate, end) != frames; ++k) {
        end = PluginFrameCount(rate, end) > frames ? std::nextafter(end, 0.0f) : std::nextafter(end, 3.0e38f);
    }
    timing->frameRate = rate;
    timing->end = end;
    return PluginFrameCount(rate, end) == frames;
}

bool SameName(const std::string& a, const std::string& b) {
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](unsigned char x, unsigned char y) {
               return std::tolower(x) == std::tolower(y);
           });
}

const FrameCount* FindFrameCount(const std::vector<FrameCount>& counts, const std::string& name) {
    for (const FrameCount& count : counts) {
        if (SameName(count.animation, name)) {
            return &count;
        }
    }
    return nullptr;
}

void ApplyFrameCount(const std::vector<FrameCount>& counts, SceneAnimation* animation) {
    const FrameCount* count = FindFrameCount(counts, animation->name);
    FrameTiming timing;
    if (count == nullptr || count->frames <= 0) {
        return;
    }
    const float length = animation->length >= 0 ? animation->length : animation->end;
    if (TimingForFrames(length, count->frames, count->loop, &timing)) {
        animation->length = length;
        animation->frameRate = timing.frameRate;
        animation->end = timing.end;
    }
}

bool AddFrameCountOption(const std::string& option, const std::string& value, std::vector<FrameCount>* counts,
                         std::string* problem) {
    std::string name = value;
    int frames = 0;
    if (option == "--frames") {
        const std::size_t equals = value.rfind('=');
        char* end = nullptr;
        const long parsed = equals == std::string::npos ? 0 : std::strtol(value.c_str() + equals + 1, &end, 10);
        if (equals == 0 || equals == std::string::npos || end == value.c_str() + equals + 1 || *end != '\0' ||
            parsed < 1 || parsed > kMostFrames) {
            *problem = "--frames takes NAME=COUNT with COUNT from 1 to " + std::to_string(kMostFrames) + ", not " + value;
            return false;
        }
        name = value.substr(0, equals);
        frames = static_cast<int>(parsed);
    }
    auto found = std::find_if(counts->begin(), counts->end(),
                              [&name](const FrameCount& count) { return SameName(count.animation, name); });
    if (found == counts->end()) {
        counts->push_back({name, 0, false});
        found = counts->end() - 1;
    }
    if (option == "--frames") {
        found->frames = frames;
    } else {
        found->loop = true;
    }
    return true;
}

bool CheckFrameCountNames(const std::vector<FrameCount>& counts, const SceneDesc& desc, const std::string& source,
                          std::string* why) {
    for (const FrameCount& count : counts) {
        if (count.frames == 0) {
            *why = source + ": --loop " + count.animation + " needs --frames " + count.animation + "=COUNT";
            return false;
        }
        const bool named = std::any_of(desc.animations.begin(), desc.animations.end(),
                                       [&count](const SceneAnimation& a) { return SameName(a.name, count.animation); });
        if (!named) {
            *why = source + ": --frames names no animation of it: " + count.animation;
            return false;
        }
    }
    return true;
}
