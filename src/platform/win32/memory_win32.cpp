#include "platform/platform.h"

// Large pages on Windows need the lock-memory privilege, which a plug-in
// cannot count on: the hint asks for nothing.
void PlatformPreferLargePages(void*, std::size_t) {}
