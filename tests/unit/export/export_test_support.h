// Shared by the export tests: exports through the plug-in binary as the host
// runs them, and the written file read back byte by byte on its own.
#pragma once

#include <gtest/gtest.h>

#include <array>
#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include "host/export_flow.h"
#include "support/import_fixture.h"

// An MD2 file as written, every section taken from the header's offsets.
struct WrittenMd2 {
    std::vector<std::uint8_t> bytes;
    std::int32_t header[17] = {};  // the 17 words in file order
    std::vector<std::string> skins;
    std::vector<std::array<std::int16_t, 2>> texCoords;  // s, t
    std::vector<std::array<std::int16_t, 6>> triangles;  // 3 vertex, then 3 texture-coordinate indices
    struct Frame {
        float scale[3];
        float translate[3];
        std::string name;                                  // up to the first zero byte (16 at most)
        std::vector<std::array<std::uint8_t, 4>> vertices;  // x, y, z, normal index
    };
    std::vector<Frame> frames;
    std::vector<std::int32_t> glCommands;

    std::int32_t SkinWidth() const { return header[2]; }
    std::int32_t SkinHeight() const { return header[3]; }
    std::int32_t FrameSize() const { return header[4]; }
    std::int32_t NumXyz() const { return header[6]; }
    std::int32_t NumGlcmds() const { return header[9]; }
    std::int32_t NumFrames() const { return header[10]; }
    std::int32_t OfsGlcmds() const { return header[15]; }
    std::int32_t OfsEnd() const { return header[16]; }
    // Frame f's vertex v decoded: byte x scale + translate, in single precision.
    std::array<float, 3> Decoded(int f, int v) const;
};

// False, with a reason, when the file is missing or a section lies outside it.
bool ReadWrittenMd2(const std::string& path, WrittenMd2* out, std::string* why);

std::string ReadFileBytes(const std::string& path);
// The names in a folder (not its subfolders), sorted.
std::vector<std::string> FolderEntries(const std::string& folder);

// Exports through the plug-in binary: the scene of the import fixture, the
// export dialog operated by a user, then the write request.
class PluginExportTest : public PluginImportTest {
protected:
    // Only the export-options request.
    int ExportOptionsRequest(const std::string& script, const std::string& screenshotDirectory = std::string());
    // Both requests; the write goes to `path` (default: NAME.md2 in the test's folder).
    ExportRun Export(const std::string& script, const std::string& name = "out");
    // Only the write request.
    int WriteRequest(const std::string& path);
    std::string OutPath(const std::string& name) const { return directory_ + name + ".md2"; }
    // The file written by Export(name), read back; fails the test when it cannot be read.
    WrittenMd2 Written(const std::string& name = "out");
};

// The index of the normal table entry nearest to (x, y, z), from the table in
// the shared data, by a search of its own.
int NearestTableNormal(float x, float y, float z);
