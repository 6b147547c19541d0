// A whole file mapped read-only. Mapping a file already in the system's
// cache costs no copy and no page fault per page, where reading it into
// fresh memory costs both.
#pragma once

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <memory>

struct MappedFileRelease {
    std::size_t length = 0;
    void operator()(const std::uint8_t* view) const;
};
using MappedFile = std::unique_ptr<const std::uint8_t[], MappedFileRelease>;

// The file's bytes, mapped whole and read ahead, with their count in
// `length`; null when the file cannot be opened or mapped, is empty, or is
// longer than `largest`, so that the caller reads it instead.
MappedFile MapWholeFile(const std::filesystem::path& path, std::size_t largest, std::size_t* length);
