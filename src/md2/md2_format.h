// The MD2 file layout, shared by the reader and the writer.
//
// Everything in the file is little-endian; the records below hold the values
// in the machine's own form. Bytes become records only through the Decode
// functions here, and records become bytes through the Encode functions of
// md2/md2_sections.h.
#pragma once

#include <bit>
#include <cstdint>

inline constexpr std::uint32_t kMd2Ident = 0x32504449;  // "IDP2" read as a little-endian word
inline constexpr std::int32_t kMd2Version = 8;

inline constexpr std::uint32_t kMd2HeaderBytes = 68;
inline constexpr std::uint32_t kMd2SkinBytes = 64;
inline constexpr std::uint32_t kMd2TexCoordBytes = 4;
inline constexpr std::uint32_t kMd2TriangleBytes = 12;
inline constexpr std::uint32_t kMd2FrameHeaderBytes = 40;
inline constexpr std::uint32_t kMd2VertexBytes = 4;
inline constexpr int kMd2FrameNameChars = 16;

// Offsets and lengths are int32 values in the header: no offset, and no file,
// goes past this many bytes.
inline constexpr std::int64_t kMd2LargestOffset = INT32_MAX;

struct Md2Header {
    std::uint32_t ident;
    std::int32_t version;
    std::int32_t skinwidth;
    std::int32_t skinheight;
    std::int32_t framesize;
    std::int32_t num_skins;
    std::int32_t num_xyz;
    std::int32_t num_st;
    std::int32_t num_tris;
    std::int32_t num_glcmds;
    std::int32_t num_frames;
    std::int32_t ofs_skins;
    std::int32_t ofs_st;
    std::int32_t ofs_tris;
    std::int32_t ofs_frames;
    std::int32_t ofs_glcmds;
    std::int32_t ofs_end;
};
static_assert(sizeof(Md2Header) == kMd2HeaderBytes);

// The skin's image path, NUL-padded; all 64 bytes are text when no NUL is present.
struct Md2SkinRecord {
    char path[kMd2SkinBytes];
};

// Texel coordinates on the skin.
struct Md2TexCoordRecord {
    std::int16_t s;
    std::int16_t t;
};

// Corner k of a file triangle is corner 2 - k of the host face.
struct Md2TriangleRecord {
    std::int16_t index_xyz[3];
    std::int16_t index_st[3];
};

struct Md2FrameHeader {
    float scale[3];
    float translate[3];
    char name[kMd2FrameNameChars];  // no terminator when all 16 are used
};

// A compressed vertex: position bytes per axis, then the normal table index.
struct Md2VertexRecord {
    std::uint8_t v[3];
    std::uint8_t normalIndex;
};
static_assert(sizeof(Md2VertexRecord) == kMd2VertexBytes);

// --- Section layout ------------------------------------------------------------

// The bytes of a frame of `vertices` vertices: its 40-byte header, then 4
// bytes per vertex. Frames follow one another every this many bytes,
// whatever the header's framesize says.
constexpr std::int64_t Md2FrameBytes(std::int64_t vertices) {
    return kMd2FrameHeaderBytes + std::int64_t{kMd2VertexBytes} * vertices;
}

// Where a section of no records may lie. The reader decodes every section
// from a position it seeks to first, and a seek to the end of the bytes
// fails: for it every section's offset lies below the length. The tool is
// more lenient: it takes a section of no records at any offset from 0 to
// the length.
enum class Md2SectionRule {
    kReader,  // offset below the length
    kTool,    // offset up to the length
};

// True when `count` records of `recordBytes` from `offset` lie wholly inside
// a file of `length` bytes, and the offset is placed as `rule` asks. A
// negative offset or count never fits.
bool Md2SectionFits(std::uint32_t length, std::int32_t offset, std::int32_t count, std::uint64_t recordBytes,
                    Md2SectionRule rule);

// --- Little-endian decoding --------------------------------------------------

inline std::uint32_t LoadU32LE(const std::uint8_t* p) {
    return static_cast<std::uint32_t>(p[0]) | static_cast<std::uint32_t>(p[1]) << 8 |
           static_cast<std::uint32_t>(p[2]) << 16 | static_cast<std::uint32_t>(p[3]) << 24;
}
inline std::int32_t LoadI32LE(const std::uint8_t* p) { return static_cast<std::int32_t>(LoadU32LE(p)); }
inline std::int16_t LoadI16LE(const std::uint8_t* p) {
    return static_cast<std::int16_t>(static_cast<std::uint16_t>(p[0] | p[1] << 8));
}
inline float LoadF32LE(const std::uint8_t* p) { return std::bit_cast<float>(LoadU32LE(p)); }

// --- Little-endian encoding --------------------------------------------------

inline void StoreU32LE(std::uint8_t* p, std::uint32_t value) {
    p[0] = static_cast<std::uint8_t>(value);
    p[1] = static_cast<std::uint8_t>(value >> 8);
    p[2] = static_cast<std::uint8_t>(value >> 16);
    p[3] = static_cast<std::uint8_t>(value >> 24);
}
inline void StoreI32LE(std::uint8_t* p, std::int32_t value) { StoreU32LE(p, static_cast<std::uint32_t>(value)); }
inline void StoreI16LE(std::uint8_t* p, std::int16_t value) {
    const auto bits = static_cast<std::uint16_t>(value);
    p[0] = static_cast<std::uint8_t>(bits);
    p[1] = static_cast<std::uint8_t>(bits >> 8);
}
inline void StoreF32LE(std::uint8_t* p, float value) { StoreU32LE(p, std::bit_cast<std::uint32_t>(value)); }

// Each Decode function takes exactly the record's byte size from `bytes`.
Md2Header DecodeMd2Header(const std::uint8_t* bytes);
Md2SkinRecord DecodeMd2Skin(const std::uint8_t* bytes);
Md2TexCoordRecord DecodeMd2TexCoord(const std::uint8_t* bytes);
Md2TriangleRecord DecodeMd2Triangle(const std::uint8_t* bytes);
Md2FrameHeader DecodeMd2FrameHeader(const std::uint8_t* bytes);
