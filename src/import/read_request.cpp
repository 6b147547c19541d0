// The read request: the whole file into one buffer, then decoded from memory.
#include "import/read_request.h"

#include <cstdint>
#include <cstdio>

#include "host_api/host_requests.h"
#include "platform/platform.h"
#include "util/large_buffer.h"
#include "util/text.h"

namespace {

constexpr char16_t kCannotOpenText[] = u"Could not open file for reading.";
constexpr char16_t kNoGeometryText[] = u"No geometry found.";

// The whole file in memory; the model takes it over.
struct FileBytes {
    std::uint8_t* bytes;
    std::uint32_t length;
};

// Reads the whole file. Fails when the length cannot be taken, is past
// kMd2LargestOffset, memory runs out, fewer bytes arrive than the length
// promised, or more are left after them. Every byte of the buffer is written
// by the read, so it is not zero-filled first.
bool ReadWholeFile(std::FILE* file, FileBytes* out) {
    *out = FileBytes{};
    if (std::fseek(file, 0, SEEK_END) != 0) {
        return false;
    }
    long end = std::ftell(file);
    if (end < 0 || end > kMd2LargestOffset || std::fseek(file, 0, SEEK_SET) != 0) {
        return false;
    }
    const std::uint32_t length = static_cast<std::uint32_t>(end);
    std::uint8_t* bytes = NewLargeBuffer(length);
    if (bytes == nullptr) {
        return false;
    }
    if (std::fread(bytes, 1, length, file) != length || std::fgetc(file) != EOF) {
        DeleteLargeBuffer(bytes, length);
        return false;
    }
    *out = FileBytes{bytes, length};
    return true;
}

}  // namespace

int ReadAnswer(Md2ParseResult result, TextPair* errorText) {
    switch (result) {
        case Md2ParseResult::kLoaded:
            return kAnswerDone;
        case Md2ParseResult::kNotMd2:
            return kAnswerNotMd2;
        case Md2ParseResult::kNoGeometry:
            if (errorText != nullptr) {
                TextPairFromWide(errorText, kNoGeometryText);
            }
            return kAnswerFailed;
        default:
            return kAnswerFailed;
    }
}

int LoadMd2File(HostScene* scene, ImportRecord* record) {
    if (scene == nullptr || record == nullptr) {
        return kAnswerFailed;
    }
    ReleaseImportRecord(record);

    // The host's path, terminated within its pair whatever the host left there.
    char16_t path[kTextPairUnits];
    U16Copy(path, kTextPairUnits, scene->filePath.wide);
    std::FILE* file = PlatformOpenFile(path, "rb");
    if (file == nullptr) {
        TextPairFromWide(&scene->errorText, kCannotOpenText);
        return kAnswerFailed;
    }
    FileBytes contents{};
    const bool read = ReadWholeFile(file, &contents);
    std::fclose(file);
    if (!read) {
        return kAnswerFailed;
    }
    U16Copy(record->sourcePath, kTextPairUnits, path);

    const int answer = ReadAnswer(ParseMd2Adopting(contents.bytes, contents.length, &record->model), &scene->errorText);
    if (answer != kAnswerDone) {
        ReleaseImportRecord(record);
    }
    return answer;
}
