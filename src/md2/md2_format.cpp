#include "md2/md2_format.h"

#include <cstring>

Md2Header DecodeMd2Header(const std::uint8_t* bytes) {
    Md2Header header;
    header.ident = LoadU32LE(bytes);
    std::int32_t* fields[] = {&header.version,    &header.skinwidth, &header.skinheight, &header.framesize,
                              &header.num_skins,  &header.num_xyz,   &header.num_st,     &header.num_tris,
                              &header.num_glcmds, &header.num_frames, &header.ofs_skins, &header.ofs_st,
                              &header.ofs_tris,   &header.ofs_frames, &header.ofs_glcmds, &header.ofs_end};
    const std::uint8_t* p = bytes + 4;
    for (std::int32_t* field : fields) {
        *field = LoadI32LE(p);
        p += 4;
    }
    return header;
}

Md2SkinRecord DecodeMd2Skin(const std::uint8_t* bytes) {
    Md2SkinRecord skin;
    std::memcpy(skin.path, bytes, kMd2SkinBytes);
    return skin;
}

Md2TexCoordRecord DecodeMd2TexCoord(const std::uint8_t* bytes) {
    return Md2TexCoordRecord{LoadI16LE(bytes), LoadI16LE(bytes + 2)};
}

Md2TriangleRecord DecodeMd2Triangle(const std::uint8_t* bytes) {
    Md2TriangleRecord triangle;
    for (int k = 0; k < 3; ++k) {
        triangle.index_xyz[k] = LoadI16LE(bytes + 2 * k);
        triangle.index_st[k] = LoadI16LE(bytes + 6 + 2 * k);
    }
    return triangle;
}

Md2FrameHeader DecodeMd2FrameHeader(const std::uint8_t* bytes) {
    Md2FrameHeader frame;
    for (int axis = 0; axis < 3; ++axis) {
        frame.scale[axis] = LoadF32LE(bytes + 4 * axis);
        frame.translate[axis] = LoadF32LE(bytes + 12 + 4 * axis);
    }
    std::memcpy(frame.name, bytes + 24, kMd2FrameNameChars);
    return frame;
}

bool Md2SectionFits(std::uint32_t length, std::int32_t offset, std::int32_t count, std::uint64_t recordBytes,
                    Md2SectionRule rule) {
    if (offset < 0 || count < 0 || recordBytes == 0) {
        return false;
    }
    const std::uint32_t start = static_cast<std::uint32_t>(offset);
    if (rule == Md2SectionRule::kReader ? start >= length : start > length) {
        return false;
    }
    return static_cast<std::uint64_t>(count) <= (length - start) / recordBytes;
}
