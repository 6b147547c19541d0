#include "support/md2_builder.h"

#include <bit>
#include <fstream>
#include <random>
#include <system_error>

namespace {

void AppendU32(std::vector<std::uint8_t>& out, std::uint32_t value) {
    for (int i = 0; i < 4; ++i) {
        out.push_back(static_cast<std::uint8_t>(value >> (8 * i)));
    }
}

void AppendI16(std::vector<std::uint8_t>& out, std::int16_t value) {
    std::uint16_t bits = static_cast<std::uint16_t>(value);
    out.push_back(static_cast<std::uint8_t>(bits & 0xFF));
    out.push_back(static_cast<std::uint8_t>(bits >> 8));
}

void AppendFloat(std::vector<std::uint8_t>& out, float value) { AppendU32(out, std::bit_cast<std::uint32_t>(value)); }

// Text cut to `size` bytes, NUL-padded.
void AppendText(std::vector<std::uint8_t>& out, const std::string& text, std::size_t size) {
    for (std::size_t i = 0; i < size; ++i) {
        out.push_back(i < text.size() ? static_cast<std::uint8_t>(text[i]) : 0);
    }
}

}  // namespace

std::vector<std::uint8_t> BuildMd2File(const Md2BuilderModel& model, Md2Layout* layout) {
    Md2Layout at;
    at.frameBytes = 40 + 4 * static_cast<std::size_t>(model.vertexCount);
    at.ofsSkins = kMd2BuilderHeaderBytes;
    at.ofsSt = at.ofsSkins + 64 * model.skins.size();
    at.ofsTris = at.ofsSt + 4 * model.texCoords.size();
    at.ofsFrames = at.ofsTris + 12 * model.triangles.size();
    at.ofsGlcmds = at.ofsFrames + at.frameBytes * model.frames.size();
    at.ofsEnd = at.ofsGlcmds + 4;

    std::vector<std::uint8_t> out;
    out.reserve(at.ofsEnd);
    const std::uint32_t header[] = {
        0x32504449u,
        static_cast<std::uint32_t>(model.version),
        static_cast<std::uint32_t>(model.skinWidth),
        static_cast<std::uint32_t>(model.skinHeight),
        static_cast<std::uint32_t>(at.frameBytes),
        static_cast<std::uint32_t>(model.skins.size()),
        static_cast<std::uint32_t>(model.vertexCount),
        static_cast<std::uint32_t>(model.texCoords.size()),
        static_cast<std::uint32_t>(model.triangles.size()),
        1u,
        static_cast<std::uint32_t>(model.frames.size()),
        static_cast<std::uint32_t>(at.ofsSkins),
        static_cast<std::uint32_t>(at.ofsSt),
        static_cast<std::uint32_t>(at.ofsTris),
        static_cast<std::uint32_t>(at.ofsFrames),
        static_cast<std::uint32_t>(at.ofsGlcmds),
        static_cast<std::uint32_t>(at.ofsEnd),
    };
    for (std::uint32_t field : header) {
        AppendU32(out, field);
    }
    for (const std::string& skin : model.skins) {
        AppendText(out, skin, 64);
    }
    for (const auto& st : model.texCoords) {
        AppendI16(out, st[0]);
        AppendI16(out, st[1]);
    }
    for (const auto& triangle : model.triangles) {
        for (std::int16_t index : triangle) {
            AppendI16(out, index);
        }
    }
    for (const Md2BuilderFrame& frame : model.frames) {
        for (float value : frame.scale) {
            AppendFloat(out, value);
        }
        for (float value : frame.translate) {
            AppendFloat(out, value);
        }
        AppendText(out, frame.name, 16);
        for (std::int32_t i = 0; i < model.vertexCount; ++i) {
            for (std::uint8_t byte : frame.vertices.at(static_cast<std::size_t>(i))) {
                out.push_back(byte);
            }
        }
    }
    AppendU32(out, 0);
    if (layout != nullptr) {
        *layout = at;
    }
    return out;
}

Md2BuilderModel MakeSampleMd2Model(int skinCount, int vertexCount, int triangleCount, int frameCount) {
    Md2BuilderModel model;
    model.skinWidth = 128;
    model.skinHeight = 64;
    model.vertexCount = vertexCount;
    for (int i = 0; i < skinCount; ++i) {
        model.skins.push_back("models/monsters/beast/skin" + std::to_string(i) + ".pcx");
    }
    for (int n = 0; n < triangleCount; ++n) {
        int v = vertexCount > 0 ? vertexCount : 1;
        model.triangles.push_back({static_cast<std::int16_t>(n % v), static_cast<std::int16_t>((n + 1) % v),
                                   static_cast<std::int16_t>((n + 2) % v), static_cast<std::int16_t>(3 * n + 2),
                                   static_cast<std::int16_t>(3 * n + 1), static_cast<std::int16_t>(3 * n)});
        for (int k = 0; k < 3; ++k) {
            int c = 3 * n + k;
            model.texCoords.push_back({static_cast<std::int16_t>((c * 37) % 160 - 16),
                                       static_cast<std::int16_t>((c * 11) % 80 - 8)});
        }
    }
    for (int f = 0; f < frameCount; ++f) {
        Md2BuilderFrame frame;
        for (int axis = 0; axis < 3; ++axis) {
            frame.scale[axis] = 0.0371f * static_cast<float>(axis + 1) + 0.013f * static_cast<float>(f);
            frame.translate[axis] = -4.75f + 1.5f * static_cast<float>(axis) - 0.25f * static_cast<float>(f);
        }
        frame.name = "pose" + std::to_string(f);
        for (int i = 0; i < vertexCount; ++i) {
            frame.vertices.push_back({static_cast<std::uint8_t>((i * 7 + f * 3) & 0xFF),
                                      static_cast<std::uint8_t>((i * 13 + f * 5 + 40) & 0xFF),
                                      static_cast<std::uint8_t>((i * 29 + f * 11 + 200) & 0xFF),
                                      static_cast<std::uint8_t>((i + f) % 162)});
        }
        model.frames.push_back(frame);
    }
    return model;
}

void PutI32(std::vector<std::uint8_t>& bytes, std::size_t offset, std::int32_t value) {
    std::uint32_t bits = static_cast<std::uint32_t>(value);
    for (std::size_t i = 0; i < 4; ++i) {
        bytes.at(offset + i) = static_cast<std::uint8_t>(bits >> (8 * i));
    }
}

void PutI16(std::vector<std::uint8_t>& bytes, std::size_t offset, std::int16_t value) {
    std::uint16_t bits = static_cast<std::uint16_t>(value);
    bytes.at(offset) = static_cast<std::uint8_t>(bits & 0xFF);
    bytes.at(offset + 1) = static_cast<std::uint8_t>(bits >> 8);
}

std::int32_t GetI32(const std::vector<std::uint8_t>& bytes, std::size_t offset) {
    std::uint32_t bits = 0;
    for (std::size_t i = 0; i < 4; ++i) {
        bits |= static_cast<std::uint32_t>(bytes.at(offset + i)) << (8 * i);
    }
    return static_cast<std::int32_t>(bits);
}

std::vector<std::uint8_t> MutateByte(const std::vector<std::uint8_t>& file, std::size_t position, int kind) {
    std::vector<std::uint8_t> out = file;
    std::uint8_t& byte = out.at(position);
    switch (kind) {
        case 0:
            byte = 0x00;
            break;
        case 1:
            byte = 0xFF;
            break;
        case 2:
            byte = static_cast<std::uint8_t>(byte + 1);
            break;
        default:
            byte = static_cast<std::uint8_t>(byte - 1);
            break;
    }
    return out;
}

std::vector<std::size_t> Md2MutationPositions(const Md2Layout& layout, const Md2BuilderModel& model) {
    std::vector<std::size_t> positions;
    auto addRange = [&positions](std::size_t begin, std::size_t count) {
        for (std::size_t i = 0; i < count; ++i) {
            positions.push_back(begin + i);
        }
    };
    addRange(0, kMd2BuilderHeaderBytes);
    addRange(layout.ofsSkins, model.skins.empty() ? 0 : 64);
    addRange(layout.ofsSt, model.texCoords.empty() ? 0 : 4);
    addRange(layout.ofsTris, model.triangles.empty() ? 0 : 12);
    addRange(layout.ofsFrames, model.frames.empty() ? 0 : (model.vertexCount > 0 ? 44 : 40));
    return positions;
}

std::filesystem::path MakeScratchDirectory(const std::string& name) {
    std::random_device random;
    std::filesystem::path dir = std::filesystem::temp_directory_path() /
                                ("corvane-" + name + "-" + std::to_string(random() & 0xFFFFFFu));
    std::error_code error;
    std::filesystem::remove_all(dir, error);
    std::filesystem::create_directories(dir, error);
    return dir;
}

bool WriteBinaryFile(const std::filesystem::path& path, const std::vector<std::uint8_t>& bytes) {
    std::ofstream file(path, std::ios::binary | std::ios::trunc);
    file.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    file.close();
    return !file.fail();
}
