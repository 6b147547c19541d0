// Four floats (or four int32) worked on lane by lane, for the per-frame loops
// of the export. Each lane rounds exactly as the same scalar expression does.
// The types are the compiler's 16-byte vectors (GCC and Clang), so each
// operation is one vector instruction; comparisons give Int4 masks (all bits
// set where true) and `mask ? a : b` selects lane by lane.
#pragma once

#include <cstdint>

typedef float Float4 __attribute__((vector_size(16)));
typedef std::int32_t Int4 __attribute__((vector_size(16)));

inline Float4 MakeFloat4(float x, float y, float z) { return Float4{x, y, z, 0}; }

inline Float4 Splat4(float s) { return Float4{s, s, s, s}; }

inline Int4 SplatInt4(std::int32_t s) { return Int4{s, s, s, s}; }

// |a| lane by lane: the sign bit cleared.
inline Float4 Abs4(Float4 a) { return reinterpret_cast<Float4>(reinterpret_cast<Int4>(a) & 0x7FFFFFFF); }

// True when every lane of the mask is set.
inline bool AllLanes(Int4 mask) { return (mask[0] & mask[1] & mask[2] & mask[3]) != 0; }
