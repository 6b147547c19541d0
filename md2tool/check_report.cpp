#include "md2tool/check_report.h"

#include <cstdio>

std::string FormatFindingsText(const std::string& file, const Md2CheckResult& result) {
    if (!result.readable) {
        return file + ": unreadable: " + result.unreadable + "\n";
    }
    std::string out;
    for (const Md2Finding& f : result.findings) {
        out += file + ": " + (f.error ? "error" : "warning") + " [" + f.rule + "] " + f.message + "\n";
    }
    return out;
}

namespace {

std::string JsonString(const std::string& text) {
    std::string out = "\"";
    for (char ch : text) {
        const unsigned char u = static_cast<unsigned char>(ch);
        if (ch == '"' || ch == '\\') {
            out += '\\';
            out += ch;
        } else if (u < 0x20 || u >= 0x7F) {
            // Bytes of file names and skin paths are not necessarily UTF-8.
            char escaped[8];
            std::snprintf(escaped, sizeof escaped, "\\u%04x", u);
            out += escaped;
        } else {
            out += ch;
        }
    }
    return out + "\"";
}

}  // namespace

std::string FormatFindingsJson(const std::vector<std::string>& files, const std::vector<Md2CheckResult>& results) {
    std::string out = "{\"files\": [";
    for (std::size_t i = 0; i < files.size() && i < results.size(); ++i) {
        const Md2CheckResult& r = results[i];
        out += i == 0 ? "\n" : ",\n";
        out += "  {\"file\": " + JsonString(files[i]) + ", \"readable\": " + (r.readable ? "true" : "false");
        if (!r.readable) {
            out += ", \"unreadable\": " + JsonString(r.unreadable);
        }
        out += std::string(", \"errors\": ") + (HasErrors(r) ? "true" : "false") + ", \"findings\": [";
        for (std::size_t k = 0; k < r.findings.size(); ++k) {
            const Md2Finding& f = r.findings[k];
            out += k == 0 ? "\n" : ",\n";
            out += std::string("    {\"severity\": ") + (f.error ? "\"error\"" : "\"warning\"") +
                   ", \"rule\": " + JsonString(f.rule) + ", \"message\": " + JsonString(f.message) + "}";
        }
        out += r.findings.empty() ? "]}" : "\n  ]}";
    }
    return out + "\n]}\n";
}
