// The Quake 2 player model's frame layout: the engine finds each animation
// by frame number, so these 20 come in this order with these counts (198
// frames in all). The looping ones play over and over; the others once, the
// deaths holding their last frame.
#pragma once

struct PlayerAnimation {
    const char* name;
    int frames;
    bool loop;
};

inline constexpr PlayerAnimation kPlayerAnimations[] = {
    {"stand", 40, true},  {"run", 6, true},     {"attack", 8, false},  {"pain1", 4, false},  {"pain2", 4, false},
    {"pain3", 4, false},  {"jump", 6, false},   {"flip", 12, false},   {"salute", 11, false}, {"taunt", 17, false},
    {"wave", 11, false},  {"point", 12, false}, {"crstnd", 19, true},  {"crwalk", 6, true},  {"crattak", 9, false},
    {"crpain", 4, false}, {"crdeath", 5, false}, {"death1", 6, false}, {"death2", 6, false}, {"death3", 8, false},
};
inline constexpr int kPlayerFrames = 198;
