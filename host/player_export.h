// `corvane-host export PLUGIN SOURCE DIR --player ...`: a Quake 2 player
// model folder (tris.md2, weapon.md2, the skins in the game's palette and
// the icon) from one rig, every MD2 file written by the plug-in through its
// export request and dialog. The folder is built beside DIR under a
// temporary name and renamed into place only when everything is written.
#pragma once

#include <string>
#include <vector>

// Reports a bad argument: the problem, the command's usage, answers 1.
using PlayerUsageError = int (*)(const std::string& command, const std::string& problem);

// args as corvane-host's export command takes them, --player among them.
// Answers the program's exit status.
int RunPlayerExport(const std::vector<std::string>& args, PlayerUsageError usage);
