#include "md2tool/json_out.h"

namespace {

// The length of the UTF-8 sequence at `at`, or 0 when it is not one:
// overlong forms, surrogates and values past U+10FFFF are not UTF-8.
std::size_t Utf8Length(const std::string& bytes, std::size_t at) {
    const auto byte = [&](std::size_t k) { return static_cast<unsigned char>(bytes[at + k]); };
    const unsigned char lead = byte(0);
    const std::size_t length = lead < 0x80 ? 1 : lead < 0xC2 ? 0 : lead < 0xE0 ? 2 : lead < 0xF0 ? 3 : lead < 0xF5 ? 4 : 0;
    if (length == 0 || bytes.size() - at < length) {
        return 0;
    }
    for (std::size_t k = 1; k < length; ++k) {
        if ((byte(k) & 0xC0) != 0x80) {
            return 0;
        }
    }
    if (length > 2) {
        const unsigned char second = byte(1);
        if ((lead == 0xE0 && second < 0xA0) || (lead == 0xED && second >= 0xA0) || (lead == 0xF0 && second < 0x90) ||
            (lead == 0xF4 && second >= 0x90)) {
            return 0;
        }
    }
    return length;
}

}  // namespace

std::string Utf8Text(const std::string& bytes) {
    std::string text;
    text.reserve(bytes.size());
    for (std::size_t at = 0; at < bytes.size();) {
        const std::size_t length = Utf8Length(bytes, at);
        if (length > 0) {
            text.append(bytes, at, length);
            at += length;
        } else {
            const auto byte = static_cast<unsigned char>(bytes[at++]);
            text += static_cast<char>(0xC0 | (byte >> 6));
            text += static_cast<char>(0x80 | (byte & 0x3F));
        }
    }
    return text;
}

void JsonOut::Text(const char* key, const std::string& bytes) {
    Key(key);
    const std::string text = Utf8Text(bytes);
    writer.String(text.data(), static_cast<rapidjson::SizeType>(text.size()));
}
