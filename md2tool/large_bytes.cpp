#include "md2tool/large_bytes.h"

#include <new>

namespace {

constexpr std::size_t kLargePageBytes = std::size_t{2} << 20;
constexpr std::align_val_t kLargePageAlignment{kLargePageBytes};

}  // namespace

void LargeBytesRelease::operator()(std::uint8_t* bytes) const {
    if (length < kLargePageBytes) {
        delete[] bytes;
    } else {
        ::operator delete[](bytes, kLargePageAlignment);
    }
}

LargeBytes NewLargeBytes(std::size_t length) {
    if (length < kLargePageBytes) {
        return LargeBytes(new (std::nothrow) std::uint8_t[length], LargeBytesRelease{length});
    }
    auto* bytes = static_cast<std::uint8_t*>(::operator new[](length, kLargePageAlignment, std::nothrow));
    if (bytes != nullptr) {
        // The whole large pages of the buffer; the rest keeps small pages.
        PreferLargePages(bytes, length / kLargePageBytes * kLargePageBytes);
    }
    return LargeBytes(bytes, LargeBytesRelease{length});
}
