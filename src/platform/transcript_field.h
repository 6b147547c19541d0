// One text field of a user transcript (what the dialogs showed, written by
// the portable dialogs and read back from real windows by the reference
// host): the UTF-8 text in double quotes, with line breaks, tabs, quotes and
// backslashes escaped so that a field stays on one line. Header-only, so the
// reference host, which does not link the plug-in's code, writes the same
// format.
#pragma once

#include <string>

inline std::string QuoteTranscriptField(const std::string& utf8) {
    std::string out = "\"";
    for (char c : utf8) {
        switch (c) {
            case '\r': out += "\\r"; break;
            case '\n': out += "\\n"; break;
            case '\t': out += "\\t"; break;
            case '"': out += "\\\""; break;
            case '\\': out += "\\\\"; break;
            default: out += c;
        }
    }
    return out + "\"";
}
