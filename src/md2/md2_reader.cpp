// The read request: the whole file into one buffer, then decoded from memory.
#include "md2/md2_reader.h"

#include <cstdint>
#include <cstdio>
#include <new>

#include "md2/md2_model.h"
#include "platform/platform.h"
#include "util/text.h"

namespace {

constexpr char16_t kCannotOpenText[] = u"Could not open file for reading.";

// Files of 2 GiB or more are refused: lengths and offsets are 32-bit values
// that the format treats as signed.
constexpr long kLargestFileBytes = 0x7FFFFFFF;

// The file's bytes, held only for the length of a read request.
std::uint8_t* gFileBytes = nullptr;
ReadCursor gCursor = {};

void ReleaseFileBuffer() {
    delete[] gFileBytes;
    gFileBytes = nullptr;
    gCursor = ReadCursor{};
}

struct ReleaseFileBufferAtUnload {
    ~ReleaseFileBufferAtUnload() { ReleaseFileBuffer(); }
} gReleaseFileBufferAtUnload;

// Reads the whole file into gFileBytes and points the cursor at it. Fails
// when the length cannot be taken, is 2 GiB or more, memory runs out, fewer
// bytes arrive than the length promised, or more are left after them.
bool ReadWholeFile(std::FILE* file) {
    if (std::fseek(file, 0, SEEK_END) != 0) {
        return false;
    }
    long end = std::ftell(file);
    if (end < 0 || end > kLargestFileBytes || std::fseek(file, 0, SEEK_SET) != 0) {
        return false;
    }
    std::uint32_t length = static_cast<std::uint32_t>(end);
    gFileBytes = new (std::nothrow) std::uint8_t[length == 0 ? 1 : length]();
    if (gFileBytes == nullptr) {
        return false;
    }
    if (std::fread(gFileBytes, 1, length, file) != length || std::fgetc(file) != EOF) {
        ReleaseFileBuffer();
        return false;
    }
    gCursor = ReadCursor{gFileBytes, 0, length};
    return true;
}

}  // namespace

int LoadMd2File(HostScene* scene) {
    if (scene == nullptr) {
        return 0;
    }
    ReleaseMd2Model();
    ReleaseFileBuffer();

    // The host's path, terminated within its pair whatever the host left there.
    char16_t path[kTextPairUnits];
    U16Copy(path, kTextPairUnits, scene->filePath.wide);
    std::FILE* file = PlatformOpenFile(path, "rb");
    if (file == nullptr) {
        TextPairFromWide(&scene->errorText, kCannotOpenText);
        return 0;
    }
    bool read = ReadWholeFile(file);
    std::fclose(file);
    if (!read) {
        return 0;
    }
    U16Copy(CurrentMd2Model()->sourcePath, kTextPairUnits, path);

    int result = ParseMd2(&gCursor, scene);
    ReleaseFileBuffer();
    if (result != 1) {
        ReleaseMd2Model();
    }
    return result;
}
