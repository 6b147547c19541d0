#include "host/ref_runs.h"

#include <algorithm>
#include <cstring>

#if defined(CORVANE_REF_RUNS_POISONED)
#include <sanitizer/asan_interface.h>
#endif

#include "host/harness_coverage.h"

CORVANE_HARNESS_BEGIN

namespace {

// Runs start on this boundary, which is also AddressSanitizer's smallest
// heap alignment, and each is followed by at least this many poisoned bytes
// (its smallest heap redzone).
constexpr std::size_t kRunAlign = 16;
constexpr std::size_t kRunFence = 16;
constexpr std::size_t kFirstBlock = 1024;

std::size_t RoundUp(std::size_t n) { return (n + kRunAlign - 1) / kRunAlign * kRunAlign; }

void Poison(unsigned char* at, std::size_t bytes) {
#if defined(CORVANE_REF_RUNS_POISONED)
    ASAN_POISON_MEMORY_REGION(at, bytes);
#else
    (void)at;
    (void)bytes;
#endif
}

void Unpoison(unsigned char* at, std::size_t bytes) {
#if defined(CORVANE_REF_RUNS_POISONED)
    ASAN_UNPOISON_MEMORY_REGION(at, bytes);
#else
    (void)at;
    (void)bytes;
#endif
}

}  // namespace

void* TakeRunBytes(RefRuns& runs, std::size_t bytes) {
    const std::size_t room = RoundUp(bytes + kRunFence);
    while (runs.block < runs.blocks.size() && runs.blocks[runs.block].size - runs.used < room) {
        ++runs.block;
        runs.used = 0;
    }
    if (runs.block == runs.blocks.size()) {
        const std::size_t last = runs.blocks.empty() ? 0 : runs.blocks.back().size;
        const std::size_t size = std::max({room, 2 * last, kFirstBlock});
        runs.blocks.push_back({std::make_unique<unsigned char[]>(size), size});
        runs.used = 0;
        // Nothing is readable until it is handed out.
        Poison(runs.blocks.back().bytes.get(), size);
    }
    unsigned char* run = runs.blocks[runs.block].bytes.get() + runs.used;
    runs.used += room;
    Unpoison(run, bytes);
    std::memset(run, 0, bytes);
    return run;
}

void ReleaseRunBytes(void* run, std::size_t bytes) {
    if (run != nullptr) {
        Poison(static_cast<unsigned char*>(run), bytes);
    }
}

void EmptyRuns(RefRuns& runs) {
    for (const RefRunBlock& block : runs.blocks) {
        Poison(block.bytes.get(), block.size);
    }
    runs.block = 0;
    runs.used = 0;
}

CORVANE_HARNESS_END
