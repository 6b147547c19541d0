#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include "md2tool/mapped_file.h"

void MappedFileRelease::operator()(const std::uint8_t* view) const {
    munmap(const_cast<std::uint8_t*>(view), length);
}

MappedFile MapWholeFile(const std::filesystem::path& path, std::size_t largest, std::size_t* length) {
    const int file = open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (file < 0) {
        return nullptr;
    }
    struct stat status {};
    void* view = MAP_FAILED;
    // The length from the open file itself, so that the mapping never
    // reaches past the end it had when it was opened.
    if (fstat(file, &status) == 0 && S_ISREG(status.st_mode) && status.st_size > 0 &&
        static_cast<std::uint64_t>(status.st_size) <= largest) {
        int flags = MAP_PRIVATE;
#ifdef MAP_POPULATE
        flags |= MAP_POPULATE;  // every page mapped now rather than at its first touch
#endif
        view = mmap(nullptr, static_cast<std::size_t>(status.st_size), PROT_READ, flags, file, 0);
    }
    close(file);
    if (view == MAP_FAILED) {
        return nullptr;
    }
    *length = static_cast<std::size_t>(status.st_size);
    return MappedFile(static_cast<const std::uint8_t*>(view), MappedFileRelease{*length});
}
