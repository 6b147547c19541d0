#include "md2tool/tool_files.h"

#include <algorithm>
#include <cstring>
#include <fstream>
#include <memory>
#include <random>
#include <system_error>

#include "md2/md2_format.h"
#include "md2tool/large_bytes.h"

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

// The file's length, at most what the tools take.
bool FileLength(const std::filesystem::path& file, const std::string& name, std::size_t* length, std::string* error) {
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
    *length = static_cast<std::size_t>(size);
    return true;
}

bool ReadInto(const std::filesystem::path& file, const std::string& name, std::uint8_t* bytes, std::size_t length,
              std::string* error) {
    std::ifstream in(file, std::ios::binary);
    in.read(reinterpret_cast<char*>(bytes), static_cast<std::streamsize>(length));
    if (!in || in.gcount() != static_cast<std::streamsize>(length)) {
        *error = "cannot read " + name;
        return false;
    }
    return true;
}

bool ReadWhole(const std::filesystem::path& file, const std::string& name, std::vector<std::uint8_t>* bytes,
               std::string* error) {
    std::size_t length = 0;
    if (!FileLength(file, name, &length, error)) {
        return false;
    }
    bytes->resize(length);
    return ReadInto(file, name, bytes->data(), length, error);
}

// Writes what the source makes.
bool WritePieces(const std::filesystem::path& path, const BytePieceSource& source) {
    std::ofstream file(path, std::ios::binary | std::ios::trunc);
    if (!file) {
        return false;
    }
    const bool made = source([&file](std::span<const std::uint8_t> piece) {
        file.write(reinterpret_cast<const char*>(piece.data()), static_cast<std::streamsize>(piece.size()));
        return static_cast<bool>(file);
    });
    file.close();
    return made && !file.fail();
}

// True when the file holds exactly what the source makes, compared a piece at a time.
bool ReadsBackAs(const std::filesystem::path& path, const BytePieceSource& source) {
    std::ifstream in(path, std::ios::binary);
    static constexpr std::size_t kPiece = std::size_t{2} << 20;
    const LargeBytes buffer = NewLargeBytes(kPiece);
    const bool same = in && buffer && source([&in, &buffer](std::span<const std::uint8_t> piece) {
        while (!piece.empty()) {
            const std::size_t n = std::min(kPiece, piece.size());
            in.read(reinterpret_cast<char*>(buffer.get()), static_cast<std::streamsize>(n));
            if (static_cast<std::size_t>(in.gcount()) != n || std::memcmp(buffer.get(), piece.data(), n) != 0) {
                return false;
            }
            piece = piece.subspan(n);
        }
        return true;
    });
    return same && in.peek() == std::char_traits<char>::eof();
}

// True when `bytes` are exactly what the source makes.
bool SameAs(const std::vector<std::uint8_t>& bytes, const BytePieceSource& source) {
    std::size_t at = 0;
    return source([&bytes, &at](std::span<const std::uint8_t> piece) {
               if (piece.size() > bytes.size() - at || !std::equal(piece.begin(), piece.end(), bytes.begin() + at)) {
                   return false;
               }
               at += piece.size();
               return true;
           }) &&
           at == bytes.size();
}

bool ReplaceWith(const std::string& path, const BytePieceSource& source, const ReadBackCheck& check,
                 std::string* error) {
    const std::filesystem::path target = ReplacedFile(ToolPath(path));
    const std::filesystem::path temporary = TemporaryBeside(target);
    const std::string temporaryName = ToolPathText(temporary.filename());
    std::error_code ignored;
    const bool existed = std::filesystem::exists(target, ignored);
    std::string why;
    std::vector<std::uint8_t> readBack;
    if (!WritePieces(temporary, source)) {
        why = "cannot write " + temporaryName + " beside it";
    } else if (check ? !ReadWhole(temporary, temporaryName, &readBack, &why) || !SameAs(readBack, source)
                     : !ReadsBackAs(temporary, source)) {
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

bool ReadFileLarge(const std::string& path, ToolFileBytes* file, std::string* error) {
    std::size_t length = 0;
    if (!FileLength(ToolPath(path), path, &length, error)) {
        return false;
    }
    file->bytes = NewLargeBytes(length);
    file->length = length;
    if (!file->bytes) {
        *error = "not enough memory to read " + path;
        return false;
    }
    return ReadInto(ToolPath(path), path, file->bytes.get(), length, error);
}

bool WriteFileReplacing(const std::string& path, std::span<const std::uint8_t> bytes, const ReadBackCheck& check,
                        std::string* error) {
    return ReplaceWith(path, [bytes](const BytePieces& put) { return put(bytes); }, check, error);
}

bool WriteFileReplacingPieces(const std::string& path, const BytePieceSource& source, std::string* error) {
    return ReplaceWith(path, source, {}, error);
}
