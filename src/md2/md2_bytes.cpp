#include "md2/md2_bytes.h"

#include <new>

#include "platform/platform.h"

namespace {

constexpr std::align_val_t kLargePageAlignment{kPlatformLargePageBytes};

bool UsesLargePages(std::size_t length) { return length >= kPlatformLargePageBytes; }

}  // namespace

std::uint8_t* NewMd2Bytes(std::size_t length) {
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

void DeleteMd2Bytes(std::uint8_t* bytes, std::size_t length) {
    if (!UsesLargePages(length)) {
        delete[] bytes;
        return;
    }
    ::operator delete[](bytes, kLargePageAlignment);
}
