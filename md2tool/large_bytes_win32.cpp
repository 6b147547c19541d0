#include "md2tool/large_bytes.h"

// Large pages on Windows need a privilege users rarely hold: small pages.
void PreferLargePages(void*, std::size_t) {}
