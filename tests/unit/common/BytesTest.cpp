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
