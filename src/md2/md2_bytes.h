// The buffers of file bytes a model holds (Md2Model::bytes). A buffer of a
// large page or more starts on a large-page boundary and asks the system for
// large pages: a file read into fresh memory then costs a few page faults
// instead of one per small page, which is most of a large file's load.
#pragma once

#include <cstddef>
#include <cstdint>

// Null when memory runs out.
std::uint8_t* NewMd2Bytes(std::size_t length);

// Frees a buffer of NewMd2Bytes, given the same length; null is ignored.
void DeleteMd2Bytes(std::uint8_t* bytes, std::size_t length);
