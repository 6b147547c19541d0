#include "md2tool/tool_files.h"

#include <algorithm>
#include <cstring>
#include <fstream>
#include <random>
#include <system_error>

#include "md2/md2_format.h"

namespace {

// The file a symbolic link leads to, so that replacing it keeps the link.
std::filesystem::path ReplacedFile(const std::filesystem::path& target) {
    std::error_code error;
    if (std::filesystem::is_symlink(target, error)) {
        const std::filesystem::path resolved = std::filesystem::weakly_canonical(target, error);
        if (!error) {
            return resolved;
        }
    }
    return target;
}

std::filesystem::path TemporaryBeside(const std::filesystem::path& target) {
    std::random_device random;
    std::filesystem::path temporary = target;
    temporary += ".tmp" + std::to_string(random() % 1000000u);
    return temporary;
}

bool ReadWhole(const std::filesystem::path& file, const std::string& name, std::vector<std::uint8_t>* bytes,
               std::string* error) {
    std::error_code failed;
    const std::uintmax_t size = std::filesystem::file_size(file, failed);
    if (failed) {
        *error = "cannot open " + name + ": " + failed.message();
        return false;
    }
    if (size > static_cast<std::uintmax_t>(kMd2LargestOffset)) {
        *error = "cannot read " + name + ": 2 GiB or more";
        return false;
    }
    std::ifstream in(file, std::ios::binary);
    bytes->resize(static_cast<std::size_t>(size));
    in.read(reinterpret_cast<char*>(bytes->data()), static_cast<std::streamsize>(bytes->size()));
    if (!in || in.gcount() != static_cast<std::streamsize>(bytes->size())) {
        *error = "cannot read " + name;
        return false;
    }
    return true;
}

// True when the file holds exactly `bytes`, compared a piece at a time.
bool ReadsBackAs(const std::filesystem::path& path, std::span<const std::uint8_t> bytes) {
    std::ifstream in(path, std::ios::binary);
    std::vector<char> piece(1 << 20);
    std::size_t at = 0;
    while (in && at < bytes.size()) {
        in.read(piece.data(), static_cast<std::streamsize>(std::min(piece.size(), bytes.size() - at)));
        const std::size_t got = static_cast<std::size_t>(in.gcount());
        if (got == 0 || std::memcmp(piece.data(), bytes.data() + at, got) != 0) {
            return false;
        }
        at += got;
    }
    return at == bytes.size() && in.peek() == std::char_traits<char>::eof();
}

bool WriteWhole(const std::filesystem::path& path, std::span<const std::uint8_t> bytes) {
    std::ofstream file(path, std::ios::binary | std::ios::trunc);
    if (!file) {
        return false;
    }
    file.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    file.close();
    return !file.fail();
}

}  // namespace

std::filesystem::path ToolPath(const std::string& utf8) {
    return std::filesystem::path(std::u8string(utf8.begin(), utf8.end()));
}

std::string ToolPathText(const std::filesystem::path& path) {
    const std::u8string text = path.u8string();
    return std::string(text.begin(), text.end());
}

bool ReadFileBytes(const std::string& path, std::vector<std::uint8_t>* bytes, std::string* error) {
    return ReadWhole(ToolPath(path), path, bytes, error);
}

bool WriteFileReplacing(const std::string& path, std::span<const std::uint8_t> bytes, const ReadBackCheck& check,
                        std::string* error) {
    const std::filesystem::path target = ReplacedFile(ToolPath(path));
    const std::filesystem::path temporary = TemporaryBeside(target);
    const std::string temporaryName = ToolPathText(temporary.filename());
    std::error_code ignored;
    const bool existed = std::filesystem::exists(target, ignored);
    std::string why;
    std::vector<std::uint8_t> readBack;
    if (!WriteWhole(temporary, bytes)) {
        why = "cannot write " + temporaryName + " beside it";
    } else if (check ? !ReadWhole(temporary, temporaryName, &readBack, &why) ||
                           !std::equal(readBack.begin(), readBack.end(), bytes.begin(), bytes.end())
                     : !ReadsBackAs(temporary, bytes)) {
        why = "the written bytes do not read back";
    } else if (check && !check(readBack, &why)) {
        why = "the written file fails its check: " + why;
    } else {
        std::error_code renamed;
        std::filesystem::rename(temporary, target, renamed);
        if (!renamed) {
            return true;
        }
        why = "cannot replace it: " + renamed.message();
    }
    std::filesystem::remove(temporary, ignored);
    *error = path + ": " + why + (existed ? "; the file was left as it was" : "; nothing was written");
    return false;
}
