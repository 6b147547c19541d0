// Decoding an MD2 file held in memory into the model, section by section.
#include <cstring>
#include <new>
#include <type_traits>

#include "md2/md2_format.h"
#include "md2/md2_model.h"
#include "md2/md2_parse.h"

namespace {

// The bytes of one frame; the vertex count is checked not to be negative
// before it is used.
std::uint64_t FrameBytes(const Md2Header& header) {
    return static_cast<std::uint64_t>(Md2FrameBytes(header.num_xyz));
}

bool SectionFits(std::uint32_t length, std::int32_t offset, std::int32_t count, std::uint64_t recordBytes) {
    return Md2SectionFits(length, offset, count, recordBytes, Md2SectionRule::kReader);
}

// Counts taken as signed must not be negative, and every section must fit in
// the file before anything is allocated for it: the memory of a read stays a
// small multiple of the file's length.
Md2ParseResult CheckHeaderAgainstFile(const Md2Header& header, std::uint32_t length) {
    if (header.num_skins < 0 || header.num_xyz < 0 || header.num_st < 0 || header.num_tris < 0 ||
        header.num_frames < 0) {
        return Md2ParseResult::kNegativeCount;
    }
    if (!SectionFits(length, header.ofs_skins, header.num_skins, kMd2SkinBytes)) {
        return Md2ParseResult::kSkinsOutside;
    }
    if (!SectionFits(length, header.ofs_st, header.num_st, kMd2TexCoordBytes)) {
        return Md2ParseResult::kTexCoordsOutside;
    }
    if (!SectionFits(length, header.ofs_tris, header.num_tris, kMd2TriangleBytes)) {
        return Md2ParseResult::kTrianglesOutside;
    }
    if (!SectionFits(length, header.ofs_frames, header.num_frames, FrameBytes(header))) {
        return Md2ParseResult::kFramesOutside;
    }
    return Md2ParseResult::kLoaded;
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

// The skin's path up to its first NUL (all 64 bytes when there is none).
void DecodeSkinName(const Md2SkinRecord& record, Md2SkinName* skin) {
    const std::size_t length = strnlen(record.path, kMd2SkinBytes);
    std::memcpy(skin->path, record.path, length);
    skin->path[length] = 0;
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

// A frame is its 40-byte header and its vertices; frames follow one another
// every 40 + 4 x num_xyz bytes, whatever the header's framesize says. Each
// frame keeps its name, scale and translate, and points to its vertex
// records in `section`, the frames section where the model holds it (its
// bytes are those the cursor holds from ofs_frames on); positions are
// decoded only for the frames that are asked for.
bool DecodeFrames(ReadCursor* cursor, const Md2Header& header, const std::uint8_t* section, Md2Model* model) {
    const std::int32_t vertexCount = header.num_xyz;
    const std::uint64_t frameBytes = FrameBytes(header);
    return DecodeSection(cursor, header.ofs_frames, header.num_frames, frameBytes,
                         [=](std::uint32_t i, const std::uint8_t* bytes) {
                             Md2FrameHeader frameHeader = DecodeMd2FrameHeader(bytes);
                             Md2Frame& frame = model->frames[i];
                             std::size_t nameLength = strnlen(frameHeader.name, kMd2FrameNameChars);
                             std::memcpy(frame.name, frameHeader.name, nameLength);
                             frame.name[nameLength] = 0;
                             for (int axis = 0; axis < 3; ++axis) {
                                 frame.scale[axis] = frameHeader.scale[axis];
                                 frame.translate[axis] = frameHeader.translate[axis];
                             }
                             if (vertexCount == 0) {
                                 return true;
                             }
                             frame.vertexCount = vertexCount;
                             frame.vertices = section + frameBytes * i + kMd2FrameHeaderBytes;
                             return true;
                         });
}

// Where the frames' vertices will lie once the model holds them: in the
// bytes read, when the model may point into them, or else in a copy of the
// frames section, made after the header's checks bound its size by the
// file's length.
const std::uint8_t* HoldFrames(const ReadCursor& cursor, const Md2Header& header, bool inPlace, Md2Model* model) {
    const std::uint32_t offset = static_cast<std::uint32_t>(header.ofs_frames);
    if (inPlace) {
        return cursor.data + offset;
    }
    const std::size_t sectionBytes = static_cast<std::size_t>(FrameBytes(header) *
                                                              static_cast<std::uint32_t>(header.num_frames));
    model->bytes = new (std::nothrow) std::uint8_t[sectionBytes];
    if (model->bytes == nullptr) {
        return nullptr;
    }
    model->byteCount = static_cast<std::uint32_t>(sectionBytes);
    std::memcpy(model->bytes, cursor.data + offset, sectionBytes);
    return model->bytes;
}

Md2ParseResult DecodeModel(ReadCursor* cursor, bool inPlace, Md2Model* model) {
    const std::uint8_t* headerBytes = CursorRead(cursor, kMd2HeaderBytes);
    if (headerBytes == nullptr) {
        return Md2ParseResult::kTooShort;
    }
    Md2Header header = DecodeMd2Header(headerBytes);
    if (header.ident != kMd2Ident) {
        return Md2ParseResult::kNotMd2;
    }
    if (header.num_frames == 0 || header.num_tris == 0 || header.num_st == 0) {
        return Md2ParseResult::kNoGeometry;
    }
    const Md2ParseResult placed = CheckHeaderAgainstFile(header, cursor->length);
    if (placed != Md2ParseResult::kLoaded) {
        return placed;
    }
    if (!AllocateModel(header, model)) {
        return Md2ParseResult::kNoMemory;
    }
    if (!DecodeSkins(cursor, header, model)) {
        return Md2ParseResult::kSkinsOutside;
    }
    if (!DecodeTexCoords(cursor, header, model)) {
        return Md2ParseResult::kFlatSkin;
    }
    if (!DecodeTriangles(cursor, header, model)) {
        return Md2ParseResult::kTrianglesOutside;
    }
    const std::uint8_t* frames = HoldFrames(*cursor, header, inPlace, model);
    if (frames == nullptr) {
        return Md2ParseResult::kNoMemory;
    }
    return DecodeFrames(cursor, header, frames, model) ? Md2ParseResult::kLoaded : Md2ParseResult::kFramesOutside;
}

// Leaves the model empty unless it loaded.
Md2ParseResult Parse(ReadCursor* cursor, bool inPlace, Md2Model* model) {
    if (model == nullptr) {
        return Md2ParseResult::kNoBytes;
    }
    ReleaseMd2Model(model);
    if (cursor == nullptr || cursor->data == nullptr) {
        return Md2ParseResult::kNoBytes;
    }
    const Md2ParseResult result = DecodeModel(cursor, inPlace, model);
    if (result != Md2ParseResult::kLoaded) {
        ReleaseMd2Model(model);
    }
    return result;
}

}  // namespace

Md2ParseResult ParseMd2(ReadCursor* cursor, Md2Model* model) { return Parse(cursor, false, model); }

Md2ParseResult ParseMd2InPlace(const std::uint8_t* bytes, std::uint32_t length, Md2Model* model) {
    ReadCursor cursor{bytes, 0, length};
    return Parse(&cursor, true, model);
}
