#include "md2tool/glcmd_rewrite.h"

#include <cstdio>
#include <filesystem>
#include <random>
#include <system_error>

#include "md2/md2_format.h"
#include "md2tool/md2_file_view.h"

namespace {

// Header field positions of the offsets.
constexpr std::size_t kOfsSkinsAt = 44;
constexpr std::size_t kOfsStAt = 48;
constexpr std::size_t kOfsTrisAt = 52;
constexpr std::size_t kOfsFramesAt = 56;
constexpr std::size_t kOfsGlcmdsAt = 60;
constexpr std::size_t kOfsEndAt = 64;
constexpr std::size_t kNumGlcmdsAt = 36;

// True when the byte ranges [a, a + aBytes) and [b, b + bBytes) share a byte.
bool Overlap(std::uint64_t a, std::uint64_t aBytes, std::uint64_t b, std::uint64_t bBytes) {
    return aBytes > 0 && bBytes > 0 && a < b + bBytes && b < a + aBytes;
}

// The old list is replaced in place when it lies in the file and shares no
// byte with another section; otherwise it is left as it is and the new list
// goes to the end of the file.
void PlaceOfList(const Md2FileView& view, std::uint32_t* at, std::uint32_t* oldBytes) {
    const Md2Header& h = view.header;
    *at = view.length;
    *oldBytes = 0;
    if (!GlCommandsInFile(view)) {
        return;
    }
    const std::uint64_t start = static_cast<std::uint32_t>(h.ofs_glcmds);
    const std::uint64_t bytes = 4ull * static_cast<std::uint32_t>(h.num_glcmds);
    const std::uint64_t sections[][2] = {
        {static_cast<std::uint32_t>(h.ofs_skins), kMd2SkinBytes * static_cast<std::uint64_t>(h.num_skins)},
        {static_cast<std::uint32_t>(h.ofs_st), kMd2TexCoordBytes * static_cast<std::uint64_t>(h.num_st)},
        {static_cast<std::uint32_t>(h.ofs_tris), kMd2TriangleBytes * static_cast<std::uint64_t>(h.num_tris)},
        {static_cast<std::uint32_t>(h.ofs_frames), Md2FrameBytes(h) * static_cast<std::uint32_t>(h.num_frames)},
        {0, kMd2HeaderBytes},
    };
    for (const auto& section : sections) {
        if (Overlap(start, bytes, section[0], section[1])) {
            return;
        }
    }
    *at = static_cast<std::uint32_t>(start);
    *oldBytes = static_cast<std::uint32_t>(bytes);
}

}  // namespace

bool AddGlCommands(const std::vector<std::uint8_t>& in, std::vector<std::uint8_t>* out, GlRewriteStats* stats,
                   std::string* error) {
    Md2FileView view;
    if (!OpenMd2View(in.data(), in.size(), &view, error)) {
        return false;
    }
    const Md2Header& h = view.header;
    if (h.skinwidth <= 0 || h.skinheight <= 0) {
        *error = "the skin size is not positive";
        return false;
    }
    if (!TrianglesInFile(view) || !TexCoordsInFile(view) || h.num_xyz < 0) {
        *error = "the triangles or texture coordinates lie outside the file";
        return false;
    }
    if (!TriangleIndicesInRange(view)) {
        *error = "a triangle names a vertex or texture coordinate outside the file's counts";
        return false;
    }
    std::vector<Md2TriangleRecord> triangles(static_cast<std::size_t>(h.num_tris));
    for (std::size_t i = 0; i < triangles.size(); ++i) {
        triangles[i] = TriangleAt(view, static_cast<int>(i));
    }
    std::vector<Md2TexCoordRecord> texCoords(static_cast<std::size_t>(h.num_st));
    for (std::size_t i = 0; i < texCoords.size(); ++i) {
        texCoords[i] = TexCoordAt(view, static_cast<int>(i));
    }
    const std::vector<std::int32_t> words = BuildGlCommandList(triangles, texCoords, h.skinwidth, h.skinheight);

    std::uint32_t at = 0;
    std::uint32_t oldBytes = 0;
    PlaceOfList(view, &at, &oldBytes);
    const std::uint64_t newBytes = 4ull * words.size();
    const std::uint64_t total = std::uint64_t{view.length} - oldBytes + newBytes;
    if (total > 0x7FFFFFFF) {
        *error = "the file would grow past the format's 2 GiB";
        return false;
    }
    out->assign(in.begin(), in.begin() + at);
    out->resize(at + newBytes);
    for (std::size_t i = 0; i < words.size(); ++i) {
        StoreI32LE(out->data() + at + 4 * i, words[i]);
    }
    out->insert(out->end(), in.begin() + at + oldBytes, in.end());

    // Sections behind the list move by the change of its length.
    const std::int64_t shift = static_cast<std::int64_t>(newBytes) - oldBytes;
    for (std::size_t field : {kOfsSkinsAt, kOfsStAt, kOfsTrisAt, kOfsFramesAt}) {
        const std::int32_t offset = LoadI32LE(in.data() + field);
        if (offset >= 0 && static_cast<std::uint32_t>(offset) >= at + oldBytes && oldBytes + newBytes > 0) {
            StoreI32LE(out->data() + field, static_cast<std::int32_t>(offset + shift));
        }
    }
    StoreI32LE(out->data() + kNumGlcmdsAt, static_cast<std::int32_t>(words.size()));
    StoreI32LE(out->data() + kOfsGlcmdsAt, static_cast<std::int32_t>(at));
    StoreI32LE(out->data() + kOfsEndAt, static_cast<std::int32_t>(total));
    stats->triangles = h.num_tris;
    stats->words = static_cast<int>(words.size());
    stats->runs = CountGlRuns(words);
    return true;
}

bool WriteFileReplacing(const std::string& path, const std::vector<std::uint8_t>& bytes, std::string* error) {
    std::random_device random;
    const std::string temporary = path + ".tmp" + std::to_string(random() % 1000000u);
    std::FILE* file = std::fopen(temporary.c_str(), "wb");
    if (file == nullptr) {
        *error = "cannot create " + temporary;
        return false;
    }
    const bool written = std::fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size();
    const bool closed = std::fclose(file) == 0;
    std::error_code ignored;
    if (!written || !closed) {
        std::filesystem::remove(temporary, ignored);
        *error = "cannot write " + temporary;
        return false;
    }
    std::error_code renamed;
    std::filesystem::rename(temporary, path, renamed);
    if (renamed) {
        std::filesystem::remove(temporary, ignored);
        *error = "cannot replace " + path + ": " + renamed.message();
        return false;
    }
    return true;
}

bool RewriteWithGlCommands(const std::string& inPath, const std::string& outPath, GlRewriteStats* stats,
                           std::string* error) {
    std::vector<std::uint8_t> in;
    std::vector<std::uint8_t> out;
    if (!ReadFileBytes(inPath, &in, error)) {
        return false;
    }
    if (!AddGlCommands(in, &out, stats, error)) {
        *error = inPath + ": " + *error;
        return false;
    }
    return WriteFileReplacing(outPath, out, error);
}
