// The sample model the demo imports: a small MD2 file made here, byte by
// byte, with its skin image beside it.
#pragma once

#include <string>

// Writes DIRECTORY/crate.md2 (an eight-cornered crate with a lid that opens
// over four frames, one skin) and DIRECTORY/crate.pcx (its 64 x 64 skin).
// Answers the model's path, or an empty text when a file could not be written.
std::string WriteSampleModel(const std::string& directory);
