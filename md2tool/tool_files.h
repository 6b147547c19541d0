// Files as the tool reads and writes them. Paths are UTF-8 and opened through
// wide paths on Windows, so that names outside the ANSI code page work.
// A file is written beside its target, read back and checked, and only then
// put in the target's place.
#pragma once

#include <cstdint>
#include <filesystem>
#include <functional>
#include <span>
#include <string>
#include <vector>

#include "md2tool/large_bytes.h"
#include "md2tool/mapped_file.h"

// The path of a UTF-8 name, and the UTF-8 name of a path.
std::filesystem::path ToolPath(const std::string& utf8);
std::string ToolPathText(const std::filesystem::path& path);

// Reads a whole file; false with a message when it cannot be opened or read,
// or is 2 GiB or more.
bool ReadFileBytes(const std::string& path, std::vector<std::uint8_t>* bytes, std::string* error);

// A whole file, mapped where the system can map it, else read into a buffer
// on large pages where the system offers them.
struct ToolFileBytes {
    MappedFile mapped;
    LargeBytes read;
    const std::uint8_t* data = nullptr;  // into one of the two
    std::size_t length = 0;
};
// As ReadFileBytes, for files large enough that filling fresh memory costs.
bool ReadFileLarge(const std::string& path, ToolFileBytes* file, std::string* error);

// Checks the bytes read back from the temporary file; false with the reason.
using ReadBackCheck = std::function<bool(const std::vector<std::uint8_t>&, std::string*)>;

// Writes the bytes to a temporary file beside `path` (beside the file a
// symbolic link names), reads them back (a piece at a time without `check`,
// whole for it), runs `check` on them when given,
// and only then renames the temporary file over the target. On any failure
// the target is untouched, the temporary file is removed and `error` is one
// line naming the target and the reason.
bool WriteFileReplacing(const std::string& path, std::span<const std::uint8_t> bytes, const ReadBackCheck& check,
                        std::string* error);

// Takes the next piece of a file's bytes; false stops the producer.
using BytePieces = std::function<bool(std::span<const std::uint8_t> piece)>;
// Hands a file's bytes to `put` in order, the same bytes on every call; false
// when it cannot.
using BytePieceSource = std::function<bool(const BytePieces& put)>;

// As WriteFileReplacing without a check, for bytes made a piece at a time:
// the source runs once to write the temporary file and once more to compare
// it as it is read back, so the whole file is never held in memory.
bool WriteFileReplacingPieces(const std::string& path, const BytePieceSource& source, std::string* error);
