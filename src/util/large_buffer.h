// Byte buffers filled at once after they are taken: the frames encoded for
// one write. A buffer of a large page or more starts on a large-page boundary
// and asks the system for large pages: filling fresh memory then costs a few
// page faults instead of one per small page, which is most of the cost.
#pragma once

#include <cstddef>
#include <cstdint>

// Null when memory runs out.
std::uint8_t* NewLargeBuffer(std::size_t length);

// Frees a buffer of NewLargeBuffer, given the same length; null is ignored.
void DeleteLargeBuffer(std::uint8_t* bytes, std::size_t length);
