// Byte buffers for whole files and big pieces. A buffer of a large page or
// more starts on a large-page boundary and, on Linux, asks for large pages:
// filling fresh memory then costs a page fault per 2 MiB instead of one per
// 4 KiB, which on a virtual machine is most of the cost of reading a file.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>

struct LargeBytesRelease {
    std::size_t length = 0;
    void operator()(std::uint8_t* bytes) const;
};
using LargeBytes = std::unique_ptr<std::uint8_t[], LargeBytesRelease>;

// Null when memory runs out.
LargeBytes NewLargeBytes(std::size_t length);

// Asks the system for large pages over [start, start + length); only a hint.
void PreferLargePages(void* start, std::size_t length);
