#include <sys/mman.h>

#include "platform/platform.h"

void PlatformPreferLargePages(void* start, std::size_t length) {
    // Only a hint: a kernel without transparent huge pages refuses it, and
    // the memory stays as it is.
    (void)madvise(start, length, MADV_HUGEPAGE);
}
