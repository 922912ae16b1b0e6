#include "common/Bytes.h"

#include <gtest/gtest.h>

using namespace qb;

TEST(Bytes, SplitRunsDropsEmptyFields) {
    using V = std::vector<std::string_view>;
    EXPECT_EQ(bytes::splitRuns(",a,,b,", ","), (V{"a", "b"}));
    EXPECT_EQ(bytes::splitRuns("a,b;c", ",;"), (V{"a", "b", "c"}));
    EXPECT_EQ(bytes::splitRuns("", ","), V{});
    EXPECT_EQ(bytes::splitRuns(",,,", ","), V{});
    EXPECT_EQ(bytes::splitRuns("abc", ""), (V{"abc"}));
    EXPECT_EQ(bytes::splitRuns("x\xFFy", "\xFF"), (V{"x", "y"})); // high bytes are bytes too
}

TEST(Bytes, ReplaceAllIsLeftToRightAndNonOverlapping) {
    EXPECT_EQ(bytes::replaceAll("aaa", "aa", "b"), "ba");
    EXPECT_EQ(bytes::replaceAll("a\r\nb\r\n", "\r\n", "\n"), "a\nb\n");
    EXPECT_EQ(bytes::replaceAll("x", "", "y"), "x");
}

TEST(Bytes, ParseDecimalRefusesAnythingButDigits) {
    long long v = -1;
    EXPECT_TRUE(bytes::parseDecimal("0", v));
    EXPECT_EQ(v, 0);
    EXPECT_TRUE(bytes::parseDecimal("40001", v));
    EXPECT_EQ(v, 40001);
    for (const char* bad : {"", "-1", "+1", " 1", "1 ", "1a", "99999999999999999999"})
        EXPECT_FALSE(bytes::parseDecimal(bad, v)) << bad;
}

TEST(Bytes, CaseInsensitiveOnlyForAsciiLetters) {
    EXPECT_TRUE(bytes::equalsIgnoreCase("LOGIN", "login"));
    EXPECT_FALSE(bytes::equalsIgnoreCase("a", "ab"));
    EXPECT_FALSE(bytes::equalsIgnoreCase("\xC1", "\xE1")); // not Latin-1 folding
    EXPECT_EQ(bytes::trim(" \tx y\t "), "x y");
}

TEST(Bytes, AppendUtf8AtEachLengthBoundary) {
    struct Case {
        char32_t cp;
        const char* utf8;
    } const cases[] = {
        {U'\x7F', "\x7F"},
        {U'\x80', "\xC2\x80"},
        {U'\x7FF', "\xDF\xBF"},
        {U'\x800', "\xE0\xA0\x80"},
        {U'홍', "\xED\x99\x8D"},
        {U'\xFFFF', "\xEF\xBF\xBF"},
        {U'\x10000', "\xF0\x90\x80\x80"},
        {U'\x10FFFF', "\xF4\x8F\xBF\xBF"},
    };
    for (const Case& c : cases) {
        std::string out = "x";
        bytes::appendUtf8(out, c.cp);
        EXPECT_EQ(out, std::string("x") + c.utf8) << static_cast<unsigned>(c.cp);
    }
}
