// Decoding an MD2 file held in memory into the model, section by section.
#include <cstring>
#include <new>
#include <type_traits>

#include "md2/md2_format.h"
#include "md2/md2_model.h"
#include "md2/md2_parse.h"
#include "util/path.h"
#include "util/text.h"

namespace {

constexpr char16_t kNoGeometryText[] = u"No geometry found.";
constexpr char16_t kBlankSkinName[] = u"blank";

std::uint64_t FrameBytes(const Md2Header& header) {
    return kMd2FrameHeaderBytes + std::uint64_t{kMd2VertexBytes} * static_cast<std::uint32_t>(header.num_xyz);
}

// True when `count` records of `recordBytes` from `offset` lie wholly inside
// the file. The offset must lie below the length even for no records, as the
// section's decoder requires.
bool SectionFits(std::uint32_t length, std::int32_t offset, std::int32_t count, std::uint64_t recordBytes) {
    std::uint32_t start = static_cast<std::uint32_t>(offset);
    return start < length && static_cast<std::uint64_t>(count) <= (length - start) / recordBytes;
}

// Counts taken as signed must not be negative, and every section must fit in
// the file before anything is allocated for it: the memory of a read stays a
// small multiple of the file's length.
bool HeaderFitsFile(const Md2Header& header, std::uint32_t length) {
    if (header.num_skins < 0 || header.num_xyz < 0 || header.num_st < 0 || header.num_tris < 0 ||
        header.num_frames < 0) {
        return false;
    }
    return SectionFits(length, header.ofs_skins, header.num_skins, kMd2SkinBytes) &&
           SectionFits(length, header.ofs_st, header.num_st, kMd2TexCoordBytes) &&
           SectionFits(length, header.ofs_tris, header.num_tris, kMd2TriangleBytes) &&
           SectionFits(length, header.ofs_frames, header.num_frames, FrameBytes(header));
}

template <typename T>
T* AllocateZeroed(std::int32_t count) {
    static_assert(std::is_trivially_default_constructible_v<T> && std::is_trivially_copyable_v<T>);
    T* items = new (std::nothrow) T[static_cast<std::size_t>(count)];
    if (items != nullptr) {
        std::memset(items, 0, sizeof(T) * static_cast<std::size_t>(count));
    }
    return items;
}

bool AllocateModel(const Md2Header& header, Md2Model* model) {
    model->frameCount = header.num_frames;
    model->triangleCount = header.num_tris;
    model->texCoordCount = header.num_st;
    model->skinCount = header.num_skins;
    if (model->frameCount > 0) {
        model->frames = AllocateZeroed<Md2Frame>(model->frameCount);
        if (model->frames == nullptr) {
            return false;
        }
    }
    if (model->triangleCount > 0) {
        model->triangles = AllocateZeroed<Md2Triangle>(model->triangleCount);
        if (model->triangles == nullptr) {
            return false;
        }
        for (int i = 0; i < model->triangleCount; ++i) {
            model->triangles[i].cornerCount = 3;
        }
    }
    if (model->texCoordCount > 0) {
        model->texCoords = AllocateZeroed<Md2TexCoord>(model->texCoordCount);
        if (model->texCoords == nullptr) {
            return false;
        }
    }
    if (model->skinCount > 0) {
        model->skins = AllocateZeroed<Md2SkinName>(model->skinCount);
        if (model->skins == nullptr) {
            return false;
        }
    }
    return true;
}

// The skin's path up to its first NUL (all 64 bytes when there is none), cut
// to its file name and extension; "blank" when nothing is left.
void DecodeSkinName(const Md2SkinRecord& record, Md2SkinName* skin) {
    char path[kMd2SkinBytes + 1];
    std::size_t length = strnlen(record.path, kMd2SkinBytes);
    std::memcpy(path, record.path, length);
    path[length] = 0;
    ToWide(path, skin->text, static_cast<int>(length) + 1);
    FileNameOfPath(skin->text, skin->text);
    if (skin->text[0] == 0) {
        U16Copy(skin->text, kTextPairUnits, kBlankSkinName);
    }
}

// Sets the position to the section's offset, then hands each of its `count`
// records to `decode` with its index. Fails when the offset is not below the
// length, as soon as a record would run past the end, or when `decode` fails.
template <typename Decode>
bool DecodeSection(ReadCursor* cursor, std::int32_t offset, std::int32_t count, std::uint64_t recordBytes,
                   Decode decode) {
    if (!CursorSeek(cursor, static_cast<std::uint32_t>(offset))) {
        return false;
    }
    for (std::uint32_t i = 0; i < static_cast<std::uint32_t>(count); ++i) {
        const std::uint8_t* bytes = CursorRead(cursor, recordBytes);
        if (bytes == nullptr || !decode(i, bytes)) {
            return false;
        }
    }
    return true;
}

bool DecodeSkins(ReadCursor* cursor, const Md2Header& header, Md2Model* model) {
    return DecodeSection(cursor, header.ofs_skins, header.num_skins, kMd2SkinBytes,
                         [model](std::uint32_t i, const std::uint8_t* bytes) {
                             DecodeSkinName(DecodeMd2Skin(bytes), &model->skins[i]);
                             return true;
                         });
}

bool DecodeTexCoords(ReadCursor* cursor, const Md2Header& header, Md2Model* model) {
    if (header.skinwidth == 0 || header.skinheight == 0) {
        return false;
    }
    const float inverseWidth = 1.0f / static_cast<float>(header.skinwidth);
    const float inverseHeight = 1.0f / static_cast<float>(header.skinheight);
    return DecodeSection(cursor, header.ofs_st, header.num_st, kMd2TexCoordBytes,
                         [=](std::uint32_t i, const std::uint8_t* bytes) {
                             Md2TexCoordRecord record = DecodeMd2TexCoord(bytes);
                             model->texCoords[i].u = static_cast<float>(record.s) * inverseWidth;
                             model->texCoords[i].v = static_cast<float>(record.t) * inverseHeight;
                             return true;
                         });
}

bool DecodeTriangles(ReadCursor* cursor, const Md2Header& header, Md2Model* model) {
    return DecodeSection(cursor, header.ofs_tris, header.num_tris, kMd2TriangleBytes,
                         [model](std::uint32_t i, const std::uint8_t* bytes) {
                             Md2TriangleRecord record = DecodeMd2Triangle(bytes);
                             for (int k = 0; k < 3; ++k) {
                                 model->triangles[i].vertexIndices[k] = record.index_xyz[k];
                                 model->triangles[i].texCoordIndices[k] = record.index_st[k];
                             }
                             return true;
                         });
}

// Each axis decodes as byte x scale + translate, rounded after the product
// and again after the sum (the separate statements keep a compiler from
// fusing them). A byte has only 256 values, so each axis's results are taken
// once per frame and the vertices are decoded by lookup.
void DecodePositions(const Md2FrameHeader& frame, const std::uint8_t* vertices, std::uint32_t count,
                     Md2Position* out) {
    float decoded[3][256];
    for (int axis = 0; axis < 3; ++axis) {
        for (int byte = 0; byte < 256; ++byte) {
            float value = static_cast<float>(byte) * frame.scale[axis];
            value += frame.translate[axis];
            decoded[axis][byte] = value;
        }
    }
    for (std::uint32_t i = 0; i < count; ++i) {
        const std::uint8_t* v = vertices + std::size_t{kMd2VertexBytes} * i;
        out[i] = Md2Position{decoded[0][v[0]], decoded[1][v[1]], decoded[2][v[2]]};
    }
}

// A frame is its 40-byte header and its vertices; frames follow one another
// every 40 + 4 x num_xyz bytes, whatever the header's framesize says. Each
// frame's positions are allocated just before they are decoded and every
// one of them is written at once, so they are not zero-filled first (the
// positions are three times the size of the file, and filling them cost a
// third of the decoding time); every size was checked against the file
// before the first allocation.
bool DecodeFrames(ReadCursor* cursor, const Md2Header& header, Md2Model* model) {
    const std::int32_t vertexCount = header.num_xyz;
    return DecodeSection(cursor, header.ofs_frames, header.num_frames, FrameBytes(header),
                         [=](std::uint32_t i, const std::uint8_t* bytes) {
                             Md2FrameHeader frameHeader = DecodeMd2FrameHeader(bytes);
                             Md2Frame& frame = model->frames[i];
                             std::size_t nameLength = strnlen(frameHeader.name, kMd2FrameNameChars);
                             std::memcpy(frame.name, frameHeader.name, nameLength);
                             frame.name[nameLength] = 0;
                             if (vertexCount == 0) {
                                 return true;
                             }
                             frame.positions = new (std::nothrow) Md2Position[static_cast<std::size_t>(vertexCount)];
                             if (frame.positions == nullptr) {
                                 return false;
                             }
                             frame.vertexCount = vertexCount;
                             DecodePositions(frameHeader, bytes + kMd2FrameHeaderBytes,
                                             static_cast<std::uint32_t>(vertexCount), frame.positions);
                             return true;
                         });
}

int DecodeModel(ReadCursor* cursor, TextPair* errorText, Md2Model* model) {
    const std::uint8_t* headerBytes = CursorRead(cursor, kMd2HeaderBytes);
    if (headerBytes == nullptr) {
        return 0;
    }
    Md2Header header = DecodeMd2Header(headerBytes);
    if (header.ident != kMd2Ident) {
        return 3;
    }
    if (header.num_frames == 0 || header.num_tris == 0 || header.num_st == 0) {
        if (errorText != nullptr) {
            TextPairFromWide(errorText, kNoGeometryText);
        }
        return 0;
    }
    if (!HeaderFitsFile(header, cursor->length) || !AllocateModel(header, model)) {
        return 0;
    }
    bool decoded = DecodeSkins(cursor, header, model) && DecodeTexCoords(cursor, header, model) &&
                   DecodeTriangles(cursor, header, model) && DecodeFrames(cursor, header, model);
    return decoded ? 1 : 0;
}

}  // namespace

int ParseMd2(ReadCursor* cursor, Md2Model* model, TextPair* errorText) {
    if (model == nullptr) {
        return 0;
    }
    if (cursor == nullptr || cursor->data == nullptr) {
        ReleaseMd2Model(model);
        return 0;
    }
    // Arrays of an earlier parse are dropped; the path of this read stays.
    char16_t sourcePath[kTextPairUnits];
    U16Copy(sourcePath, kTextPairUnits, model->sourcePath);
    ReleaseMd2Model(model);
    U16Copy(model->sourcePath, kTextPairUnits, sourcePath);

    int result = DecodeModel(cursor, errorText, model);
    if (result != 1) {
        ReleaseMd2Model(model);
    }
    return result;
}
