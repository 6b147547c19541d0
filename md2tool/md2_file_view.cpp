#include "md2tool/md2_file_view.h"

#include <cstring>

bool OpenMd2View(const std::uint8_t* bytes, std::size_t length, Md2FileView* view, std::string* error) {
    if (length < kMd2HeaderBytes) {
        *error = "truncated: " + std::to_string(length) + " bytes, shorter than the 68-byte MD2 header";
        return false;
    }
    if (LoadU32LE(bytes) != kMd2Ident) {
        *error = "not an MD2 file (no IDP2 magic)";
        return false;
    }
    if (length > static_cast<std::uint64_t>(kMd2LargestOffset)) {
        *error = "file of 2 GiB or more";
        return false;
    }
    view->bytes = bytes;
    view->length = static_cast<std::uint32_t>(length);
    view->header = DecodeMd2Header(bytes);
    return true;
}

bool SectionInFile(const Md2FileView& view, std::int32_t offset, std::int32_t count, std::uint64_t recordBytes) {
    return Md2SectionFits(view.length, offset, count, recordBytes, Md2SectionRule::kTool);
}

std::uint64_t FrameBytesOf(const Md2Header& header) {
    return static_cast<std::uint64_t>(Md2FrameBytes(header.num_xyz));
}

bool SkinsInFile(const Md2FileView& view) {
    return SectionInFile(view, view.header.ofs_skins, view.header.num_skins, kMd2SkinBytes);
}
bool TexCoordsInFile(const Md2FileView& view) {
    return SectionInFile(view, view.header.ofs_st, view.header.num_st, kMd2TexCoordBytes);
}
bool TrianglesInFile(const Md2FileView& view) {
    return SectionInFile(view, view.header.ofs_tris, view.header.num_tris, kMd2TriangleBytes);
}
bool FramesInFile(const Md2FileView& view) {
    return view.header.num_xyz >= 0 &&
           SectionInFile(view, view.header.ofs_frames, view.header.num_frames, FrameBytesOf(view.header));
}
bool GlCommandsInFile(const Md2FileView& view) {
    return SectionInFile(view, view.header.ofs_glcmds, view.header.num_glcmds, 4);
}

Md2SkinRecord SkinAt(const Md2FileView& view, int index) {
    return DecodeMd2Skin(view.bytes + view.header.ofs_skins + std::size_t{kMd2SkinBytes} * static_cast<unsigned>(index));
}
Md2TexCoordRecord TexCoordAt(const Md2FileView& view, int index) {
    return DecodeMd2TexCoord(view.bytes + view.header.ofs_st +
                             std::size_t{kMd2TexCoordBytes} * static_cast<unsigned>(index));
}
Md2TriangleRecord TriangleAt(const Md2FileView& view, int index) {
    return DecodeMd2Triangle(view.bytes + view.header.ofs_tris +
                             std::size_t{kMd2TriangleBytes} * static_cast<unsigned>(index));
}
Md2FrameHeader FrameHeaderAt(const Md2FileView& view, int frame) {
    return DecodeMd2FrameHeader(view.bytes + view.header.ofs_frames +
                                FrameBytesOf(view.header) * static_cast<unsigned>(frame));
}
const std::uint8_t* VertexAt(const Md2FileView& view, int frame, int vertex) {
    return view.bytes + view.header.ofs_frames + FrameBytesOf(view.header) * static_cast<unsigned>(frame) +
           kMd2FrameHeaderBytes + std::size_t{kMd2VertexBytes} * static_cast<unsigned>(vertex);
}
std::int32_t GlCommandWordAt(const Md2FileView& view, int index) {
    return LoadI32LE(view.bytes + view.header.ofs_glcmds + std::size_t{4} * static_cast<unsigned>(index));
}

bool TriangleIndicesInRange(const Md2FileView& view) {
    for (int i = 0; i < view.header.num_tris; ++i) {
        Md2TriangleRecord triangle = TriangleAt(view, i);
        for (int k = 0; k < 3; ++k) {
            if (triangle.index_xyz[k] < 0 || triangle.index_xyz[k] >= view.header.num_xyz ||
                triangle.index_st[k] < 0 || triangle.index_st[k] >= view.header.num_st) {
                return false;
            }
        }
    }
    return true;
}

std::string FrameNameOf(const Md2FrameHeader& frame) {
    return std::string(frame.name, strnlen(frame.name, kMd2FrameNameChars));
}
