// Work over a range of items split into contiguous slices that run side by
// side: every slice but the last on a thread of its own, the last on the
// calling thread (which therefore does the range's end last, as a single
// pass would). A slice whose thread does not start runs on the calling
// thread, before the last one.
#pragma once

// Most slices a range is split into.
constexpr int kMostWorkSlices = 8;

// One slice: items [first, end), the slice's index among `count` slices.
struct SliceRange {
    int index;
    int count;
    int first;
    int end;
};

// What one slice does, with the caller's context. Answers false when it failed.
using SliceWork = bool (*)(const SliceRange& range, void* context);

// Splits [0, count) into `slices` (1 to kMostWorkSlices, at most count)
// slices of nearly equal length and runs `work` on each; true when every
// slice answered true. Nothing runs for an empty range.
bool RunWorkSlices(int count, int slices, SliceWork work, void* context);

// The slices worth running for `count` items of `itemCost` units each when a
// slice should have at least `leastPerSlice` units: one per processor at
// most, never more than kMostWorkSlices or the items, at least 1.
int GainfulSlices(int count, long long itemCost, long long leastPerSlice);
