// Splitting paths into their directory and their file name. Outputs have
// room for kTextPairUnits units (or bytes) and are always terminated.
#pragma once

// Drive and directory of the path, with a backslash added when that text is
// non-empty and ends in neither separator. 0 if a pointer is null, else 1.
int DirectoryOfPath(const char16_t* path, char16_t* out);
// File name and extension of the path. Path and output may be the same
// buffer. 0 if a pointer is null, else 1.
int FileNameOfPath(const char16_t* path, char16_t* out);
int FileNameOfPathNarrow(const char* path, char* out);
