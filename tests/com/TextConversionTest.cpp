#include <gtest/gtest.h>

#include "platform/com/TextConversion.h"

namespace {

TEST(TextConversion, RoundTripsEveryPlane) {
    const std::string text = "Caf\xC3\xA9 \xE6\x97\xA5\xE6\x9C\xAC \xF0\x9F\x8E\xAC";  // é, 日本, 🎬
    std::u16string wide = orvo::com::Utf8ToUtf16(text);
    EXPECT_EQ(wide, u"Café 日本 🎬");
    EXPECT_EQ(orvo::com::Utf16ToUtf8(wide), text);
}

TEST(TextConversion, MalformedInputBecomesReplacement) {
    EXPECT_EQ(orvo::com::Utf8ToUtf16("a\xFF"
                                     "b\xC3"),
              u"a\uFFFDb\uFFFD");
    EXPECT_EQ(orvo::com::Utf8ToUtf16("\xC0\xAF"), u"\uFFFD");  // overlong
    EXPECT_EQ(orvo::com::Utf16ToUtf8(std::u16string(1, char16_t(0xD800))), "\xEF\xBF\xBD");
}

TEST(TextConversion, PlatformCallsCountAndTerminate) {
    char16_t wide[8];
    EXPECT_EQ(MultiByteToWideChar(CP_ACP, 0, "abc", -1, nullptr, 0), 4);
    EXPECT_EQ(MultiByteToWideChar(CP_ACP, 0, "abc", -1, wide, 8), 4);
    EXPECT_EQ(std::u16string(wide), u"abc");
    EXPECT_EQ(MultiByteToWideChar(CP_ACP, 0, "abcdefghij", -1, wide, 8), 0) << "too small fails";
    EXPECT_EQ(MultiByteToWideChar(CP_ACP, 0, nullptr, -1, wide, 8), 0);

    char narrow[8];
    EXPECT_EQ(WideCharToMultiByte(CP_ACP, 0, u"é", -1, nullptr, 0, nullptr, nullptr), 3);
    EXPECT_EQ(WideCharToMultiByte(CP_ACP, 0, u"é", -1, narrow, 8, nullptr, nullptr), 3);
    EXPECT_STREQ(narrow, "é");
}

TEST(TextConversion, BoundedNeverCutsACharacter) {
    char buf[5];
    // "aé日" is 1 + 2 + 3 bytes; only "aé" fits before the terminating zero.
    EXPECT_EQ(orvo::com::Utf16ToUtf8Bounded(u"aé日", buf, sizeof buf), 3u);
    EXPECT_STREQ(buf, "aé");
    EXPECT_EQ(orvo::com::Utf16ToUtf8Bounded(u"abc", buf, 1), 0u);
    EXPECT_STREQ(buf, "");
}

}  // namespace
