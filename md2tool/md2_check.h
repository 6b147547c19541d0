// What a Quake 2 style engine would refuse in an MD2 file, or what overflows
// the arrays of engines and tools (errors), and what is likely wrong with it
// (warnings), read from the raw bytes.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

struct Md2Finding {
    bool error;          // false: a warning
    std::string rule;    // a short stable name, e.g. "vertex-count"
    std::string message;
};

struct Md2CheckResult {
    bool readable;            // false: too short for a header or not an MD2 file
    std::string unreadable;   // why, when not readable
    std::vector<Md2Finding> findings;
};

// The limits: the engine's loader refuses a skin taller than 480 and more than
// 2048 vertices; the counts of triangles, frames and skins are array sizes of
// the format's definition, which the loader does not check but engines and
// tools overflow.
inline constexpr int kEngineMaxSkinHeight = 480;
inline constexpr int kEngineMaxVertices = 2048;
inline constexpr int kEngineMaxTriangles = 4096;
inline constexpr int kEngineMaxFrames = 512;
inline constexpr int kEngineMaxSkins = 32;

Md2CheckResult CheckMd2Bytes(const std::uint8_t* bytes, std::size_t length);

bool HasErrors(const Md2CheckResult& result);
