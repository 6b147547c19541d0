// Animations sampled to a chosen number of frames (`--frames NAME=COUNT`,
// `--loop NAME`). The plug-in samples an animation at i / rate for
// 0 <= i < ceil(end x rate), all in single precision; the host chooses each
// named animation's rate and end so that this gives exactly COUNT frames at
// i x length / COUNT (a loop) or i x length / (COUNT - 1) (played once).
#pragma once

#include <string>
#include <vector>

struct SceneAnimation;
struct SceneDesc;

struct FrameCount {
    std::string animation;  // matched without regard to case
    int frames = 0;
    bool loop = false;
};

struct FrameTiming {
    float frameRate = 0;
    float end = 0;
};

// The rate and end that make the plug-in take `frames` frames over `length`
// seconds. False when no single-precision rate does (more than 2^22 frames).
bool TimingForFrames(float length, int frames, bool loop, FrameTiming* timing);

// The plug-in's rule: ceil(end x rate) frames (rate 0 counts as 30), at
// float(i) x (1 / rate), in single precision.
int PluginFrameCount(float frameRate, float end);
float PluginFrameTime(float frameRate, int frame);

// The request naming `name` (case-insensitive), or null.
const FrameCount* FindFrameCount(const std::vector<FrameCount>& counts, const std::string& name);

// Gives the animation the rate and end of the request naming it, if any,
// over its length: `length` when set (a scene file keeps it, so that a saved
// scene samples the same again), else its end (sampling starts at 0), which
// then becomes `length`.
void ApplyFrameCount(const std::vector<FrameCount>& counts, SceneAnimation* animation);

// Reads NAME=COUNT into `counts`, or marks NAME as a loop; false with the
// problem for a malformed value or a count outside 1 to 1024.
bool AddFrameCountOption(const std::string& option, const std::string& value, std::vector<FrameCount>* counts,
                         std::string* problem);

// False, with a line naming `source` and the reason, when a request names no
// animation of `desc`, or a loop was asked for without a count.
bool CheckFrameCountNames(const std::vector<FrameCount>& counts, const SceneDesc& desc, const std::string& source,
                          std::string* why);

// Case-insensitive equality of ASCII names.
bool SameName(const std::string& a, const std::string& b);
