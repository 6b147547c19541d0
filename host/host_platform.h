// What the reference host needs from the system it runs on: loading a plug-in
// module, a hidden parent window, opening files by a host text, and the
// plug-in's default location next to the running program.
#pragma once

#include <cstdio>
#include <string>

#include "host_api/host_records.h"

// Loads a module by its UTF-8 path; null on failure with a reason in *error.
void* HostLoadModule(const std::string& path, std::string* error);
void* HostModuleSymbol(void* module, const char* name);
void HostUnloadModule(void* module);

// A real window for the plug-in's dialogs to be owned by: a hidden top-level
// window on Windows; on Linux a window record (a WindowRect) the portable
// dialogs understand.
void* HostCreateParentWindow();
void HostDestroyParentWindow(void* window);

// Opens a file named by a host text (the UTF-16 half on Windows, the UTF-8
// 8-bit half on Linux).
std::FILE* HostOpenFile(const TextPair& path, const char* mode);

// Opens a file by its UTF-8 path (through UTF-16 on Windows).
std::FILE* HostOpenPath(const std::string& utf8Path, const char* mode);

// Directory of the running program, ending in a separator.
std::string HostProgramDirectory();

// UTF-8 <-> UTF-16 for the host's own texts.
std::u16string HostWiden(const std::string& utf8);
std::string HostNarrow(const std::u16string& utf16);
// The UTF-16 half of a host text (up to its terminator, at most 260 units).
std::u16string HostWideText(const TextPair& pair);
// The same as UTF-8.
std::string HostText(const TextPair& pair);
