// The read request: the file mapped, then decoded in place. Only the pages of
// the header, skins, texture coordinates, triangles and each frame's header
// are read from it here; the chosen frame's vertices are read at the import.
#include "import/read_request.h"

#include <cstdint>

#include "host_api/host_requests.h"
#include "platform/platform.h"
#include "util/text.h"

namespace {

constexpr char16_t kCannotOpenText[] = u"Could not open file for reading.";
constexpr char16_t kNoGeometryText[] = u"No geometry found.";

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
    // No offset, and so no file, goes past kMd2LargestOffset bytes.
    const PlatformViewResult mapped =
        PlatformMapFile(path, static_cast<std::size_t>(kMd2LargestOffset), &record->file);
    if (mapped != kViewMapped) {
        if (mapped == kViewNotOpened) {
            TextPairFromWide(&scene->errorText, kCannotOpenText);
        }
        return kAnswerFailed;
    }
    U16Copy(record->sourcePath, kTextPairUnits, path);

    const PlatformFileView& file = record->file;
    const int answer = ReadAnswer(
        ParseMd2InPlace(file.bytes, static_cast<std::uint32_t>(file.length), &record->model), &scene->errorText);
    if (answer != kAnswerDone) {
        ReleaseImportRecord(record);
    }
    return answer;
}
