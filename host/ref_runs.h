// Arrays that the reference host's records point into (a face's corners, a
// vertex's weights, a track's keys), carved from a few blocks that never move
// instead of one allocation each. A released run is not handed out again
// until the pool is emptied; emptying keeps the blocks for the next scene.
// Under AddressSanitizer a run behaves like a heap block of its own: the bytes
// after it stay poisoned, so a read past a face's corners is reported, and a
// released run or an emptied pool is poisoned, so a pointer kept into it is
// reported as a freed block's would be.
#pragma once

#include <cstddef>
#include <memory>
#include <new>
#include <type_traits>
#include <vector>

// Defined where runs are fenced and poisoned: under AddressSanitizer.
#if defined(__SANITIZE_ADDRESS__)
#define CORVANE_REF_RUNS_POISONED 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
#define CORVANE_REF_RUNS_POISONED 1
#endif
#endif

struct RefRunBlock {
    std::unique_ptr<unsigned char[]> bytes;
    std::size_t size;
};

struct RefRuns {
    std::vector<RefRunBlock> blocks;
    std::size_t block = 0;  // the block runs are carved from
    std::size_t used = 0;   // its bytes handed out, with their fences
};

// `bytes` bytes, zero, aligned for any record, that stay in place until the
// pool is emptied or destroyed.
void* TakeRunBytes(RefRuns& runs, std::size_t bytes);

// Takes back every run; the blocks stay for later runs.
void EmptyRuns(RefRuns& runs);

// Poisons a run that is no longer used (its memory stays taken).
void ReleaseRunBytes(void* run, std::size_t bytes);

// `count` zero records; null for none.
template <typename Record>
Record* TakeRun(RefRuns& runs, std::size_t count) {
    static_assert(std::is_trivially_copyable_v<Record> && std::is_trivially_destructible_v<Record>);
    if (count == 0) {
        return nullptr;
    }
    if (count > static_cast<std::size_t>(-1) / 2 / sizeof(Record)) {
        throw std::bad_array_new_length();
    }
    auto* run = static_cast<Record*>(TakeRunBytes(runs, count * sizeof(Record)));
    std::uninitialized_value_construct_n(run, count);
    return run;
}

template <typename Record>
void ReleaseRun(Record* run, std::size_t count) {
    ReleaseRunBytes(run, count * sizeof(Record));
}
