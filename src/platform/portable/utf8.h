// UTF-8 <-> UTF-16, one character at a time. On Linux UTF-8 stands in for both
// the system code page and the C runtime's locale.
#pragma once

#include <cstddef>

// Encodes the character starting at text; sets *unitsUsed. Returns the byte
// count written to out (at most 4), or -1 for an unpaired surrogate.
int Utf8EncodeOne(const char16_t* text, char* out, int* unitsUsed);

// Decodes one character from at most `available` bytes into one or two UTF-16
// units. Returns the bytes used, or -1 for an invalid or incomplete sequence.
int Utf8DecodeOne(const char* text, std::size_t available, char16_t units[2], int* unitCount);
