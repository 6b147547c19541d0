// Arrays taken with new (std::nothrow): null when memory runs out, and freed
// by their owner on every path out of the code that took them. Nothing here
// throws.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <new>

template <typename T>
using OwnedArray = std::unique_ptr<T[]>;

// `count` zero-filled elements, at least one (so that an empty array is told
// apart from a failure); null when memory runs out.
template <typename T>
OwnedArray<T> NewOwnedArray(std::int64_t count) {
    return OwnedArray<T>(new (std::nothrow) T[static_cast<std::size_t>(count > 0 ? count : 1)]());
}
