#include "compose/EditorText.h"

#include "common/Cp949.h"
#include "compose/Symbols.h"

#include <gtest/gtest.h>

namespace qb {
namespace {

using Box = EditorText::Box;

std::string repeat(const std::string& s, int n) {
    std::string out;
    for (int i = 0; i < n; ++i)
        out += s;
    return out;
}

const std::string ga = ko("가");

TEST(EditorText, OpensWithPlaceholdersAndTheFirstFocusClearsEachBoxOnce) {
    EditorText t;
    EXPECT_EQ(t.title(), ko(" 제목... "));
    EXPECT_EQ(t.body(), ko(" 내용... "));
    EXPECT_EQ(t.counter(), "0 / 2000 byte");
    EXPECT_FALSE(t.titleTouched());
    EXPECT_FALSE(t.bodyTouched());

    EXPECT_TRUE(t.focused(Box::Title));
    EXPECT_EQ(t.title(), "");
    EXPECT_TRUE(t.titleTouched());
    EXPECT_FALSE(t.bodyTouched());
    t.edited(Box::Title, "x");
    EXPECT_FALSE(t.focused(Box::Title)); // touched: the text stays
    EXPECT_EQ(t.title(), "x");

    EXPECT_TRUE(t.focused(Box::Body));
    t.edited(Box::Body, ga + "\r\n");
    EXPECT_EQ(t.counter(), "3 / 2000 byte");
    EXPECT_FALSE(t.focused(Box::Body));
    EXPECT_EQ(t.counter(), "3 / 2000 byte");

    t.reset();
    EXPECT_EQ(t.title(), ko(" 제목... "));
    EXPECT_EQ(t.body(), ko(" 내용... "));
    EXPECT_EQ(t.counter(), "0 / 2000 byte");
    EXPECT_FALSE(t.titleTouched());
    EXPECT_FALSE(t.bodyTouched());
}

TEST(EditorText, BothLimitsCutAtACharacterAndCountALineBreakOnce) {
    const struct {
        const char* what;
        Box box;
        std::string typed;
        std::string kept;
        const char* counter; // body only
    } cases[] = {
        {"1000 syllables", Box::Body, repeat(ga, 1000), repeat(ga, 1000), "2000 / 2000 byte"},
        {"1001 syllables", Box::Body, repeat(ga, 1001), repeat(ga, 1000), "2000 / 2000 byte"},
        {"1990 counted with 30 line breaks", Box::Body, repeat("a", 1960) + repeat("\r\n", 30),
         repeat("a", 1960) + repeat("\r\n", 30), "1990 / 2000 byte"},
        {"a syllable over the last byte", Box::Body, repeat("a", 1999) + ga, repeat("a", 1999),
         "1999 / 2000 byte"},
        {"a line break as the 2000th byte", Box::Body, repeat("a", 1999) + "\r\nb",
         repeat("a", 1999) + "\r\n", "2000 / 2000 byte"},
        {"a line break after 2000 bytes", Box::Body, repeat("a", 2000) + "\r\n", repeat("a", 2000),
         "2000 / 2000 byte"},
        {"a paste of 2100 bytes", Box::Body, repeat("b", 2100), repeat("b", 2000), "2000 / 2000 byte"},
        {"32 syllables", Box::Title, repeat(ga, 32), repeat(ga, 32), ""},
        {"33 syllables", Box::Title, repeat(ga, 33), repeat(ga, 32), ""},
        {"63 bytes and a syllable", Box::Title, repeat("a", 63) + ga, repeat("a", 63), ""},
        {"a line break in the title", Box::Title, repeat("a", 63) + "\r\nb", repeat("a", 63) + "\r\n", ""},
    };
    for (const auto& c : cases) {
        EditorText t;
        t.focused(c.box);
        EXPECT_EQ(t.edited(c.box, c.typed), c.kept != c.typed) << c.what;
        EXPECT_EQ(t.text(c.box), c.kept) << c.what;
        if (c.box == Box::Body) {
            EXPECT_EQ(t.counter(), c.counter) << c.what;
        }
    }
}

TEST(EditorText, ASymbolGoesOverTheSelectionAndTheLimitStillHolds) {
    const std::string star(specialchars::symbol(59)); // ★
    EditorText t;
    // An untouched body loses its placeholder whatever the selection said.
    EXPECT_EQ(t.insert(Box::Body, 3, 5, star), 2u);
    EXPECT_EQ(t.body(), star);
    EXPECT_TRUE(t.bodyTouched());
    EXPECT_EQ(t.counter(), "2 / 2000 byte");
    EXPECT_FALSE(t.titleTouched());

    t.edited(Box::Body, "abc");
    EXPECT_EQ(t.insert(Box::Body, 1, 1, star), 3u);
    EXPECT_EQ(t.body(), "a" + star + "bc");
    EXPECT_EQ(t.insert(Box::Body, 3, 5, star), 5u);
    EXPECT_EQ(t.body(), "a" + star + star);

    // At the limit: inserted at the end it is cut away; inside, the end goes.
    t.edited(Box::Body, repeat("a", 1999));
    EXPECT_EQ(t.insert(Box::Body, 1999, 1999, star), 1999u);
    EXPECT_EQ(t.body(), repeat("a", 1999));
    EXPECT_EQ(t.insert(Box::Body, 0, 0, star), 2u);
    EXPECT_EQ(t.body(), star + repeat("a", 1998));
    EXPECT_EQ(t.counter(), "2000 / 2000 byte");

    // The title follows the same rules with its own limit.
    EXPECT_EQ(t.insert(Box::Title, 0, 0, star), 2u);
    EXPECT_EQ(t.title(), star);
    t.edited(Box::Title, repeat(ga, 31) + "a");
    EXPECT_EQ(t.insert(Box::Title, 2, 2, star), 4u);
    EXPECT_EQ(t.title(), ga + star + repeat(ga, 30)); // 65 bytes: the "a" at the end goes
}

TEST(EditorText, ALoadedMessageTouchesBothBoxesWithinTheirLimits) {
    EditorText t;
    t.load(repeat("t", 67), ga + "\r\n" + ga);
    EXPECT_EQ(t.title(), repeat("t", 64));
    EXPECT_EQ(t.body(), ga + "\r\n" + ga);
    EXPECT_EQ(t.counter(), "5 / 2000 byte");
    const EditorContent c = t.content();
    EXPECT_TRUE(c.titleTouched);
    EXPECT_TRUE(c.bodyTouched);
    EXPECT_EQ(c.body, t.body());

    t.reset();
    const MessageDraft d = t.draft();
    EXPECT_FALSE(d.titleEntered);
    EXPECT_FALSE(d.bodyEntered);
    EXPECT_EQ(d.title, ko(" 제목... "));
}

// Text that reaches a box without the focus (an input method, a screen reader)
// is the user's: it touches the box, so validation and saving take it.
TEST(EditorText, TextFromAnywhereTouchesTheBox) {
    const struct Case {
        Box box;
        std::string text;
        bool touched;
    } cases[] = {
        {Box::Title, ko("공지"), true}, {Box::Title, ko(" 제목... "), false}, {Box::Title, "", true},
        {Box::Body, ko("본문"), true},  {Box::Body, ko(" 내용... "), false},
    };
    for (const Case& c : cases) {
        EditorText t;
        t.edited(c.box, c.text);
        EXPECT_EQ(t.touched(c.box), c.touched) << cp949::toUtf8(c.text);
        EXPECT_EQ(t.text(c.box), c.text);
        const EditorContent content = t.content();
        EXPECT_EQ(c.box == Box::Title ? content.titleTouched : content.bodyTouched, c.touched);
    }
}

} // namespace
} // namespace qb
