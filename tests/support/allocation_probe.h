// The test program's own global allocation operators, which can record the
// largest single request made between a start and a stop: the reader's tests
// assert with it that a small file never makes the reader ask for more
// memory than a small multiple of the file's length, whether or not the
// request would succeed.
#pragma once

#include <cstddef>

void StartAllocationProbe();
// Stops recording; answers the largest request since the start.
std::size_t StopAllocationProbe();

// The most a read of a file of `length` bytes may ask for at once: the
// decoded records are at most 16 times their size in the file.
inline std::size_t ReadAllocationBound(std::size_t length) { return 16 * length + 1024; }
