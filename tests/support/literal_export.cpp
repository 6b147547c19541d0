#include "support/literal_export.h"

#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <string>

#include "anim/frame_sampling.h"
#include "anim/model_bounds.h"
#include "anim/pose_evaluation.h"
#include "anim/pose_state.h"
#include "export/export_settings.h"
#include "export/export_target.h"
#include "scene/axis_conversion.h"
#include "export/frame_encoding.h"
#include "md2/md2_format.h"
#include "md2/md2_sections.h"
#include "host_api/host_ops.h"
#include "support/literal_normal_index.h"
#include "util/float_convert.h"
#include "util/path.h"
#include "util/text.h"
#include "plugin/plugin_state.h"

namespace {

bool Put(std::FILE* file, const void* bytes, std::size_t size) { return std::fwrite(bytes, size, 1, file) == 1; }

// The export's rules written out on their own, so that the identity tests
// also guard them: frames per animation, the shared box's scale, the
// coordinate bytes and the frame names.

float FrameRate(const HostAnimation& animation) { return animation.frameRate == 0 ? 30.0f : animation.frameRate; }

// ceil(end x fps) frames, at least 1; more than 2^24 frames are 2^24.
int FrameCount(HostAnimation* animation) {
    float start = 0;
    float end = 0;
    GetTimeRange(animation, &start, &end);
    const float frames = std::ceil(end * FrameRate(*animation));
    if (!(frames >= 1)) {
        return 1;
    }
    return frames >= 16777216.0f ? 16777216 : static_cast<int>(frames);
}

// 1 / (255 / size), with 1 for a flat axis.
float Scale(float size) {
    if (size == 0) {
        return 1;
    }
    const float inverse = 255.0f / size;
    return inverse == 0 ? inverse : 1.0f / inverse;
}

// The low byte of (position - translate) / scale truncated toward zero;
// 0 where the quotient has no 64-bit integer.
std::uint8_t CoordinateByte(float position, float translate, float scale) {
    float d = position - translate;
    if (scale != 0) {
        d /= scale;
    }
    if (!(d >= -9223372036854775808.0f && d < 9223372036854775808.0f)) {
        return 0;
    }
    return static_cast<std::uint8_t>(static_cast<std::uint64_t>(static_cast<std::int64_t>(d)) & 0xFF);
}

// Stem and number with a terminator in 16 bytes: the stem gives way, at a
// whole character, to the number.
void FrameName(char name[kMd2FrameNameChars], const char* stem, int number) {
    const std::string digits = std::to_string(number);
    const std::size_t stemLength = strnlen(stem, kTextPairUnits - 1);
    const std::size_t kept = WholeCharacterPrefix(stem, stemLength, kMd2FrameNameChars - 1 - digits.size());
    std::memset(name, 0, kMd2FrameNameChars);
    std::memcpy(name, stem, kept);
    std::memcpy(name + kept, digits.data(), digits.size());
}

const HostTextureLayer* SkinLayer(HostMaterial* material) {
    const HostTextureLayer* layer = TextureLayer(material, 0);
    return layer != nullptr && layer->kind == 1 ? layer : nullptr;
}

void SkinName(const HostTextureLayer& layer, const char16_t* directory, char name[kMd2SkinBytes]) {
    static const char kUntitled[] = "models/untitled.tga";
    std::memset(name, 0, kMd2SkinBytes);
    char16_t widePath[kTextPairUnits];
    U16Copy(widePath, kTextPairUnits, layer.path.wide);
    char narrowPath[4 * kTextPairUnits];
    char file[kTextPairUnits] = {};
    const bool converted = ToNarrow(widePath, narrowPath, sizeof(narrowPath)) > 0;
    if (converted) {
        FileNameOfPathNarrow(narrowPath, file);
    }
    char16_t wideDirectory[kLocalSkinDirectoryUnits + 1] = {};
    std::memcpy(wideDirectory, directory, sizeof(char16_t) * kLocalSkinDirectoryUnits);
    char narrowDirectory[kMd2SkinBytes];
    const bool directoryFits = ToNarrow(wideDirectory, narrowDirectory, kMd2SkinBytes) > 0;
    const std::string composed = std::string(directoryFits ? narrowDirectory : "") + file;
    if (!converted) {
        std::memcpy(name, kUntitled, sizeof(kUntitled));
    } else if (directoryFits && composed.size() < kMd2SkinBytes) {
        std::memcpy(name, composed.data(), composed.size());
    } else if (std::strlen(file) < kMd2SkinBytes) {
        std::memcpy(name, file, std::strlen(file));
    } else {
        std::memcpy(name, kUntitled, sizeof(kUntitled));
    }
}

void PutHeader(std::FILE* file, const Md2Header& header, bool* ok) {
    std::uint8_t bytes[kMd2HeaderBytes];
    EncodeMd2Header(header, bytes);
    *ok = *ok && Put(file, bytes, sizeof(bytes));
}

std::int32_t Offset(std::FILE* file) { return static_cast<std::int32_t>(std::ftell(file)); }

// The posed vertices as one frame, the frame header in one write and every
// vertex in a write of its own.
void PutFrame(std::FILE* file, const PoseState& pose, const Vector3& scale, const Vector3& translate, const char* stem, int number,
              bool* ok) {
    std::uint8_t head[kMd2FrameHeaderBytes];
    const float box[6] = {scale.x, scale.y, scale.z, translate.x, translate.y, translate.z};
    for (int k = 0; k < 6; ++k) {
        StoreF32LE(head + 4 * k, box[k]);
    }
    FrameName(reinterpret_cast<char*>(head + 24), stem, number);
    *ok = *ok && Put(file, head, sizeof(head));
    for (int v = 0; v < pose.posedVertices.count && *ok; ++v) {
        const PosedVertex& posed = pose.posedVertices.items[v];
        const std::uint8_t bytes[4] = {CoordinateByte(posed.position.x, translate.x, scale.x),
                                       CoordinateByte(posed.position.y, translate.y, scale.y),
                                       CoordinateByte(posed.position.z, translate.z, scale.z),
                                       static_cast<std::uint8_t>(BruteForceNormalIndex(posed.normal))};
        *ok = Put(file, bytes, sizeof(bytes));
    }
}

bool WriteLiteralMd2(std::FILE* file, PoseState* pose, HostScene* scene, const ExportSettings& settings) {
    const int vertices = ListCount(scene->vertices);
    int triangles = 0;
    for (int m = 0; m < ListCount(scene->meshes); ++m) {
        const HostMesh& mesh = scene->meshes.items[m];
        for (int f = 0; f < mesh.faceCount; ++f) {
            if (mesh.faces[f].cornerCount != 3) {
                return false;
            }
        }
        triangles += mesh.faceCount > 0 ? mesh.faceCount : 0;
    }
    if (pose->posedVertices.count != vertices || vertices == 0) {
        return false;
    }
    int skins = 0;
    for (int i = 0; i < ListCount(scene->materials); ++i) {
        skins += SkinLayer(&scene->materials.items[i]) != nullptr ? 1 : 0;
    }
    const int animations = ListCount(scene->animations);

    // First pass over every frame: the bounds.
    ModelBounds bounds{};
    InitBindPose(pose);
    if (animations > 0) {
        AnimatedBounds(pose, scene, &bounds);
    } else {
        StaticBounds(scene, &bounds);
    }
    const Vector3 scale = {Scale(bounds.size.x), Scale(bounds.size.y), Scale(bounds.size.z)};
    const Vector3 translate = bounds.min;

    Md2Header header{};
    header.ident = kMd2Ident;
    header.version = kMd2Version;
    header.skinwidth = settings.skinWidth;
    header.skinheight = settings.skinHeight;
    header.num_skins = skins;
    header.num_xyz = vertices;
    header.num_st = 3 * triangles;
    header.num_tris = triangles;
    bool ok = true;
    PutHeader(file, header, &ok);

    header.ofs_skins = Offset(file);
    for (int i = 0; i < ListCount(scene->materials) && ok; ++i) {
        if (const HostTextureLayer* layer = SkinLayer(&scene->materials.items[i])) {
            char name[kMd2SkinBytes];
            SkinName(*layer, settings.localSkinDirectory, name);
            ok = Put(file, name, kMd2SkinBytes);
        }
    }

    header.ofs_st = Offset(file);
    const HostTexCoordSet* uvSet = scene->texCoordSet;
    for (int m = 0; m < ListCount(scene->meshes) && ok; ++m) {
        const HostMesh& mesh = scene->meshes.items[m];
        for (int f = 0; f < mesh.faceCount && ok; ++f) {
            const HostFace& face = mesh.faces[f];
            for (int c = 0; c < 3 && ok; ++c) {
                float u = 0;
                float v = 0;
                if (face.uv != nullptr && face.uv->coordIndices != nullptr && uvSet != nullptr &&
                    uvSet->coords != nullptr && face.uv->coordIndices[c] >= 0) {
                    u = uvSet->coords[face.uv->coordIndices[c]].u;
                    v = uvSet->coords[face.uv->coordIndices[c]].v;
                }
                std::uint8_t bytes[4];
                StoreI16LE(bytes, Low16(TruncateToInt32(static_cast<float>(settings.skinWidth) * u)));
                StoreI16LE(bytes + 2, Low16(TruncateToInt32(static_cast<float>(settings.skinHeight) * v)));
                ok = Put(file, bytes, sizeof(bytes));
            }
        }
    }

    header.ofs_tris = Offset(file);
    int corner = 0;
    for (int m = 0; m < ListCount(scene->meshes) && ok; ++m) {
        const HostMesh& mesh = scene->meshes.items[m];
        for (int f = 0; f < mesh.faceCount && ok; ++f, corner += 3) {
            std::uint8_t bytes[12];
            for (int i = 0; i < 3; ++i) {
                StoreI16LE(bytes + 2 * i, Low16(mesh.faces[f].vertexIndices[2 - i]));
                StoreI16LE(bytes + 6 + 2 * i, Low16(corner + 2 - i));
            }
            ok = Put(file, bytes, sizeof(bytes));
        }
    }

    // Second pass over every frame: the frames themselves.
    header.ofs_frames = Offset(file);
    int framesWritten = 0;
    InitBindPose(pose);
    if (animations > 0) {
        for (int a = 0; a < animations && ok; ++a) {
            HostAnimation* animation = &scene->animations.items[a];
            const int frames = FrameCount(animation);
            const float step = 1.0f / FrameRate(*animation);
            char stem[kTextPairUnits];
            std::memcpy(stem, animation->name.narrow, kTextPairUnits);
            stem[kTextPairUnits - 1] = 0;
            for (int i = 0; i < frames && ok; ++i) {
                EvaluatePose(pose, scene, animation, static_cast<float>(i) * step);
                PutFrame(file, *pose, scale, translate, stem, i, &ok);
                framesWritten += ok ? 1 : 0;
            }
        }
    } else {
        EvaluatePose(pose, scene, nullptr, 0);
        PutFrame(file, *pose, scale, translate, "Frame", 0, &ok);
        framesWritten = ok ? 1 : 0;
    }

    header.ofs_glcmds = Offset(file);
    if (triangles > 0) {
        const std::uint8_t end[4] = {};
        ok = ok && Put(file, end, sizeof(end));
        header.num_glcmds = 1;
    }
    header.ofs_end = Offset(file);
    header.framesize = static_cast<std::int32_t>(kMd2FrameHeaderBytes + kMd2VertexBytes * vertices);
    header.num_frames = framesWritten;
    ok = ok && std::fseek(file, 0, SEEK_SET) == 0;
    PutHeader(file, header, &ok);
    return ok;
}

}  // namespace

bool WriteLiteralExport(HostScene* scene) {
    ExportTarget target;
    if (scene == nullptr || !OpenExportTarget(scene->filePath.wide, &target)) {
        return false;
    }
    ConvertSceneAxes(scene, kToModelAxes);
    // The pose arrays alone, without the layouts the writer builds.
    PoseState pose{};
    AllocBonePoses(&pose, scene);
    AllocPosedVertices(&pose, scene);
    const bool written = WriteLiteralMd2(target.file, &pose, scene, *CurrentExportSettings());
    const bool placed = FinishExportTarget(&target, written);
    ReleasePose(&pose);
    return placed && written;
}
