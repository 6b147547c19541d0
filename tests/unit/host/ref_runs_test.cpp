// The reference host's pool of runs: every run zero, aligned and apart from
// the others, in place while more are taken, the blocks kept when emptied;
// under AddressSanitizer fenced and poisoned when released or emptied.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <iterator>
#include <vector>

#include "host/ref_runs.h"

#if defined(CORVANE_REF_RUNS_POISONED)
#include <sanitizer/asan_interface.h>
#endif

namespace {

// Bytes asked for, in order: small, odd, exactly a fence, larger than the
// first block, and small again after it.
const std::size_t kRunSizes[] = {1, 12, 16, 17, 40, 3, 1000, 5000, 8, 24, 2, 64};

struct Taken {
    unsigned char* at;
    std::size_t bytes;
};

std::vector<Taken> TakeAll(RefRuns& runs) {
    std::vector<Taken> taken;
    for (std::size_t i = 0; i < std::size(kRunSizes); ++i) {
        auto* at = static_cast<unsigned char*>(TakeRunBytes(runs, kRunSizes[i]));
        for (std::size_t b = 0; b < kRunSizes[i]; ++b) {
            EXPECT_EQ(at[b], 0) << "run " << i << " byte " << b;
        }
        // Each run gets its own mark, checked after all are taken.
        std::memset(at, static_cast<int>(i + 1), kRunSizes[i]);
        taken.push_back({at, kRunSizes[i]});
    }
    return taken;
}

}  // namespace

TEST(RefRuns, RunsAreZeroAlignedApartAndStayInPlace) {
    RefRuns runs;
    const std::vector<Taken> taken = TakeAll(runs);
    for (std::size_t i = 0; i < taken.size(); ++i) {
        EXPECT_EQ(reinterpret_cast<std::uintptr_t>(taken[i].at) % 16, 0u) << i;
        for (std::size_t b = 0; b < taken[i].bytes; ++b) {
            ASSERT_EQ(static_cast<std::size_t>(taken[i].at[b]), i + 1) << "run " << i << " byte " << b;
        }
        for (std::size_t j = 0; j < i; ++j) {
            const bool apart =
                taken[i].at >= taken[j].at + taken[j].bytes || taken[j].at >= taken[i].at + taken[i].bytes;
            EXPECT_TRUE(apart) << i << " and " << j;
        }
    }
}

TEST(RefRuns, EmptyingHandsOutTheSameBlocksZeroAgain) {
    RefRuns runs;
    const std::vector<Taken> first = TakeAll(runs);
    const std::size_t blocks = runs.blocks.size();
    EmptyRuns(runs);
    const std::vector<Taken> second = TakeAll(runs);
    EXPECT_EQ(runs.blocks.size(), blocks);
    EXPECT_EQ(second[0].at, first[0].at);
}

TEST(RefRuns, RecordRunsAreValueInitialisedAndNoneIsNull) {
    RefRuns runs;
    struct Pair {
        std::int32_t index;
        float weight;
    };
    EXPECT_EQ(TakeRun<Pair>(runs, 0), nullptr);
    Pair* pairs = TakeRun<Pair>(runs, 5);
    ASSERT_NE(pairs, nullptr);
    for (int i = 0; i < 5; ++i) {
        EXPECT_EQ(pairs[i].index, 0);
        EXPECT_EQ(pairs[i].weight, 0.0f);
    }
}

#if defined(CORVANE_REF_RUNS_POISONED)
TEST(RefRuns, UnderAddressSanitizerRunsAreFencedAndReleasedRunsPoisoned) {
    RefRuns runs;
    const std::vector<Taken> taken = TakeAll(runs);
    for (std::size_t i = 0; i < taken.size(); ++i) {
        EXPECT_EQ(__asan_region_is_poisoned(taken[i].at, taken[i].bytes), nullptr) << i;
        EXPECT_TRUE(__asan_address_is_poisoned(taken[i].at + taken[i].bytes)) << i;
        EXPECT_TRUE(__asan_address_is_poisoned(taken[i].at + taken[i].bytes + 15)) << i;
    }
    ReleaseRunBytes(taken[1].at, taken[1].bytes);
    EXPECT_TRUE(__asan_address_is_poisoned(taken[1].at));
    EXPECT_EQ(__asan_region_is_poisoned(taken[2].at, taken[2].bytes), nullptr);
    EmptyRuns(runs);
    for (const Taken& run : taken) {
        EXPECT_TRUE(__asan_address_is_poisoned(run.at));
    }
}
#endif
