#include "unit/export/export_test_support.h"

#include <algorithm>
#include <cstring>
#include <filesystem>

#include "host/dialog_user.h"
#include "md2/md2_normals.h"
#include "support/md2_decode.h"

namespace {

std::int32_t I32(const std::vector<std::uint8_t>& b, std::size_t at) {
    std::uint32_t value = 0;
    for (int i = 3; i >= 0; --i) {
        value = (value << 8) | b[at + static_cast<std::size_t>(i)];
    }
    return static_cast<std::int32_t>(value);
}

std::int16_t I16(const std::vector<std::uint8_t>& b, std::size_t at) {
    return static_cast<std::int16_t>(static_cast<std::uint16_t>(b[at] | (b[at + 1] << 8)));
}

float F32(const std::vector<std::uint8_t>& b, std::size_t at) {
    std::uint32_t bits = static_cast<std::uint32_t>(I32(b, at));
    float value;
    std::memcpy(&value, &bits, 4);
    return value;
}

std::string Name(const std::vector<std::uint8_t>& b, std::size_t at, std::size_t size) {
    std::string name;
    for (std::size_t i = 0; i < size && b[at + i] != 0; ++i) {
        name += static_cast<char>(b[at + i]);
    }
    return name;
}

}  // namespace

std::array<float, 3> WrittenMd2::Decoded(int f, int v) const {
    const Frame& frame = frames.at(static_cast<std::size_t>(f));
    const std::array<std::uint8_t, 4>& bytes = frame.vertices.at(static_cast<std::size_t>(v));
    std::array<float, 3> p{};
    for (std::size_t a = 0; a < 3; ++a) {
        p[a] = DecodeMd2Coordinate(bytes[a], frame.scale[a], frame.translate[a]);
    }
    return p;
}

std::string ReadFileBytes(const std::string& path) {
    std::string bytes;
    std::FILE* file = std::fopen(path.c_str(), "rb");
    if (file == nullptr) {
        return bytes;
    }
    char buffer[65536];
    std::size_t n = 0;
    while ((n = std::fread(buffer, 1, sizeof(buffer), file)) > 0) {
        bytes.append(buffer, n);
    }
    std::fclose(file);
    return bytes;
}

std::vector<std::string> FolderEntries(const std::string& folder) {
    std::vector<std::string> names;
    std::error_code ignored;
    for (const auto& entry : std::filesystem::directory_iterator(folder, ignored)) {
        names.push_back(entry.path().filename().generic_string());
    }
    std::sort(names.begin(), names.end());
    return names;
}

bool ReadWrittenMd2(const std::string& path, WrittenMd2* out, std::string* why) {
    std::string text = ReadFileBytes(path);
    WrittenMd2& m = *out;
    m = WrittenMd2{};
    m.bytes.assign(text.begin(), text.end());
    const std::int64_t size = static_cast<std::int64_t>(m.bytes.size());
    if (size < 68) {
        *why = "shorter than a header: " + std::to_string(size) + " bytes";
        return false;
    }
    for (int i = 0; i < 17; ++i) {
        m.header[i] = I32(m.bytes, 4 * static_cast<std::size_t>(i));
    }
    auto fits = [&](std::int32_t offset, std::int32_t count, std::int64_t record) {
        return offset >= 0 && count >= 0 && offset + count * record <= size;
    };
    const std::int32_t* h = m.header;
    if (!fits(h[11], h[5], 64) || !fits(h[12], h[7], 4) || !fits(h[13], h[8], 12) ||
        !fits(h[15], h[9], 4) || h[4] < 40 || h[4] != 40 + 4 * h[6] || !fits(h[14], h[10], h[4])) {
        *why = "a section lies outside the file or the frame size does not match num_xyz";
        return false;
    }
    for (int i = 0; i < h[5]; ++i) {
        m.skins.push_back(Name(m.bytes, static_cast<std::size_t>(h[11] + 64 * i), 64));
    }
    for (int i = 0; i < h[7]; ++i) {
        const std::size_t at = static_cast<std::size_t>(h[12] + 4 * i);
        m.texCoords.push_back({I16(m.bytes, at), I16(m.bytes, at + 2)});
    }
    for (int i = 0; i < h[8]; ++i) {
        std::array<std::int16_t, 6> t{};
        for (int k = 0; k < 6; ++k) {
            t[static_cast<std::size_t>(k)] = I16(m.bytes, static_cast<std::size_t>(h[13] + 12 * i + 2 * k));
        }
        m.triangles.push_back(t);
    }
    for (std::size_t f = 0; f < static_cast<std::size_t>(h[10]); ++f) {
        const std::size_t at = static_cast<std::size_t>(h[14]) + static_cast<std::size_t>(h[4]) * f;
        WrittenMd2::Frame frame{};
        for (int a = 0; a < 3; ++a) {
            frame.scale[a] = F32(m.bytes, at + 4 * static_cast<std::size_t>(a));
            frame.translate[a] = F32(m.bytes, at + 12 + 4 * static_cast<std::size_t>(a));
        }
        frame.name = Name(m.bytes, at + 24, 16);
        for (int v = 0; v < h[6]; ++v) {
            const std::size_t p = at + 40 + 4 * static_cast<std::size_t>(v);
            frame.vertices.push_back({m.bytes[p], m.bytes[p + 1], m.bytes[p + 2], m.bytes[p + 3]});
        }
        m.frames.push_back(frame);
    }
    for (int i = 0; i < h[9]; ++i) {
        m.glCommands.push_back(I32(m.bytes, static_cast<std::size_t>(h[15] + 4 * i)));
    }
    return true;
}

int PluginExportTest::ExportOptionsRequest(const std::string& script, const std::string& screenshotDirectory) {
    StartDialogUser(script, screenshotDirectory);
    int answer = SendRequest(&session_, kRequestExportOptions, scene_);
    lastTranscript_ = FinishDialogUser();
    return answer;
}

ExportRun PluginExportTest::Export(const std::string& script, const std::string& name) {
    ExportRun run = RunExport(&session_, scene_, OutPath(name), script);
    lastTranscript_ = run.transcript;
    return run;
}

int PluginExportTest::WriteRequest(const std::string& path) {
    RefSetFilePath(scene_, path);
    return SendRequest(&session_, kRequestWrite, scene_);
}

WrittenMd2 PluginExportTest::Written(const std::string& name) {
    WrittenMd2 written;
    std::string why;
    EXPECT_TRUE(ReadWrittenMd2(OutPath(name), &written, &why)) << why;
    return written;
}

int NearestTableNormal(float x, float y, float z) {
    int best = 0;
    float bestDot = -2;
    for (int i = 0; i < kMd2NormalCount; ++i) {
        const float dot = x * kMd2Normals[i][0] + y * kMd2Normals[i][1] + z * kMd2Normals[i][2];
        if (dot > bestDot) {
            bestDot = dot;
            best = i;
        }
    }
    return best;
}
