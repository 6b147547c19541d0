#include "host/assimp_builder.h"

#include <cstdint>
#include <fstream>
#include <string>
#include <vector>

namespace assimp_rig {
namespace {

bool WriteBytes(const std::filesystem::path& path, const void* bytes, std::size_t size) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(static_cast<const char*>(bytes), static_cast<std::streamsize>(size));
    out.close();
    return static_cast<bool>(out);
}

// An uncompressed embedded texture as a 32-bit TGA, rows from the top.
bool WriteTga(const std::filesystem::path& path, const aiTexture& texture) {
    std::vector<std::uint8_t> bytes(18, 0);
    bytes[2] = 2;
    bytes[12] = static_cast<std::uint8_t>(texture.mWidth & 0xFF);
    bytes[13] = static_cast<std::uint8_t>((texture.mWidth >> 8) & 0xFF);
    bytes[14] = static_cast<std::uint8_t>(texture.mHeight & 0xFF);
    bytes[15] = static_cast<std::uint8_t>((texture.mHeight >> 8) & 0xFF);
    bytes[16] = 32;
    bytes[17] = 0x28;  // top-left origin, 8 alpha bits
    const std::size_t texels = static_cast<std::size_t>(texture.mWidth) * texture.mHeight;
    for (std::size_t i = 0; i < texels; ++i) {
        const aiTexel& texel = texture.pcData[i];
        bytes.insert(bytes.end(), {texel.b, texel.g, texel.r, texel.a});
    }
    return WriteBytes(path, bytes.data(), bytes.size());
}

std::string EmbeddedTexturePath(Builder& b, const aiTexture& texture, int index) {
    auto written = b.writtenTextures.find(index);
    if (written != b.writtenTextures.end()) {
        return written->second;
    }
    const bool compressed = texture.mHeight == 0;
    std::string extension = compressed ? texture.achFormatHint : "tga";
    if (extension.empty()) {
        extension = "bin";
    }
    const std::filesystem::path path = std::filesystem::path(b.options.textureFolder) /
                                       (b.sourceStem + "_texture" + std::to_string(index) + "." + extension);
    const bool ok = compressed ? WriteBytes(path, texture.pcData, texture.mWidth) : WriteTga(path, texture);
    const std::string result = ok ? path.generic_string() : std::string();
    b.writtenTextures.emplace(index, result);
    return result;
}

}  // namespace

std::string TexturePath(Builder& b, const aiMaterial* material) {
    aiString file;
    if (material->GetTexture(aiTextureType_DIFFUSE, 0, &file) != AI_SUCCESS &&
        material->GetTexture(aiTextureType_BASE_COLOR, 0, &file) != AI_SUCCESS) {
        return std::string();
    }
    const auto embedded = b.scene->GetEmbeddedTextureAndIndex(file.C_Str());
    if (embedded.first != nullptr) {
        return EmbeddedTexturePath(b, *embedded.first, embedded.second);
    }
    std::string name = file.C_Str();
    for (char& c : name) {
        c = c == '\\' ? '/' : c;
    }
    const std::filesystem::path path(name);
    return path.is_absolute() ? name : (b.sourceFolder / path).lexically_normal().generic_string();
}

}  // namespace assimp_rig
