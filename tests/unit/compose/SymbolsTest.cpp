#include "compose/Symbols.h"

#include "common/Cp949.h"

#include <gtest/gtest.h>

#include <set>

namespace qb {
namespace {

TEST(Symbols, EightyTwoByteSymbolsInThePalettesOrder) {
    // The palette's rows as the user sees them.
    const char* rows[specialchars::kRows] = {
        "＠＼《》「」『』【】", "⊙∑▤▥▦▧▨▲△▶",   "▷▼▽◀◁◆◇◈◎◐", "◑↑↗→☞↘↓↙←☜",
        "↖↔━┃┏┓┗┛┣┫",           "┳┻╋▒￥§※㉿☆★", "☎☏♀♂♠♡♣♤♥♧", "♨♪♬€㈜㏂㏘™πΩ",
    };
    std::set<std::string> distinct;
    for (int k = 0; k < specialchars::kCount; ++k) {
        const std::string_view s = specialchars::symbol(k);
        ASSERT_EQ(s.size(), 2u) << k;
        EXPECT_TRUE(cp949::isLeadByte(static_cast<unsigned char>(s[0]))) << k;
        distinct.insert(std::string(s));
    }
    EXPECT_EQ(distinct.size(), 80u);
    for (int r = 0; r < specialchars::kRows; ++r) {
        std::string row;
        for (int c = 0; c < specialchars::kColumns; ++c)
            row += specialchars::symbol(r * specialchars::kColumns + c);
        EXPECT_EQ(cp949::toUtf8(row), rows[r]) << "row " << r + 1;
    }
    EXPECT_EQ(specialchars::symbol(-1), "");
    EXPECT_EQ(specialchars::symbol(80), "");
}

TEST(Symbols, ReplacingARangeLeavesTheCaretAfterTheInsertion) {
    const std::string star = std::string(specialchars::symbol(59));
    const struct {
        std::string text;
        std::size_t from, to;
        std::string result;
        std::size_t caret;
    } cases[] = {
        {"", 0, 0, star, 2},
        {"abc", 1, 1, "a" + star + "bc", 3},       // at the caret
        {"abc", 1, 3, "a" + star, 3},              // over the selection
        {"abc", 3, 3, "abc" + star, 5},            // at the end
        {"abc", 9, 12, "abc" + star, 5},           // past the end: the end
        {"abc", 2, 1, "ab" + star + "c", 4},       // an end before the start: nothing replaced
        {"a\r\nb", 3, 3, "a\r\n" + star + "b", 5}, // after a line break
    };
    for (const auto& c : cases) {
        const Replaced r = replaceRange(c.text, c.from, c.to, star);
        EXPECT_EQ(r.text, c.result) << c.text << " " << c.from << ".." << c.to;
        EXPECT_EQ(r.caret, c.caret) << c.text << " " << c.from << ".." << c.to;
    }
}

} // namespace
} // namespace qb
