// Valid MD2 files for tests, fuzz seeds and benchmarks, laid out byte by byte
// on their own (independent of the plug-in's reader), and the malformed
// variants the sweeps derive from them.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

struct Md2BuilderFrame {
    float scale[3] = {1, 1, 1};
    float translate[3] = {0, 0, 0};
    std::string name;                                  // the first 16 bytes are stored
    std::vector<std::array<std::uint8_t, 4>> vertices;  // x, y, z, normal index
};

struct Md2BuilderModel {
    std::int32_t version = 8;
    std::int32_t skinWidth = 256;
    std::int32_t skinHeight = 256;
    std::vector<std::string> skins;                   // the first 64 bytes are stored
    std::vector<std::array<std::int16_t, 2>> texCoords;  // s, t
    std::vector<std::array<std::int16_t, 6>> triangles;  // 3 vertex, then 3 texture-coordinate indices
    std::int32_t vertexCount = 0;                     // num_xyz; every frame holds this many
    std::vector<Md2BuilderFrame> frames;
};

// Byte offsets of the header's fields.
enum Md2HeaderField : std::size_t {
    kFieldIdent = 0,
    kFieldVersion = 4,
    kFieldSkinWidth = 8,
    kFieldSkinHeight = 12,
    kFieldFrameSize = 16,
    kFieldNumSkins = 20,
    kFieldNumXyz = 24,
    kFieldNumSt = 28,
    kFieldNumTris = 32,
    kFieldNumGlcmds = 36,
    kFieldNumFrames = 40,
    kFieldOfsSkins = 44,
    kFieldOfsSt = 48,
    kFieldOfsTris = 52,
    kFieldOfsFrames = 56,
    kFieldOfsGlcmds = 60,
    kFieldOfsEnd = 64,
};
inline constexpr std::size_t kMd2BuilderHeaderBytes = 68;

// Where BuildMd2File put each section.
struct Md2Layout {
    std::size_t ofsSkins;
    std::size_t ofsSt;
    std::size_t ofsTris;
    std::size_t ofsFrames;
    std::size_t frameBytes;
    std::size_t ofsGlcmds;
    std::size_t ofsEnd;
};

// Header, skins, texture coordinates, triangles, frames, then a GL command
// list holding only its terminator. Frames must hold vertexCount vertices.
std::vector<std::uint8_t> BuildMd2File(const Md2BuilderModel& model, Md2Layout* layout = nullptr);

// A deterministic model with varied contents: skin paths with directories,
// three texture coordinates per triangle (3n + 2, 3n + 1, 3n as written by an
// exporter), and every frame with its own scale, translate and name.
Md2BuilderModel MakeSampleMd2Model(int skinCount, int vertexCount, int triangleCount, int frameCount);

void PutI32(std::vector<std::uint8_t>& bytes, std::size_t offset, std::int32_t value);
void PutI16(std::vector<std::uint8_t>& bytes, std::size_t offset, std::int16_t value);
std::int32_t GetI32(const std::vector<std::uint8_t>& bytes, std::size_t offset);

// Single-byte changes of the sweeps: set to 0x00, to 0xFF, add 1, subtract 1.
inline constexpr int kMd2MutationKinds = 4;
std::vector<std::uint8_t> MutateByte(const std::vector<std::uint8_t>& file, std::size_t position, int kind);
// The bytes the mutation sweep changes: the header and the first record of
// every section (first skin, texture coordinate, triangle, frame header and
// vertex).
std::vector<std::size_t> Md2MutationPositions(const Md2Layout& layout, const Md2BuilderModel& model);

// A fresh, empty directory under the system's temporary directory.
std::filesystem::path MakeScratchDirectory(const std::string& name);
bool WriteBinaryFile(const std::filesystem::path& path, const std::vector<std::uint8_t>& bytes);
