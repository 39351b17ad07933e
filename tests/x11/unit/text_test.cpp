#include "platform/x11/x11_text.h"

#include <gtest/gtest.h>

namespace tally::x11 {
namespace {

TEST(X11Text, DecodesLatin1AndKeepsValidUtf8)
{
    EXPECT_EQ(DecodeText("Caf\xe9 \xbd", TextEncoding::Latin1), "Café ½");
    EXPECT_EQ(DecodeText("Grüße ✓ 𝄞", TextEncoding::Utf8), "Grüße ✓ 𝄞");
    EXPECT_EQ(DecodeText("", TextEncoding::Utf8), "");
}

TEST(X11Text, ReplacesMalformedUtf8)
{
    const std::string replacement = "\xEF\xBF\xBD";
    EXPECT_EQ(DecodeText("a\xffz", TextEncoding::Utf8), "a" + replacement + "z");
    EXPECT_EQ(DecodeText("\xC0\xAF", TextEncoding::Utf8), replacement + replacement) << "overlong form";
    EXPECT_EQ(DecodeText("\xED\xA0\x80", TextEncoding::Utf8), replacement + replacement + replacement) << "surrogate";
    EXPECT_EQ(DecodeText("ab\xE2\x9C", TextEncoding::Utf8), "ab" + replacement + replacement) << "cut short";
}

TEST(X11Text, EndsAtNulAndCutsAtWholeCharacters)
{
    EXPECT_EQ(DecodeText(std::string_view("title\0rest", 10), TextEncoding::Utf8), "title");

    std::string longCaption;
    for (int i = 0; i < 1500; ++i) {
        longCaption += "é";
    }
    const std::string decoded = DecodeText(longCaption, TextEncoding::Utf8);
    EXPECT_EQ(decoded.size(), 2 * kMaxCaptionCharacters) << "1024 characters of two bytes each";
    EXPECT_EQ(DecodeText("abcdef", TextEncoding::Latin1, 3), "abc");
}

} // namespace
} // namespace tally::x11
