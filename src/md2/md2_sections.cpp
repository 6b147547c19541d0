#include "md2/md2_sections.h"

#include <cstring>

void EncodeMd2Header(const Md2Header& header, std::uint8_t bytes[kMd2HeaderBytes]) {
    const std::int32_t fields[] = {header.version,    header.skinwidth,  header.skinheight, header.framesize,
                                   header.num_skins,  header.num_xyz,    header.num_st,     header.num_tris,
                                   header.num_glcmds, header.num_frames, header.ofs_skins,  header.ofs_st,
                                   header.ofs_tris,   header.ofs_frames, header.ofs_glcmds, header.ofs_end};
    StoreU32LE(bytes, header.ident);
    for (std::size_t i = 0; i < sizeof(fields) / sizeof(fields[0]); ++i) {
        StoreI32LE(bytes + 4 + 4 * i, fields[i]);
    }
}

void EncodeMd2TexCoord(const Md2TexCoordRecord& record, std::uint8_t bytes[kMd2TexCoordBytes]) {
    StoreI16LE(bytes, record.s);
    StoreI16LE(bytes + 2, record.t);
}

void EncodeMd2Triangle(const Md2TriangleRecord& record, std::uint8_t bytes[kMd2TriangleBytes]) {
    for (int i = 0; i < 3; ++i) {
        StoreI16LE(bytes + 2 * i, record.index_xyz[i]);
        StoreI16LE(bytes + 6 + 2 * i, record.index_st[i]);
    }
}

void EncodeMd2FrameHeader(const Md2FrameHeader& header, std::uint8_t bytes[kMd2FrameHeaderBytes]) {
    for (int i = 0; i < 3; ++i) {
        StoreF32LE(bytes + 4 * i, header.scale[i]);
        StoreF32LE(bytes + 12 + 4 * i, header.translate[i]);
    }
    std::memcpy(bytes + 24, header.name, kMd2FrameNameChars);
}

bool WriteMd2Bytes(std::FILE* file, const std::uint8_t* bytes, std::size_t size) {
    return std::fwrite(bytes, size, 1, file) == 1;
}

bool WriteMd2Header(std::FILE* file, const Md2Header& header) {
    std::uint8_t bytes[kMd2HeaderBytes];
    EncodeMd2Header(header, bytes);
    return WriteMd2Bytes(file, bytes, sizeof(bytes));
}

bool TakeMd2Offset(std::FILE* file, std::int32_t* offset) {
    const long position = std::ftell(file);
    if (position < 0 || position > kMd2LargestOffset) {
        return false;
    }
    *offset = static_cast<std::int32_t>(position);
    return true;
}
