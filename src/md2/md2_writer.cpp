#include "md2/md2_writer.h"

#include <cstring>
#include <new>

#include "export/export_settings.h"
#include "md2/frame_encoding.h"
#include "md2/kept_frames.h"
#include "plugin/host_ops.h"
#include "plugin/plugin_state.h"
#include "util/float_convert.h"
#include "util/path.h"
#include "util/text.h"

// --- Working arrays ----------------------------------------------------------------

namespace {

template <typename T>
void ReleaseArray(T** items, int* count) {
    delete[] *items;
    *items = nullptr;
    *count = 0;
}

template <typename T>
bool AllocArray(T** items, int* count, int wanted) {
    ReleaseArray(items, count);
    if (wanted <= 0) {
        return false;
    }
    *items = new (std::nothrow) T[static_cast<std::size_t>(wanted)]();
    if (*items == nullptr) {
        return false;
    }
    *count = wanted;
    return true;
}

}  // namespace

bool AllocTexCoordCopy(ExportArrays* arrays, int count) {
    return AllocArray(&arrays->texCoords, &arrays->texCoordCount, count);
}

bool AllocTriangleCopy(ExportArrays* arrays, int count) {
    return AllocArray(&arrays->triangles, &arrays->triangleCount, count);
}

void ReleaseExportArrays(ExportArrays* arrays) {
    ReleaseArray(&arrays->texCoords, &arrays->texCoordCount);
    ReleaseArray(&arrays->triangles, &arrays->triangleCount);
    ReleaseArray(&arrays->glCommands, &arrays->glCommandCount);
    arrays->glCommandsWritten = 0;
}

bool BuildGlCommands(ExportArrays* arrays) {
    if (arrays->texCoords == nullptr || arrays->triangles == nullptr) {
        return false;
    }
    if (!AllocArray(&arrays->glCommands, &arrays->glCommandCount, 1)) {
        arrays->glCommandsWritten = 0;
        return false;
    }
    arrays->glCommands[0] = 0;  // end of the (empty) command list
    arrays->glCommandsWritten = 1;
    return true;
}

// --- Writing -----------------------------------------------------------------------

namespace {

constexpr char kUntitledSkin[] = "models/untitled.tga";
// The longest skin name written, so that the 64-byte record keeps a terminator.
constexpr std::size_t kLongestSkinName = kMd2SkinBytes - 1;
// File offsets are int32 values in the header.
constexpr std::int64_t kLargestFile = INT32_MAX;

template <typename T>
int ListCount(const HostList<T>& list) {
    return list.items != nullptr && list.count > 0 ? list.count : 0;
}

struct SceneCounts {
    int vertices;   // V
    int triangles;  // T
    int skins;      // S
};

// Counts triangles and vertices, and checks what the writer and the frame
// encoder rely on: every face is a triangle whose corners name scene
// vertices, and 3 T fits an int32.
bool CountGeometry(const HostScene* scene, SceneCounts* counts) {
    counts->vertices = ListCount(scene->vertices);
    std::int64_t triangles = 0;
    for (int m = 0; m < ListCount(scene->meshes); ++m) {
        const HostMesh& mesh = scene->meshes.items[m];
        if (mesh.faceCount <= 0) {
            continue;
        }
        if (mesh.faces == nullptr) {
            return false;
        }
        for (int f = 0; f < mesh.faceCount; ++f) {
            const HostFace& face = mesh.faces[f];
            if (face.cornerCount != 3 || face.vertexIndices == nullptr) {
                return false;
            }
            for (int c = 0; c < 3; ++c) {
                if (face.vertexIndices[c] < 0 || face.vertexIndices[c] >= counts->vertices) {
                    return false;
                }
            }
        }
        triangles += mesh.faceCount;
        if (3 * triangles > INT32_MAX) {
            return false;
        }
    }
    counts->triangles = static_cast<int>(triangles);
    return true;
}

// Layer 0 of the material when it is an image file, else null.
const HostTextureLayer* SkinLayer(HostMaterial* material) {
    const HostTextureLayer* layer = TextureLayer(material, 0);
    return layer != nullptr && layer->kind == 1 ? layer : nullptr;
}

int CountSkins(HostScene* scene) {
    int skins = 0;
    for (int i = 0; i < ListCount(scene->materials); ++i) {
        if (SkinLayer(&scene->materials.items[i]) != nullptr) {
            ++skins;
        }
    }
    return skins;
}

// Every section's size added up; false when the file would pass the largest
// offset the header can hold.
bool FileFitsOffsets(const SceneCounts& counts, std::int64_t frames) {
    const std::int64_t frameSize = kMd2FrameHeaderBytes + std::int64_t{kMd2VertexBytes} * counts.vertices;
    std::int64_t size = kMd2HeaderBytes + std::int64_t{kMd2SkinBytes} * counts.skins +
                        std::int64_t{kMd2TexCoordBytes} * 3 * counts.triangles +
                        std::int64_t{kMd2TriangleBytes} * counts.triangles + (counts.triangles > 0 ? 4 : 0);
    if (size > kLargestFile || (frames > 0 && frameSize > (kLargestFile - size) / frames)) {
        return false;
    }
    return true;
}

// The skin's name in the file: the local skin directory followed by the
// image's file name when both fit in 63 bytes, else the file name alone when
// it fits, else the untitled name. A directory whose 8-bit form needs more
// than 63 bytes never fits with a name; a path without a file name, or one
// that does not convert, gives the untitled name.
void SkinName(const HostTextureLayer& layer, const char16_t* directory, char name[kMd2SkinBytes]) {
    std::memset(name, 0, kMd2SkinBytes);

    char16_t widePath[kTextPairUnits];
    U16Copy(widePath, kTextPairUnits, layer.path.wide);
    // Room for any code page's form of 259 UTF-16 units.
    char narrowPath[4 * kTextPairUnits];
    char fileName[kTextPairUnits];
    fileName[0] = 0;
    if (ToNarrow(widePath, narrowPath, sizeof(narrowPath)) > 0) {
        FileNameOfPathNarrow(narrowPath, fileName);
    }
    const std::size_t fileLength = std::strlen(fileName);

    char16_t wideDirectory[kLocalSkinDirectoryUnits + 1];
    std::memcpy(wideDirectory, directory, sizeof(char16_t) * kLocalSkinDirectoryUnits);
    wideDirectory[kLocalSkinDirectoryUnits] = 0;
    char narrowDirectory[kMd2SkinBytes];
    const bool directoryFits = ToNarrow(wideDirectory, narrowDirectory, kMd2SkinBytes) > 0;
    const std::size_t directoryLength = directoryFits ? std::strlen(narrowDirectory) : 0;

    if (fileLength == 0) {
        std::memcpy(name, kUntitledSkin, sizeof(kUntitledSkin));
    } else if (directoryFits && directoryLength + fileLength <= kLongestSkinName) {
        std::memcpy(name, narrowDirectory, directoryLength);
        std::memcpy(name + directoryLength, fileName, fileLength);
    } else if (fileLength <= kLongestSkinName) {
        std::memcpy(name, fileName, fileLength);
    } else {
        std::memcpy(name, kUntitledSkin, sizeof(kUntitledSkin));
    }
}

// The texture coordinates of a face corner; (0, 0) when the scene gives none.
void CornerUV(const HostScene* scene, const HostFace& face, int corner, float* u, float* v) {
    *u = 0;
    *v = 0;
    if (face.uv == nullptr || face.uv->coordIndices == nullptr || scene->texCoordSet == nullptr ||
        scene->texCoordSet->coords == nullptr) {
        return;
    }
    const int index = face.uv->coordIndices[corner];
    if (index < 0) {
        return;
    }
    *u = scene->texCoordSet->coords[index].u;
    *v = scene->texCoordSet->coords[index].v;
}

// One texel coordinate: size x coordinate in single precision, truncated
// toward zero, low 16 bits.
std::int16_t Texel(int size, float coordinate) {
    return Low16(TruncateToInt32(static_cast<float>(size) * coordinate));
}

bool WriteBytes(std::FILE* file, const std::uint8_t* bytes, std::size_t size) {
    return std::fwrite(bytes, size, 1, file) == 1;
}

bool WriteHeader(std::FILE* file, const Md2Header& header) {
    std::uint8_t bytes[kMd2HeaderBytes];
    EncodeMd2Header(header, bytes);
    return WriteBytes(file, bytes, sizeof(bytes));
}

// The current position as a header offset; false when it cannot be taken or
// does not fit.
bool TakeOffset(std::FILE* file, std::int32_t* offset) {
    const long position = std::ftell(file);
    if (position < 0 || position > kLargestFile) {
        return false;
    }
    *offset = static_cast<std::int32_t>(position);
    return true;
}

bool WriteSkins(std::FILE* file, HostScene* scene, const ExportSettings& settings) {
    for (int i = 0; i < ListCount(scene->materials); ++i) {
        const HostTextureLayer* layer = SkinLayer(&scene->materials.items[i]);
        if (layer == nullptr) {
            continue;
        }
        char name[kMd2SkinBytes];
        SkinName(*layer, settings.localSkinDirectory, name);
        if (!WriteBytes(file, reinterpret_cast<const std::uint8_t*>(name), kMd2SkinBytes)) {
            return false;
        }
    }
    return true;
}

// Every face corner in host order, scaled by the skin size.
bool WriteTexCoords(std::FILE* file, const HostScene* scene, const ExportSettings& settings,
                    ExportArrays* arrays) {
    int k = 0;
    for (int m = 0; m < ListCount(scene->meshes); ++m) {
        const HostMesh& mesh = scene->meshes.items[m];
        for (int f = 0; f < mesh.faceCount; ++f) {
            for (int c = 0; c < 3; ++c) {
                float u = 0;
                float v = 0;
                CornerUV(scene, mesh.faces[f], c, &u, &v);
                Md2TexCoordRecord& record = arrays->texCoords[k++];
                record.s = Texel(settings.skinWidth, u);
                record.t = Texel(settings.skinHeight, v);
                std::uint8_t bytes[kMd2TexCoordBytes];
                StoreI16LE(bytes, record.s);
                StoreI16LE(bytes + 2, record.t);
                if (!WriteBytes(file, bytes, sizeof(bytes))) {
                    return false;
                }
            }
        }
    }
    return true;
}

// Corners 2, 1, 0 of each face, with texture coordinates k + 2, k + 1, k:
// the file's winding is the opposite of the host's.
bool WriteTriangles(std::FILE* file, const HostScene* scene, ExportArrays* arrays) {
    int k = 0;
    int t = 0;
    for (int m = 0; m < ListCount(scene->meshes); ++m) {
        const HostMesh& mesh = scene->meshes.items[m];
        for (int f = 0; f < mesh.faceCount; ++f, k += 3) {
            const std::int32_t* corners = mesh.faces[f].vertexIndices;
            Md2TriangleRecord& record = arrays->triangles[t++];
            std::uint8_t bytes[kMd2TriangleBytes];
            for (int i = 0; i < 3; ++i) {
                record.index_xyz[i] = Low16(corners[2 - i]);
                record.index_st[i] = Low16(k + 2 - i);
                StoreI16LE(bytes + 2 * i, record.index_xyz[i]);
                StoreI16LE(bytes + 6 + 2 * i, record.index_st[i]);
            }
            if (!WriteBytes(file, bytes, sizeof(bytes))) {
                return false;
            }
        }
    }
    return true;
}

bool WriteGlCommands(std::FILE* file, const ExportArrays& arrays) {
    for (int i = 0; i < arrays.glCommandsWritten; ++i) {
        std::uint8_t bytes[4];
        StoreI32LE(bytes, arrays.glCommands[i]);
        if (!WriteBytes(file, bytes, sizeof(bytes))) {
            return false;
        }
    }
    return true;
}

bool WriteAllSections(std::FILE* file, HostScene* scene, const ExportSettings& settings, ExportArrays* arrays) {
    SceneCounts counts{};
    if (!CountGeometry(scene, &counts)) {
        return false;
    }
    const int texCoords = 3 * counts.triangles;
    if ((texCoords > 0 && !AllocTexCoordCopy(arrays, texCoords)) ||
        (counts.triangles > 0 && !AllocTriangleCopy(arrays, counts.triangles))) {
        return false;
    }
    counts.skins = CountSkins(scene);
    const bool animated = scene->animations.items != nullptr;
    if (!FileFitsOffsets(counts, ExportFrameTotal(scene))) {
        return false;
    }

    Md2Header header{};
    const FrameBox box = FillHeader(scene, &header, texCoords, counts.vertices, counts.triangles, counts.skins,
                                    settings.skinWidth, settings.skinHeight);
    if (!WriteHeader(file, header) || !TakeOffset(file, &header.ofs_skins) || !WriteSkins(file, scene, settings) ||
        !TakeOffset(file, &header.ofs_st) || !WriteTexCoords(file, scene, settings, arrays) ||
        !TakeOffset(file, &header.ofs_tris) || !WriteTriangles(file, scene, arrays) ||
        !TakeOffset(file, &header.ofs_frames)) {
        return false;
    }

    FrameRun run{};
    const int framesOk = animated ? WriteAnimatedFrames(scene, file, box, &run)
                                       : WriteStaticFrame(scene, file, box, &run);
    if (framesOk == 0) {
        return false;
    }
    // With triangles the list must hold its end word; without, it stays empty.
    if (!BuildGlCommands(arrays) && counts.triangles > 0) {
        return false;
    }
    header.num_glcmds = arrays->glCommandsWritten;
    if (!TakeOffset(file, &header.ofs_glcmds) || !WriteGlCommands(file, *arrays) ||
        !TakeOffset(file, &header.ofs_end)) {
        return false;
    }
    header.framesize = run.frameSize;
    // The frames that are in the file, whatever the settings last counted.
    header.num_frames = run.framesWritten;
    return std::fseek(file, 0, SEEK_SET) == 0 && WriteHeader(file, header) && std::fseek(file, 0, SEEK_END) == 0;
}

}  // namespace

int WriteMd2(std::FILE* file) {
    HostScene* scene = CurrentScene();
    if (file == nullptr || scene == nullptr) {
        return 0;
    }
    ExportArrays arrays{};
    const bool written = WriteAllSections(file, scene, *CurrentExportSettings(), &arrays);
    ReleaseExportArrays(&arrays);
    ReleaseKeptFrames();
    return written ? 1 : 0;
}
