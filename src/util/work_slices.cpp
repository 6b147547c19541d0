#include "util/work_slices.h"

#include "platform/platform.h"

namespace {

struct Slice {
    SliceWork work;
    void* context;
    SliceRange range;
    bool done;
};

void RunSlice(void* argument) {
    Slice* slice = static_cast<Slice*>(argument);
    slice->done = slice->work(slice->range, slice->context);
}

}  // namespace

bool RunWorkSlices(int count, int slices, SliceWork work, void* context) {
    if (count <= 0 || work == nullptr) {
        return count <= 0;
    }
    slices = slices < 1 ? 1 : (slices > kMostWorkSlices ? kMostWorkSlices : slices);
    slices = slices > count ? count : slices;
    Slice parts[kMostWorkSlices] = {};
    PlatformThread* threads[kMostWorkSlices] = {};
    for (int s = 0; s < slices; ++s) {
        const SliceRange range = {s, slices, static_cast<int>(static_cast<long long>(count) * s / slices),
                                  static_cast<int>(static_cast<long long>(count) * (s + 1) / slices)};
        parts[s] = Slice{work, context, range, false};
        if (s + 1 < slices) {
            threads[s] = PlatformStartThread(RunSlice, &parts[s]);
        }
    }
    for (int s = 0; s < slices; ++s) {
        if (threads[s] == nullptr) {
            RunSlice(&parts[s]);
        }
    }
    bool done = true;
    for (int s = 0; s < slices; ++s) {
        PlatformJoinThread(threads[s]);
        done = done && parts[s].done;
    }
    return done;
}

int GainfulSlices(int count, long long itemCost, long long leastPerSlice) {
    const long long total = count > 0 && itemCost > 0 ? count * itemCost : 0;
    long long slices = leastPerSlice > 0 ? total / leastPerSlice : 1;
    const int processors = PlatformProcessorCount();
    slices = slices < processors ? slices : processors;
    slices = slices < kMostWorkSlices ? slices : kMostWorkSlices;
    slices = slices < count ? slices : count;
    return slices < 1 ? 1 : static_cast<int>(slices);
}
