#include "host/registration_check.h"

#include <cstring>

#include "host/host_platform.h"

namespace {

bool Terminated(const TextPair& pair) {
    return std::char_traits<char16_t>::find(pair.wide, kTextPairUnits, u'\0') != nullptr &&
           std::memchr(pair.narrow, 0, kTextPairUnits) != nullptr;
}

// Both halves hold the same text where it is plain ASCII.
bool HalvesAgree(const TextPair& pair) {
    for (int i = 0; i < kTextPairUnits; ++i) {
        char16_t w = pair.wide[i];
        if (w >= 0x80) {
            return true;
        }
        if (static_cast<unsigned char>(pair.narrow[i]) != w) {
            return false;
        }
        if (w == 0) {
            return true;
        }
    }
    return false;
}

void CheckText(const char* name, const TextPair& pair, std::vector<std::string>* problems) {
    if (!Terminated(pair)) {
        problems->push_back(std::string(name) + ": not terminated within 260 units");
    } else if (pair.wide[0] == 0) {
        problems->push_back(std::string(name) + ": empty");
    } else if (!HalvesAgree(pair)) {
        problems->push_back(std::string(name) + ": the UTF-16 and 8-bit halves differ");
    }
}

}  // namespace

std::vector<std::string> CheckRegistration(const RefRegistration& registration) {
    std::vector<std::string> problems;
    const HostRegistration& record = registration.record;
    if (record.callback == nullptr) {
        problems.push_back("no request callback");
    }
    CheckText("description", record.description, &problems);
    CheckText("version text", record.version, &problems);
    CheckText("file filter", record.fileFilter, &problems);
    if (registration.addExtensionCalls == 0) {
        problems.push_back("no extension registered");
    } else {
        CheckText("extension", registration.extension, &problems);
    }
    return problems;
}

std::string PrintableText(const TextPair& pair) {
    std::string text = HostText(pair);
    std::string out;
    for (char c : text) {
        switch (c) {
            case '\r': out += "\\r"; break;
            case '\n': out += "\\n"; break;
            case '\t': out += "\\t"; break;
            default: out += c;
        }
    }
    return out;
}
