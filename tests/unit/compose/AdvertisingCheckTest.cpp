#include "compose/AdvertisingCheck.h"
#include "compose/AdvertisingSettings.h"

#include "common/Cp949.h"

#include <gtest/gtest.h>

namespace qb {
namespace {

// A message of 홍길동상회 (080-123-4567): `body` + `end`, its title and kind.
struct Message {
    std::string body, end = "\n무료수신거부 080-123-4567", title = {};
    MessageKind kind = MessageKind::Sms;
};

// A letter per finding: Marker not first, Variant, Name missing, Refusal missing.
std::string findings(const Message& m) {
    AdvertisingCheck check(m.kind, ko("홍길동상회"), "080-123-4567");
    check.check(ko(m.title), ko(m.body + m.end), 0);
    std::string out;
    for (int f = 0; f < AdvertisingCheck::kFindings; ++f)
        if (check.rows(static_cast<AdvertisingCheck::Finding>(f)) > 0)
            out += "MVNR"[f];
    return out;
}

TEST(AdvertisingCheck, MarkerVariants) {
    const auto found = [](const char* text) {
        const std::string t = ko(text);
        const TextSpan v = findMarkerVariant(t);
        return v.pos == std::string_view::npos ? "" : cp949::toUtf8(t.substr(v.pos, v.size));
    };
    for (const char* none : {"(광고)", "((광고))", "광고 문의", "(광고", "(광\n고)"})
        EXPECT_EQ(found(none), "") << none;
    for (const char* variant : {"(광 고)", "(광.고)", "(광/고)", "[광고]", "<광고>", "{광고}", "( 광고 )",
                                "(광고]", "（광고）", "【광·고】"})
        EXPECT_EQ(found(variant), variant);
    EXPECT_EQ(found("(광고) 안내 (광-고)"), "(광-고)");
}

TEST(AdvertisingCheck, FindingsOfOneMessage) {
    const std::vector<std::pair<Message, std::string>> rows{
        {{"(광고)홍길동상회\n봄 세일"}, ""},
        {{"(광고)홍길동상회\n무료거부 0801234567\n감사합니다", ""}, ""},
        {{"(광고)홍길동상회 무료 수신 거부 080-1234-567\n\n  \n", ""}, ""},
        {{"(광고)홍길동상회", "\n무료수신거부 080-123-4567\n끝"}, ""},
        // The name may stand in the title, and the marker too; an MMS's title
        // does not stand for its body.
        {{"(광고) 봄 세일", "\n무료수신거부 080-123-4567", "(광고)홍길동상회", MessageKind::Lms}, ""},
        {{"홍길동상회", "\n무료수신거부 080-123-4567", "(광고)", MessageKind::Mms}, "M"},
        {{" (광고)홍길동상회"}, "M"},
        {{"홍길동상회 (광고)"}, "M"},
        {{"(광 고)홍길동상회"}, "MV"},
        {{"(광고)홍길동상회 [광고]"}, "V"},
        {{"(광고)홍길동상회", "\n무료수신거부 080-123-4567", "<광고>", MessageKind::Lms}, "V"},
        {{"(광고)홍길동 상회"}, "N"},
        {{"(광고)홍길동상회", "\n무료수신거부 080-123-4567\n안내\n끝"}, "R"},
        {{"(광고)홍길동상회", "\n수신거부 080-123-4567"}, "R"},
        {{"(광고)홍길동상회", "\n무료수신 080-123-4567"}, "R"},
        {{"(광고)홍길동상회", "\n무료수신거부 080-123-4568"}, "R"},
        {{"(광고)홍길동상회", "\n무료수신거부 0080-123-4567"}, "R"},
        {{"(광고)홍길동상회", "\n무료수신거부 080-123-45678"}, "R"},
        {{"(광고)홍길동상회", "", "", MessageKind::Mms}, "R"}};
    for (const auto& [m, expected] : rows)
        EXPECT_EQ(findings(m), expected) << m.title << " | " << m.body << m.end;
}

TEST(AdvertisingCheck, ReportNamesTheFirstTenRowsAndTheCount) {
    AdvertisingCheck first(MessageKind::Mms, ko("홍길동상회"), "080-123-4567");
    AdvertisingCheck later = first;
    const std::string good = ko("(광고)홍길동상회\n무료수신거부 080-123-4567");
    for (long long row = 1; row <= 6; ++row)
        first.check({}, row % 2 ? ko("(광고)홍길동상회") : good, row);
    for (long long row = 7; row <= 30; ++row)
        later.check({}, row == 9 ? ko("[광고]") : good, row);
    first.add(later);
    EXPECT_EQ(cp949::toUtf8(first.report()),
              "광고 문자 규칙에 맞지 않습니다. 고친 뒤 다시 미리보기 해주세요.\n"
              "- MMS 본문 글자가 \"(광고)\"로 시작하지 않습니다(사진 속 글자는 인정되지 않습니다). (행 9)\n"
              "- \"[광고]\"처럼 바꾼 표기는 쓸 수 없습니다. \"(광고)\"로 써주세요. (행 9)\n"
              "- 상호(서비스명) \"홍길동상회\" 표시가 없습니다. (행 9)\n"
              "- MMS 본문 글자의 마지막 두 줄에 무료수신거부 문구가 없습니다(사진 속 글자는 인정되지 "
              "않습니다). 예: \"무료수신거부 080-123-4567\" (행 1, 3, 5, 9)");
    for (long long row = 31; row <= 50; ++row)
        first.check({}, ko("(광고)홍길동상회"), row);
    EXPECT_NE(cp949::toUtf8(first.report()).find("(행 1, 3, 5, 9, 31, 32, 33, 34, 35, 36, … 총 24행)"),
              std::string::npos);
}

TEST(AdvertisingCheck, InsertedTextPassesTheCheck) {
    const std::vector<std::pair<std::string, std::string>> cases{
        {"", "(광고)홍길동상회\r\n무료수신거부 080-123-4567"},
        {"봄 세일", "(광고)홍길동상회\r\n봄 세일\r\n무료수신거부 080-123-4567"},
        {"(광 고) 봄 세일\r\n", "(광고)홍길동상회 봄 세일\r\n무료수신거부 080-123-4567"},
        {"(광고) 홍길동상회 봄\r\n무료거부 0801234567", "(광고) 홍길동상회 봄\r\n무료거부 0801234567"},
    };
    for (const auto& [body, expected] : cases) {
        const std::string out = withAdvertisingText(ko(body), ko("홍길동상회"), "080-123-4567");
        EXPECT_EQ(cp949::toUtf8(out), expected) << body;
        EXPECT_EQ(findings({cp949::toUtf8(out), ""}), "") << body;
    }
}

TEST(AdvertisingSettings, NumbersAndNames) {
    for (const char* good : {"080-123-4567", "0801234567", "080-1234-5678"})
        EXPECT_TRUE(isOptOutNumber(good)) << good;
    for (const char* bad :
         {"070-123-4567", "080-123-456", "080--1234567", "-0801234567", "080 123 4567", "", "080123456789"})
        EXPECT_FALSE(isOptOutNumber(bad)) << bad;
    for (const std::string& good : {ko("홍길동상회"), std::string(40, 'a')})
        EXPECT_TRUE(isSenderName(good)) << good;
    for (const std::string& bad : {std::string("  "), std::string("a\r\nb"), std::string(41, 'a')})
        EXPECT_FALSE(isSenderName(bad)) << bad;
}

} // namespace
} // namespace qb
