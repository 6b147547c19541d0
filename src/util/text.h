// Text conversion and the TextPair operations.
#pragma once

#include <cstddef>

#include "host_api/host_records.h"

// Length of a NUL-terminated UTF-16 text, looking at no more than `limit`
// units (the whole text when it has no terminator within them).
std::size_t U16Length(const char16_t* text, std::size_t limit = static_cast<std::size_t>(-1));
// Copies src into dst (capacity units, terminator included), cutting it to
// fit; answers the length copied. dst and src may be the same.
std::size_t U16Copy(char16_t* dst, std::size_t capacity, const char16_t* src);
bool U16Equal(const char16_t* a, const char16_t* b);
// Copies 8-bit text into a buffer of `capacity` bytes, cutting it to fit.
std::size_t NarrowCopy(char* dst, std::size_t capacity, const char* src);

// 8-bit text in the system's ANSI code page (precomposed characters) to
// UTF-16, terminator included. Answers the code units written, 0 on failure;
// on failure the output is an empty text.
int ToWide(const char* text, char16_t* out, int capacity);
// UTF-16 to the system's ANSI code page, terminator included. Answers the
// bytes written, 0 on failure; on failure the output is an empty text.
int ToNarrow(const char16_t* text, char* out, int capacity);

// The C runtime's conversions in its default locale, bounded: the output
// always ends in a NUL within `capacity`, a text that does not fit is cut
// after its last whole character, and a character without an equivalent
// becomes '?'. Answer the length written, terminator not counted.
std::size_t CrtWideToNarrow(const char16_t* text, char* out, std::size_t capacity);
std::size_t CrtNarrowToWide(const char* text, char16_t* out, std::size_t capacity);

// Length of the longest prefix of text (length bytes), at most `limit` bytes,
// that ends on a whole character of the C runtime's multibyte text.
std::size_t WholeCharacterPrefix(const char* text, std::size_t length, std::size_t limit);

// Both halves of a pair are always written together.
void TextPairFromWide(TextPair* pair, const char16_t* text);
void TextPairFromNarrow(TextPair* pair, const char* text);
void TextPairClear(TextPair* pair);
void TextPairCopy(TextPair* dst, const TextPair* src);
