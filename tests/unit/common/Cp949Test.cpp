#include "common/Cp949.h"

#include <gtest/gtest.h>

#include <iconv.h>

using namespace qb;

namespace {
std::string hex(std::string_view s) {
    static const char* d = "0123456789ABCDEF";
    std::string out;
    for (unsigned char c : s) {
        if (!out.empty())
            out += ' ';
        out += d[c >> 4];
        out += d[c & 15];
    }
    return out;
}
} // namespace

TEST(Cp949, KnownCharactersHaveTheWindowsCodePageBytes) {
    struct Row {
        const char* utf8;
        const char* bytes;
    };
    const Row rows[] = {
        {"가", "B0 A1"}, {"똠", "8C 63"}, // outside KS X 1001: Windows' extension, wrong in IBM-949
        {"힣", "C6 52"}, {"알림", "BE CB B8 B2"}, {"★", "A1 DA"}, {"a1", "61 31"},
    };
    for (const Row& r : rows) {
        const cp949::Conversion c = cp949::fromUtf8(r.utf8);
        EXPECT_TRUE(c.ok()) << r.utf8;
        EXPECT_EQ(hex(c.text), r.bytes) << r.utf8;
        EXPECT_EQ(cp949::toUtf8(c.text), r.utf8);
    }
}

TEST(Cp949, EveryHangulSyllableRoundTrips) {
    for (char32_t cp = 0xAC00; cp <= 0xD7A3; ++cp) {
        std::string utf8;
        utf8 += static_cast<char>(0xE0 | (cp >> 12));
        utf8 += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        utf8 += static_cast<char>(0x80 | (cp & 0x3F));
        const cp949::Conversion c = cp949::fromUtf8(utf8);
        ASSERT_TRUE(c.ok());
        ASSERT_EQ(c.text.size(), 2u);
        ASSERT_EQ(cp949::toUtf8(c.text), utf8);
    }
}

TEST(Cp949, CharactersOutsideTheCodePageAreCountedNotDropped) {
    // an emoji and a Thai letter have no CP949 form; invalid UTF-8 counts too
    const cp949::Conversion c = cp949::fromUtf8("a\xF0\x9F\x98\x80"
                                                "b\xE0\xB8\x81"
                                                "c\xFF"
                                                "d");
    EXPECT_EQ(c.unmappable, 3u);
    EXPECT_EQ(c.text, "a?b?c?d");
}

TEST(Cp949, InvalidCp949BecomesReplacementCharacter) {
    EXPECT_EQ(cp949::toUtf8("a\xB0"), "a\xEF\xBF\xBD");      // truncated lead byte
    EXPECT_EQ(cp949::toUtf8("\xB0\x20x"), "\xEF\xBF\xBD x"); // bad trail keeps the next byte
}

TEST(Cp949, Utf8Detection) {
    EXPECT_TRUE(cp949::looksLikeUtf8("가나"));
    EXPECT_FALSE(cp949::looksLikeUtf8("plain ascii")); // no multi-byte sequence
    EXPECT_FALSE(cp949::looksLikeUtf8(ko("가나")));    // CP949 bytes are not UTF-8
    EXPECT_FALSE(cp949::isValidUtf8("\xED\xA0\x80"));  // a surrogate
    EXPECT_FALSE(cp949::isValidUtf8("\xC0\xAF"));      // overlong
}

TEST(Cp949, CutNeverLeavesHalfACharacter) {
    const std::string s = ko("a가나b"); // 61 | B0 A1 | B3 AA | 62
    const struct {
        std::size_t limit;
        std::size_t expected;
    } rows[] = {{0, 0}, {1, 1}, {2, 1}, {3, 3}, {4, 3}, {5, 5}, {6, 6}, {100, 6}};
    for (auto r : rows)
        EXPECT_EQ(cp949::safeCutLength(s, r.limit), r.expected) << r.limit;

    // A trail byte in the lead range (B0 B0 is one syllable) must not be taken for a lead.
    const std::string twice = ko("곰곰");
    ASSERT_EQ(twice.size(), 4u);
    EXPECT_EQ(cp949::safeCutLength(twice, 3), 2u);
    // A lone lead byte at the very end counts as one byte.
    EXPECT_EQ(cp949::safeCutLength("ab\xB0", 3), 3u);
    EXPECT_EQ(cp949::cutBytes(s, 4), ko("a가"));
}

// Every two-byte character, ASCII between them, converted as iconv converts it; and
// a text with one bad byte anywhere still comes out as iconv's replacement says.
TEST(Cp949, EveryCharacterConvertsAsIconvDoes) {
    iconv_t cd = iconv_open("UTF-8", "CP949");
    ASSERT_NE(cd, reinterpret_cast<iconv_t>(-1)); // NOLINT(performance-no-int-to-ptr): iconv's failure value
    std::string all, expected;
    for (unsigned lead = 0x81; lead <= 0xFE; ++lead)
        for (unsigned trail = 0x41; trail <= 0xFE; ++trail) {
            char in[2] = {static_cast<char>(lead), static_cast<char>(trail)};
            char out[8];
            char* src = in;
            char* dst = out;
            std::size_t srcLeft = 2, dstLeft = sizeof out;
            iconv(cd, nullptr, nullptr, nullptr, nullptr);
            if (iconv(cd, &src, &srcLeft, &dst, &dstLeft) == static_cast<std::size_t>(-1))
                continue;
            all += std::string(in, 2) + "a";
            expected += std::string(out, sizeof out - dstLeft) + "a";
        }
    iconv_close(cd);
    ASSERT_GT(all.size(), 3u * 17000);
    std::string reused = "left over";
    cp949::toUtf8(all, reused);
    EXPECT_TRUE(reused == expected);
    EXPECT_TRUE(cp949::toUtf8(all) == expected);
    EXPECT_EQ(cp949::toUtf8(all + "\x80"), expected + "\xEF\xBF\xBD");
    EXPECT_EQ(cp949::toUtf8("\xB0\xA1z\xB0"), "가z\xEF\xBF\xBD");
}
