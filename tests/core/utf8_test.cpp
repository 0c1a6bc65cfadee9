#include "kestrix/utf8.h"

#include <gtest/gtest.h>

using namespace kestrix;

TEST(Utf8, StrictValidation) {
    EXPECT_TRUE(is_valid_utf8(""));
    EXPECT_TRUE(is_valid_utf8("plain ASCII"));
    EXPECT_TRUE(is_valid_utf8("中文 العربية \xF0\x9F\x98\x80"));
    EXPECT_TRUE(is_valid_utf8("\xF4\x8F\xBF\xBF"));          // U+10FFFF
    EXPECT_FALSE(is_valid_utf8("\xFF"));
    EXPECT_FALSE(is_valid_utf8("\xC0\xAF"));                 // overlong "/"
    EXPECT_FALSE(is_valid_utf8("\xE0\x80\xAF"));             // overlong "/"
    EXPECT_FALSE(is_valid_utf8("\xED\xA0\x80"));             // a surrogate
    EXPECT_FALSE(is_valid_utf8("\xF4\x90\x80\x80"));         // above U+10FFFF
    EXPECT_FALSE(is_valid_utf8("ok\xE4\xB8"));               // cut short
    EXPECT_FALSE(is_valid_utf8("\x80"));                     // a lone continuation byte
}

TEST(Utf8, TrimsUnicodeSpaceOnly) {
    EXPECT_EQ(trim_space(" \t\r\n x y \r"), "x y");
    EXPECT_EQ(trim_space("\xE3\x80\x80\xC2\xA0x\xE2\x80\xAF"), "x");  // ideographic, no-break, narrow no-break
    EXPECT_EQ(trim_space("\xE2\x80\x8Fx"), "\xE2\x80\x8Fx");           // a right-to-left mark is not space
    EXPECT_EQ(trim_space("x\xA0"), "x\xA0");                           // a stray byte is not space
    EXPECT_EQ(trim_space("\xE4\xB8\xAD"), "\xE4\xB8\xAD");
    EXPECT_EQ(trim_space("   "), "");
}

TEST(Utf8, Utf16ConversionBothWays) {
    const std::string text = "Zoë 設定 \xF0\x9F\x98\x80";
    EXPECT_EQ(utf16_from_utf8(text), u"Zoë 設定 \U0001F600");
    EXPECT_EQ(utf8_from_utf16(utf16_from_utf8(text)), text);
    // Unpaired surrogates and bad bytes become U+FFFD.
    EXPECT_EQ(utf8_from_utf16(std::u16string(u"a") + char16_t(0xD800) + u"b" + char16_t(0xDC00)),
              "a\xEF\xBF\xBD" "b\xEF\xBF\xBD");
    EXPECT_EQ(utf16_from_utf8("a\xFF" "b"), u"a\uFFFDb");
    EXPECT_EQ(utf8_from_path(path_from_utf8(text)), text);
}

TEST(Utf8, APathThatIsNotValidUnicodeReadsWithReplacementCharacters) {
#ifdef _WIN32
    const std::filesystem::path path(std::wstring(L"a") + wchar_t(0xD800) + L".png");
#else
    const std::filesystem::path path("a\xFF.png");
#endif
    EXPECT_EQ(utf8_from_path(path), "a\xEF\xBF\xBD.png");
}
