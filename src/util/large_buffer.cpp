#include "util/large_buffer.h"

#include <new>

#include "platform/platform.h"

namespace {

constexpr std::align_val_t kLargePageAlignment{kPlatformLargePageBytes};

bool UsesLargePages(std::size_t length) { return length >= kPlatformLargePageBytes; }

}  // namespace

std::uint8_t* NewLargeBuffer(std::size_t length) {
    if (!UsesLargePages(length)) {
        return new (std::nothrow) std::uint8_t[length];
    }
    auto* bytes = static_cast<std::uint8_t*>(::operator new[](length, kLargePageAlignment, std::nothrow));
    if (bytes != nullptr) {
        // The whole large pages of the buffer; the rest keeps small pages.
        PlatformPreferLargePages(bytes, length / kPlatformLargePageBytes * kPlatformLargePageBytes);
    }
    return bytes;
}

void DeleteLargeBuffer(std::uint8_t* bytes, std::size_t length) {
    if (!UsesLargePages(length)) {
        delete[] bytes;
        return;
    }
    ::operator delete[](bytes, kLargePageAlignment);
}
