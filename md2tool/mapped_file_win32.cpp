#include <windows.h>

#include "md2tool/mapped_file.h"

void MappedFileRelease::operator()(const std::uint8_t* view) const { UnmapViewOfFile(view); }

MappedFile MapWholeFile(const std::filesystem::path& path, std::size_t largest, std::size_t* length) {
    // Others may read the file meanwhile but not write it, and Windows
    // refuses to shorten a file while a view of it is open.
    HANDLE file = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        return nullptr;
    }
    LARGE_INTEGER size{};
    const void* view = nullptr;
    if (GetFileSizeEx(file, &size) && size.QuadPart > 0 && static_cast<std::uint64_t>(size.QuadPart) <= largest) {
        HANDLE mapping = CreateFileMappingW(file, nullptr, PAGE_READONLY, 0, 0, nullptr);
        if (mapping != nullptr) {
            view = MapViewOfFile(mapping, FILE_MAP_READ, 0, 0, 0);
            CloseHandle(mapping);  // the view keeps the mapping open
        }
    }
    CloseHandle(file);
    if (view == nullptr) {
        return nullptr;
    }
    *length = static_cast<std::size_t>(size.QuadPart);
    return MappedFile(static_cast<const std::uint8_t*>(view), MappedFileRelease{*length});
}
