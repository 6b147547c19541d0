// `corvane-md2 check --player DIR`: a Quake 2 player model folder as the
// engine uses it: tris.md2 with the 198 frames of the standard layout,
// weapon.md2 (where present) with as many, every skin tris.md2 names in the
// folder as an 8-bit PCX in the Quake 2 palette with its _i.pcx icon, and
// everything `check` finds in each file. Prints the standard frame ranges
// with the frame names found there.
#pragma once

#include <string>

struct ToolOutput;

// Answers check's exit status: 0, 1 when tris.md2 cannot be read, 2 for errors.
int RunPlayerCheck(const std::string& folder, ToolOutput* output);
