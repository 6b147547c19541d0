#include "md2tool/tool_files.h"

#include <algorithm>
#include <atomic>
#include <condition_variable>
#include <cstring>
#include <fstream>
#include <memory>
#include <mutex>
#include <random>
#include <system_error>
#include <thread>

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

// Writes what the source makes while a second thread runs the source again
// and compares each piece with the bytes read back from the file, once they
// are written: the writing and the reading back take two processors where
// there are two. The file must then hold the source's bytes, no more and no
// fewer.
enum class WriteResult { kWritten, kNotWritten, kNotReadBack };
WriteResult WriteReadingBack(const std::filesystem::path& path, const BytePieceSource& source) {
    // Neither stream buffers, so that what `written` counts is in the file.
    std::ofstream file;
    file.rdbuf()->pubsetbuf(nullptr, 0);
    file.open(path, std::ios::binary | std::ios::trunc);
    std::ifstream in;
    in.rdbuf()->pubsetbuf(nullptr, 0);
    in.open(path, std::ios::binary);
    if (!file || !in) {
        return WriteResult::kNotWritten;
    }
    std::mutex lock;
    std::condition_variable progress;
    std::uint64_t written = 0;   // under `lock`
    bool writing = true;         // under `lock`
    std::atomic<bool> differs{false};
    std::uint64_t readTotal = 0;
    bool same = false;
    const auto readBack = [&] {
        static constexpr std::size_t kPiece = std::size_t{2} << 20;
        const LargeBytes buffer = NewLargeBytes(kPiece);
        same = buffer && source([&](std::span<const std::uint8_t> piece) {
            while (!piece.empty()) {
                const std::size_t n = std::min(kPiece, piece.size());
                {
                    std::unique_lock<std::mutex> held(lock);
                    progress.wait(held, [&] { return written >= readTotal + n || !writing; });
                    if (written < readTotal + n) {
                        return false;  // the writer stopped short
                    }
                }
                in.read(reinterpret_cast<char*>(buffer.get()), static_cast<std::streamsize>(n));
                if (static_cast<std::size_t>(in.gcount()) != n || std::memcmp(buffer.get(), piece.data(), n) != 0) {
                    return false;
                }
                readTotal += n;
                piece = piece.subspan(n);
            }
            return true;
        });
        differs = !same;
    };
    std::thread reader;
    try {
        reader = std::thread(readBack);
    } catch (const std::system_error&) {
        return WriteResult::kNotWritten;  // no thread to be had
    }
    const bool made = source([&](std::span<const std::uint8_t> piece) {
        file.write(reinterpret_cast<const char*>(piece.data()), static_cast<std::streamsize>(piece.size()));
        if (!file || differs) {
            return false;
        }
        const std::lock_guard<std::mutex> held(lock);
        written += piece.size();
        progress.notify_one();
        return true;
    });
    file.close();
    {
        const std::lock_guard<std::mutex> held(lock);
        writing = false;
        progress.notify_one();
    }
    reader.join();
    if (!differs && (!made || file.fail())) {
        return WriteResult::kNotWritten;
    }
    return same && readTotal == written ? WriteResult::kWritten : WriteResult::kNotReadBack;
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
    const WriteResult written = check ? (WritePieces(temporary, source) ? WriteResult::kWritten
                                                                        : WriteResult::kNotWritten)
                                      : WriteReadingBack(temporary, source);
    if (written == WriteResult::kNotWritten) {
        why = "cannot write " + temporaryName + " beside it";
    } else if (written == WriteResult::kNotReadBack ||
               (check && (!ReadWhole(temporary, temporaryName, &readBack, &why) || !SameAs(readBack, source)))) {
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
    file->mapped = MapWholeFile(ToolPath(path), kMd2LargestOffset, &file->length);
    if (file->mapped) {
        file->data = file->mapped.get();
        return true;
    }
    std::size_t length = 0;
    if (!FileLength(ToolPath(path), path, &length, error)) {
        return false;
    }
    file->read = NewLargeBytes(length);
    file->data = file->read.get();
    file->length = length;
    if (!file->read) {
        *error = "not enough memory to read " + path;
        return false;
    }
    return ReadInto(ToolPath(path), path, file->read.get(), length, error);
}

bool WriteFileReplacing(const std::string& path, std::span<const std::uint8_t> bytes, const ReadBackCheck& check,
                        std::string* error) {
    return ReplaceWith(path, [bytes](const BytePieces& put) { return put(bytes); }, check, error);
}

bool WriteFileReplacingPieces(const std::string& path, const BytePieceSource& source, std::string* error) {
    return ReplaceWith(path, source, {}, error);
}
