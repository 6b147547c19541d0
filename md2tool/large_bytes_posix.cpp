#include <sys/mman.h>

#include "md2tool/large_bytes.h"

void PreferLargePages(void* start, std::size_t length) {
    // A kernel without transparent huge pages refuses the hint; the memory
    // then stays as it is.
    (void)madvise(start, length, MADV_HUGEPAGE);
}
