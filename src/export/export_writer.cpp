#include "export/export_writer.h"

#include <cstring>

#include "export/export_state.h"
#include "export/frame_box.h"
#include "export/frame_encoding.h"
#include "export/frame_plan.h"
#include "host_api/host_ops.h"
#include "md2/md2_sections.h"
#include "util/float_convert.h"
#include "util/path.h"
#include "util/text.h"

namespace {

constexpr char kUntitledSkin[] = "models/untitled.tga";
// The longest skin name written, so that the 64-byte record keeps a terminator.
constexpr std::size_t kLongestSkinName = kMd2SkinBytes - 1;
// File offsets are int32 values in the header.
constexpr std::int64_t kLargestFile = kMd2LargestOffset;
// The GL command list the writer leaves: its end word alone.
constexpr std::int32_t kGlCommandsEnd = 0;

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
    const HostTextureLayer* layer = TextureLayer(material, kFirstTextureLayer);
    return layer != nullptr && layer->kind == kTextureLayerImageFile ? layer : nullptr;
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

// The header before the sections are written: magic, version 8, the counts
// and the skin size; the frame size, the frame and GL word counts and every
// offset stay 0 until the sections are in place.
Md2Header StartHeader(const ExportSettings& settings, const SceneCounts& counts) {
    Md2Header header{};
    header.ident = kMd2Ident;
    header.version = kMd2Version;
    header.skinwidth = settings.skinWidth;
    header.skinheight = settings.skinHeight;
    header.num_skins = counts.skins;
    header.num_xyz = counts.vertices;
    header.num_st = 3 * counts.triangles;
    header.num_tris = counts.triangles;
    return header;
}

// Every section's size added up; false when the file would pass the largest
// offset the header can hold.
bool FileFitsOffsets(const SceneCounts& counts, std::int64_t frames) {
    const std::int64_t frameSize = Md2FrameBytes(counts.vertices);
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
// it fits, else the untitled name. A path that ends in a separator has an
// empty file name, so it gives the directory alone. A directory whose 8-bit
// form needs more than 63 bytes never fits with a name; a path that does not
// convert gives the untitled name.
void SkinName(const HostTextureLayer& layer, const char16_t* directory, char name[kMd2SkinBytes]) {
    std::memset(name, 0, kMd2SkinBytes);

    char16_t widePath[kTextPairUnits];
    U16Copy(widePath, kTextPairUnits, layer.path.wide);
    // Room for any code page's form of 259 UTF-16 units.
    char narrowPath[4 * kTextPairUnits];
    char fileName[kTextPairUnits];
    fileName[0] = 0;
    const bool pathConverts = ToNarrow(widePath, narrowPath, sizeof(narrowPath)) > 0;
    if (pathConverts) {
        FileNameOfPathNarrow(narrowPath, fileName);
    }
    const std::size_t fileLength = std::strlen(fileName);

    char16_t wideDirectory[kLocalSkinDirectoryUnits + 1];
    std::memcpy(wideDirectory, directory, sizeof(char16_t) * kLocalSkinDirectoryUnits);
    wideDirectory[kLocalSkinDirectoryUnits] = 0;
    char narrowDirectory[kMd2SkinBytes];
    const bool directoryFits = ToNarrow(wideDirectory, narrowDirectory, kMd2SkinBytes) > 0;
    const std::size_t directoryLength = directoryFits ? std::strlen(narrowDirectory) : 0;

    if (!pathConverts) {
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

bool WriteSkins(std::FILE* file, HostScene* scene, const ExportSettings& settings) {
    for (int i = 0; i < ListCount(scene->materials); ++i) {
        const HostTextureLayer* layer = SkinLayer(&scene->materials.items[i]);
        if (layer == nullptr) {
            continue;
        }
        char name[kMd2SkinBytes];
        SkinName(*layer, settings.localSkinDirectory, name);
        if (!WriteMd2Bytes(file, reinterpret_cast<const std::uint8_t*>(name), kMd2SkinBytes)) {
            return false;
        }
    }
    return true;
}

// Every face corner in host order, scaled by the skin size.
bool WriteTexCoords(std::FILE* file, const HostScene* scene, const ExportSettings& settings) {
    for (int m = 0; m < ListCount(scene->meshes); ++m) {
        const HostMesh& mesh = scene->meshes.items[m];
        for (int f = 0; f < mesh.faceCount; ++f) {
            for (int c = 0; c < 3; ++c) {
                float u = 0;
                float v = 0;
                CornerUV(scene, mesh.faces[f], c, &u, &v);
                const Md2TexCoordRecord record = {Texel(settings.skinWidth, u), Texel(settings.skinHeight, v)};
                std::uint8_t bytes[kMd2TexCoordBytes];
                EncodeMd2TexCoord(record, bytes);
                if (!WriteMd2Bytes(file, bytes, sizeof(bytes))) {
                    return false;
                }
            }
        }
    }
    return true;
}

// Corners 2, 1, 0 of each face, with texture coordinates k + 2, k + 1, k:
// the file's winding is the opposite of the host's.
bool WriteTriangles(std::FILE* file, const HostScene* scene) {
    int k = 0;
    for (int m = 0; m < ListCount(scene->meshes); ++m) {
        const HostMesh& mesh = scene->meshes.items[m];
        for (int f = 0; f < mesh.faceCount; ++f, k += 3) {
            const std::int32_t* corners = mesh.faces[f].vertexIndices;
            Md2TriangleRecord record;
            for (int i = 0; i < 3; ++i) {
                record.index_xyz[i] = Low16(corners[2 - i]);
                record.index_st[i] = Low16(k + 2 - i);
            }
            std::uint8_t bytes[kMd2TriangleBytes];
            EncodeMd2Triangle(record, bytes);
            if (!WriteMd2Bytes(file, bytes, sizeof(bytes))) {
                return false;
            }
        }
    }
    return true;
}

// The end word of the GL command list, when the file has triangles; a file
// without triangles keeps the list empty. Answers the words written.
bool WriteGlCommands(std::FILE* file, int triangles, std::int32_t* words) {
    *words = 0;
    if (triangles <= 0) {
        return true;
    }
    std::uint8_t bytes[4];
    StoreI32LE(bytes, kGlCommandsEnd);
    *words = 1;
    return WriteMd2Bytes(file, bytes, sizeof(bytes));
}

bool WriteAllSections(std::FILE* file, ExportState* state) {
    HostScene* scene = state->scene;
    const ExportSettings& settings = *state->settings;
    SceneCounts counts{};
    if (!CountGeometry(scene, &counts)) {
        return false;
    }
    counts.skins = CountSkins(scene);
    const bool animated = HasAnimations(scene);
    if (!FileFitsOffsets(counts, ExportFrameTotal(scene))) {
        return false;
    }

    const FrameBox box = ComputeFrameBox(state);
    Md2Header header = StartHeader(settings, counts);
    if (!WriteMd2Header(file, header) || !TakeMd2Offset(file, &header.ofs_skins) ||
        !WriteSkins(file, scene, settings) || !TakeMd2Offset(file, &header.ofs_st) ||
        !WriteTexCoords(file, scene, settings) || !TakeMd2Offset(file, &header.ofs_tris) ||
        !WriteTriangles(file, scene) || !TakeMd2Offset(file, &header.ofs_frames)) {
        return false;
    }

    FrameRun run{};
    const int framesOk = animated ? WriteAnimatedFrames(state, file, box, &run) : WriteStaticFrame(state, file, box, &run);
    if (framesOk == 0) {
        return false;
    }
    if (!TakeMd2Offset(file, &header.ofs_glcmds) || !WriteGlCommands(file, counts.triangles, &header.num_glcmds) ||
        !TakeMd2Offset(file, &header.ofs_end)) {
        return false;
    }
    header.framesize = run.frameSize;
    // The frames that are in the file.
    header.num_frames = run.framesWritten;
    return std::fseek(file, 0, SEEK_SET) == 0 && WriteMd2Header(file, header) && std::fseek(file, 0, SEEK_END) == 0;
}

}  // namespace

int WriteMd2(std::FILE* file, ExportState* state) {
    if (file == nullptr || state == nullptr || state->scene == nullptr || state->settings == nullptr) {
        return 0;
    }
    return WriteAllSections(file, state) ? 1 : 0;
}
