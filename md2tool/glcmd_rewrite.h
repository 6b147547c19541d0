// Giving an MD2 file the GL command list of its triangles. Every other
// section keeps its bytes and the header its other fields. The new list
// takes the old one's place when the old list holds words, lies past the
// header and shares no byte with another section; otherwise (an empty list,
// whatever its offset says, or one that lies where it cannot be replaced)
// it goes after the header and the last non-empty section. Bytes after the
// list's place, gaps and trailing bytes included, move along with the
// offsets that point at them.
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

// False with a message when the file is not an MD2 file, the plug-in's reader
// refuses it, its skin size is not positive, or a triangle names a vertex or
// texture coordinate outside the counts.
bool AddGlCommands(const std::vector<std::uint8_t>& in, std::vector<std::uint8_t>* out, GlRewriteStats* stats,
                   std::string* error);

// True when `out` is `in` with a new GL command list: the plug-in's reader
// takes it, the header's other fields and every other section's bytes are
// those of `in`, the list lies past the header and apart from the other
// sections and draws every triangle, and `check` finds no error in `out`
// that it does not find in `in`. False with the reason otherwise.
bool VerifyGlRewrite(const std::vector<std::uint8_t>& in, const std::vector<std::uint8_t>& out, std::string* error);

// Reads `inPath`, adds the GL commands and writes the result to `outPath`
// (which may be `inPath`) once the file read back passes VerifyGlRewrite.
// False with one line naming the file and the reason, and `outPath` as it
// was, otherwise.
bool RewriteWithGlCommands(const std::string& inPath, const std::string& outPath, GlRewriteStats* stats,
                           std::string* error);
