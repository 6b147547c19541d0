// Text conversions and TextPair: both halves always terminated within their
// 260 units, nothing left behind a character that cannot be converted.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "util/text.h"

namespace {

std::u16string Wide(const TextPair& pair) { return std::u16string(pair.wide, U16Length(pair.wide, 260)); }
std::string Narrow(const TextPair& pair) { return std::string(pair.narrow, strnlen(pair.narrow, 260)); }

// A pair full of garbage, so that a missing terminator shows.
TextPair Dirty() {
    TextPair pair;
    std::memset(&pair, 0x41, sizeof(pair));
    return pair;
}

bool NarrowTerminated(const TextPair& pair) { return std::memchr(pair.narrow, 0, 260) != nullptr; }
bool WideTerminated(const TextPair& pair) { return U16Length(pair.wide, 260) < 260; }

}  // namespace

TEST(TextPair, FromWideKeepsAsciiAndControlCharactersInBothHalves) {
    TextPair pair = Dirty();
    TextPairFromWide(&pair, u"Quake 2 MD2 Importer/Exporter\r\n");
    EXPECT_EQ(Wide(pair), u"Quake 2 MD2 Importer/Exporter\r\n");
    EXPECT_EQ(Narrow(pair), "Quake 2 MD2 Importer/Exporter\r\n");
}

TEST(TextPair, LongTextIsCutAndTerminatedInBothHalves) {
    std::u16string longText(400, u'x');
    TextPair pair = Dirty();
    TextPairFromWide(&pair, longText.c_str());
    ASSERT_TRUE(WideTerminated(pair));
    ASSERT_TRUE(NarrowTerminated(pair));
    EXPECT_EQ(Wide(pair), std::u16string(259, u'x'));
    EXPECT_EQ(Narrow(pair), std::string(259, 'x'));

    std::string longNarrow(400, 'y');
    TextPair fromNarrow = Dirty();
    TextPairFromNarrow(&fromNarrow, longNarrow.c_str());
    EXPECT_EQ(Narrow(fromNarrow), std::string(259, 'y'));
    EXPECT_EQ(Wide(fromNarrow), std::u16string(259, u'y'));
}

TEST(TextPair, UnconvertibleCharacterBecomesQuestionMarkWithTheRestKept) {
    // A lone surrogate has no 8-bit form in any code page.
    const char16_t text[] = {u'a', 0xD800, u'b', 0};
    TextPair pair = Dirty();
    TextPairFromWide(&pair, text);
    EXPECT_EQ(Narrow(pair), "a?b");
    EXPECT_EQ(Wide(pair), std::u16string(text));
}

TEST(TextPair, NarrowHalfOfAnyTextIsAWholeCharacterPrefix) {
    // Whatever the C runtime's locale makes of these characters, the 8-bit
    // half ends in a NUL and converts back to the start of the text.
    std::u16string text;
    for (int i = 0; i < 200; ++i) {
        text += (i % 3 == 0) ? u'\u00e9' : (i % 3 == 1) ? u'\u4e2d' : u'z';
    }
    TextPair pair = Dirty();
    TextPairFromWide(&pair, text.c_str());
    ASSERT_TRUE(NarrowTerminated(pair));
    char16_t back[260];
    CrtNarrowToWide(pair.narrow, back, 260);
    std::u16string roundTrip(back);
    ASSERT_LE(roundTrip.size(), text.size());
    for (std::size_t i = 0; i < roundTrip.size(); ++i) {
        EXPECT_TRUE(roundTrip[i] == text[i] || roundTrip[i] == u'?') << "at " << i;
    }
}

TEST(TextPair, ClearAndCopy) {
    TextPair a = Dirty();
    TextPairFromWide(&a, u"skin.pcx");
    TextPair b = Dirty();
    TextPairCopy(&b, &a);
    EXPECT_EQ(Wide(b), u"skin.pcx");
    EXPECT_EQ(Narrow(b), "skin.pcx");
    TextPairCopy(&b, &b);
    EXPECT_EQ(Wide(b), u"skin.pcx");
    EXPECT_EQ(Narrow(b), "skin.pcx");
    TextPairClear(&b);
    EXPECT_EQ(b.wide[0], 0);
    EXPECT_EQ(b.narrow[0], 0);
}

TEST(CodePage, AsciiRoundTripsLosslessly) {
    char16_t wide[64];
    char narrow[64];
    EXPECT_EQ(ToWide("models/weapons2/", wide, 64), 17);
    EXPECT_EQ(std::u16string(wide), u"models/weapons2/");
    EXPECT_EQ(ToNarrow(wide, narrow, 64), 17);
    EXPECT_STREQ(narrow, "models/weapons2/");
}

TEST(CodePage, TooSmallBufferFailsWithAnEmptyText) {
    char16_t wide[4];
    char narrow[4];
    std::memset(wide, 0x41, sizeof(wide));
    std::memset(narrow, 0x41, sizeof(narrow));
    EXPECT_EQ(ToWide("abcdef", wide, 4), 0);
    EXPECT_EQ(wide[0], 0);
    EXPECT_EQ(ToNarrow(u"abcdef", narrow, 4), 0);
    EXPECT_EQ(narrow[0], 0);
}

TEST(CodePage, NonAsciiRoundTripsThroughTheCodePage) {
    // e-acute exists in the Western code page and in UTF-8 alike.
    char narrow[16];
    char16_t wide[16];
    ASSERT_GT(ToNarrow(u"caf\u00e9", narrow, 16), 0);
    ASSERT_GT(ToWide(narrow, wide, 16), 0);
    EXPECT_EQ(std::u16string(wide), u"caf\u00e9");
}
