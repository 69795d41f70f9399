#include "text/Utf16.h"

#include <gtest/gtest.h>

namespace tessel {
namespace {

TEST(Utf16, NamesOfEveryScriptGoThereAndBack)
{
    for (const std::string name : {"map.pud", "café 日本.pud", "Ωmega – ŝablono.pud", "😀 smile.pud", ""}) {
        const std::u16string wide = Utf16FromUtf8(name);
        EXPECT_EQ(Utf8FromUtf16(wide), name);
    }
    EXPECT_EQ(Utf16FromUtf8("café 日本"), u"café 日本");
    // Beyond the basic plane: a surrogate pair.
    EXPECT_EQ(Utf16FromUtf8("\xF0\x9F\x98\x80"), std::u16string({0xD83D, 0xDE00}));
}

TEST(Utf16, EveryCodePointGoesThereAndBack)
{
    for (uint32_t code = 1; code <= 0x10FFFF; ++code) {
        std::u16string wide;
        if (code >= 0x10000) {
            wide += static_cast<char16_t>(0xD800 + ((code - 0x10000) >> 10));
            wide += static_cast<char16_t>(0xDC00 + ((code - 0x10000) & 0x3FF));
        } else {
            wide += static_cast<char16_t>(code);
        }
        const std::string utf8 = Utf8FromUtf16(wide);
        ASSERT_EQ(utf8.size(), code < 0x80 ? 1u : code < 0x800 ? 2u : code < 0x10000 ? 3u : 4u) << code;
        ASSERT_EQ(Utf16FromUtf8(utf8), wide) << code;
    }
}

TEST(Utf16, ALoneSurrogateThatTheSystemHandsOverSurvives)
{
    // Windows file names may hold one; it must name the same file afterwards.
    const std::u16string lone{u'a', 0xD800, u'b', 0xDC00};
    EXPECT_EQ(Utf8FromUtf16(lone), "a\xED\xA0\x80" "b\xED\xB0\x80");
    EXPECT_EQ(Utf16FromUtf8(Utf8FromUtf16(lone)), lone);
}

TEST(Utf16, BytesThatAreNotUtf8BecomeTheReplacementCharacter)
{
    const char16_t replacement = 0xFFFD;
    EXPECT_EQ(Utf16FromUtf8("a\x80" "b"), std::u16string({u'a', replacement, u'b'}));
    EXPECT_EQ(Utf16FromUtf8("\xC0\x80"), std::u16string({replacement, replacement}));            // overlong
    EXPECT_EQ(Utf16FromUtf8("\xE6\x97"), std::u16string({replacement, replacement}));            // cut short
    EXPECT_EQ(Utf16FromUtf8("\xF4\x90\x80\x80"), std::u16string(4, replacement));                // past U+10FFFF
    EXPECT_EQ(Utf16FromUtf8("\xE0\x9F\xBF"), std::u16string(3, replacement));                    // overlong three
    EXPECT_EQ(Utf16FromUtf8("\xF0\x8F\xBF\xBF"), std::u16string(4, replacement));                // overlong four
    EXPECT_EQ(Utf16FromUtf8("\xFF" "x"), std::u16string({replacement, u'x'}));
    // A valid character right after a broken one is kept.
    EXPECT_EQ(Utf16FromUtf8("\xE6\xC3\xA9"), std::u16string({replacement, u'é'}));
}

}  // namespace
}  // namespace tessel
