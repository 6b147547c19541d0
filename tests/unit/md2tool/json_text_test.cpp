// Names become the UTF-8 that JSON and glTF need: valid UTF-8 is kept and
// every byte of anything else is read as Latin-1.
#include <gtest/gtest.h>

#include <string>

#include "md2tool/json_out.h"

namespace {

TEST(JsonText, ValidUtf8StaysAndOtherBytesAreLatin1) {
    struct Case {
        const char* name;
        std::string bytes;
        std::string text;
    };
    const Case cases[] = {
        {"ASCII", "stand01", "stand01"},
        {"two-byte UTF-8", "caf\xc3\xa9", "caf\xc3\xa9"},
        {"three-byte UTF-8", "\xe2\x82\xac", "\xe2\x82\xac"},
        {"four-byte UTF-8", "\xf0\x9f\x98\x80", "\xf0\x9f\x98\x80"},
        {"Latin-1", "\xe9t\xe9", "\xc3\xa9t\xc3\xa9"},
        {"the last byte", "\xff", "\xc3\xbf"},
        {"overlong two bytes", "\xc0\xaf", "\xc3\x80\xc2\xaf"},
        {"overlong three bytes", "\xe0\x80\x80", "\xc3\xa0\xc2\x80\xc2\x80"},
        {"a surrogate", "\xed\xa0\x80", "\xc3\xad\xc2\xa0\xc2\x80"},
        {"past U+10FFFF", "\xf4\x90\x80\x80", "\xc3\xb4\xc2\x90\xc2\x80\xc2\x80"},
        {"cut short at the end", "a\xe2\x82", "a\xc3\xa2\xc2\x82"},
        {"a lead byte before ASCII", "\xc3" "a", "\xc3\x83" "a"},
        {"an embedded zero", std::string("a\0b", 3), std::string("a\0b", 3)},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(Utf8Text(c.bytes), c.text);
    }
}

}  // namespace
