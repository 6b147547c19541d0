// Four floats (or four int32) worked on lane by lane, for the per-frame loops
// of the export. Each lane rounds exactly as the same scalar expression does.
//
// With GCC and Clang the types are the compiler's 16-byte vectors, so each
// operation is one vector instruction. Configured with
// CORVANE_PORTABLE_VECTORS (or on any other compiler) they are plain records
// whose operators loop over the lanes, with the same results.
//
// Comparisons give Int4 masks (all bits set where true); Select4 picks lane
// by lane; ConvertToInt4 truncates toward zero, giving INT32_MIN in a lane
// that is not a number or lies beyond the int32 range, as the processor's
// vector conversion does.
#pragma once

#include <cstdint>
#include <cstring>

#if !defined(CORVANE_PORTABLE_VECTORS) && (defined(__GNUC__) || defined(__clang__))

typedef float Float4 __attribute__((vector_size(16)));
typedef std::int32_t Int4 __attribute__((vector_size(16)));

inline Float4 Select4(Int4 mask, Float4 a, Float4 b) { return mask ? a : b; }
inline Int4 Select4(Int4 mask, Int4 a, Int4 b) { return mask ? a : b; }
inline Int4 ConvertToInt4(Float4 a) { return __builtin_convertvector(a, Int4); }
inline Int4 BitsOf4(Float4 a) { return reinterpret_cast<Int4>(a); }
inline Float4 FloatsOf4(Int4 a) { return reinterpret_cast<Float4>(a); }

#else

struct Int4 {
    std::int32_t lane[4];
    std::int32_t operator[](int i) const { return lane[i]; }
};

struct Float4 {
    float lane[4];
    float operator[](int i) const { return lane[i]; }
};

namespace float4_detail {

template <typename T, typename Op>
T Lanes(const T& a, const T& b, Op op) {
    T out;
    for (int i = 0; i < 4; ++i) out.lane[i] = op(a.lane[i], b.lane[i]);
    return out;
}

template <typename T, typename Op>
Int4 Compare(const T& a, const T& b, Op op) {
    Int4 out;
    for (int i = 0; i < 4; ++i) out.lane[i] = op(a.lane[i], b.lane[i]) ? -1 : 0;
    return out;
}

inline Float4 Splat(float s) { return Float4{{s, s, s, s}}; }
inline Int4 Splat(std::int32_t s) { return Int4{{s, s, s, s}}; }

}  // namespace float4_detail

inline Float4 operator+(Float4 a, Float4 b) { return float4_detail::Lanes(a, b, [](float x, float y) { return x + y; }); }
inline Float4 operator-(Float4 a, Float4 b) { return float4_detail::Lanes(a, b, [](float x, float y) { return x - y; }); }
inline Float4 operator*(Float4 a, Float4 b) { return float4_detail::Lanes(a, b, [](float x, float y) { return x * y; }); }
inline Float4 operator/(Float4 a, Float4 b) { return float4_detail::Lanes(a, b, [](float x, float y) { return x / y; }); }
inline Float4 operator+(Float4 a, float s) { return a + float4_detail::Splat(s); }
inline Float4 operator*(Float4 a, float s) { return a * float4_detail::Splat(s); }
inline Float4& operator+=(Float4& a, Float4 b) { return a = a + b; }

inline Int4 operator<(Float4 a, Float4 b) { return float4_detail::Compare(a, b, [](float x, float y) { return x < y; }); }
inline Int4 operator>(Float4 a, Float4 b) { return b < a; }
inline Int4 operator<=(Float4 a, Float4 b) { return float4_detail::Compare(a, b, [](float x, float y) { return x <= y; }); }
inline Int4 operator==(Float4 a, Float4 b) { return float4_detail::Compare(a, b, [](float x, float y) { return x == y; }); }
inline Int4 operator>=(Float4 a, Float4 b) { return b <= a; }
inline Int4 operator<(Float4 a, float s) { return a < float4_detail::Splat(s); }
inline Int4 operator>=(Float4 a, float s) { return a >= float4_detail::Splat(s); }
inline Int4 operator<=(Float4 a, float s) { return a <= float4_detail::Splat(s); }

inline Int4 operator+(Int4 a, Int4 b) {
    // Wrapping, as the vector instruction adds.
    return float4_detail::Lanes(a, b, [](std::int32_t x, std::int32_t y) {
        return static_cast<std::int32_t>(static_cast<std::uint32_t>(x) + static_cast<std::uint32_t>(y));
    });
}
inline Int4 operator*(std::int32_t s, Int4 a) {
    return float4_detail::Lanes(float4_detail::Splat(s), a, [](std::int32_t x, std::int32_t y) {
        return static_cast<std::int32_t>(static_cast<std::uint32_t>(x) * static_cast<std::uint32_t>(y));
    });
}
inline Int4 operator*(Int4 a, std::int32_t s) { return s * a; }
inline Int4 operator&(Int4 a, Int4 b) { return float4_detail::Lanes(a, b, [](std::int32_t x, std::int32_t y) { return x & y; }); }
inline Int4 operator&(Int4 a, std::int32_t s) { return a & float4_detail::Splat(s); }
inline Int4 operator<(Int4 a, std::int32_t s) {
    return float4_detail::Compare(a, float4_detail::Splat(s), [](std::int32_t x, std::int32_t y) { return x < y; });
}
inline Int4 operator>(Int4 a, std::int32_t s) {
    return float4_detail::Compare(a, float4_detail::Splat(s), [](std::int32_t x, std::int32_t y) { return x > y; });
}

inline Float4 Select4(Int4 mask, Float4 a, Float4 b) {
    Float4 out;
    for (int i = 0; i < 4; ++i) out.lane[i] = mask.lane[i] != 0 ? a.lane[i] : b.lane[i];
    return out;
}
inline Int4 Select4(Int4 mask, Int4 a, Int4 b) {
    Int4 out;
    for (int i = 0; i < 4; ++i) out.lane[i] = mask.lane[i] != 0 ? a.lane[i] : b.lane[i];
    return out;
}
inline Int4 ConvertToInt4(Float4 a) {
    Int4 out;
    for (int i = 0; i < 4; ++i) {
        const float x = a.lane[i];
        out.lane[i] = x >= -2147483648.0f && x < 2147483648.0f ? static_cast<std::int32_t>(x) : INT32_MIN;
    }
    return out;
}
inline Int4 BitsOf4(Float4 a) {
    Int4 out;
    std::memcpy(out.lane, a.lane, sizeof(out.lane));
    return out;
}
inline Float4 FloatsOf4(Int4 a) {
    Float4 out;
    std::memcpy(out.lane, a.lane, sizeof(out.lane));
    return out;
}

#endif

inline Float4 MakeFloat4(float x, float y, float z) { return Float4{x, y, z, 0}; }

inline Float4 Splat4(float s) { return Float4{s, s, s, s}; }

inline Int4 SplatInt4(std::int32_t s) { return Int4{s, s, s, s}; }

// |a| lane by lane: the sign bit cleared.
inline Float4 Abs4(Float4 a) { return FloatsOf4(BitsOf4(a) & 0x7FFFFFFF); }

// True when every lane of the mask is set.
inline bool AllLanes(Int4 mask) { return (mask[0] & mask[1] & mask[2] & mask[3]) != 0; }
