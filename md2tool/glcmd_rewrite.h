// Giving an MD2 file the GL command list of its triangles: the old list is
// replaced where it lies, every other byte is kept, and the header's GL
// command count and the offsets behind the list are updated.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "md2tool/gl_commands.h"

struct GlRewriteStats {
    int triangles;
    int words;  // of the new list, terminator included
    GlCommandStats runs;
};

// False with a message when the file is not an MD2 file, its skin size is
// not positive, its triangles or texture coordinates lie outside it, or a
// triangle names a vertex or texture coordinate outside the counts.
bool AddGlCommands(const std::vector<std::uint8_t>& in, std::vector<std::uint8_t>* out, GlRewriteStats* stats,
                   std::string* error);

// Writes the bytes to a temporary file beside `path`, then renames it over
// `path`; nothing is left behind on failure.
bool WriteFileReplacing(const std::string& path, const std::vector<std::uint8_t>& bytes, std::string* error);

// Reads `inPath`, adds the GL commands and writes the result to `outPath`
// (which may be `inPath`).
bool RewriteWithGlCommands(const std::string& inPath, const std::string& outPath, GlRewriteStats* stats,
                           std::string* error);
