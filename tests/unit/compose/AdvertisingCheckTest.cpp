#include "compose/AdvertisingCheck.h"
#include "compose/AdvertisingSettings.h"

#include "common/Cp949.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

namespace qb {
namespace {

using Finding = AdvertisingCheck::Finding;

const char* const kRefusal = "\n무료수신거부 080-123-4567";

// The findings of one message, by the check of an SMS (or `kind`) from 홍길동상회.
std::vector<Finding> findings(const std::string& body, const std::string& title = {},
                              MessageKind kind = MessageKind::Sms) {
    AdvertisingCheck check(kind, ko("홍길동상회"), "080-123-4567");
    check.check(ko(title), ko(body), 0);
    std::vector<Finding> out;
    for (int f = 0; f < AdvertisingCheck::kFindings; ++f)
        if (check.rows(static_cast<Finding>(f)) > 0)
            out.push_back(static_cast<Finding>(f));
    return out;
}

TEST(AdvertisingCheck, MarkerVariants) {
    const std::vector<std::pair<std::string, std::string>> cases{
        {"(광고)", ""},
        {"((광고))", ""},
        {"광고 문의", ""},
        {"(광고", ""},
        {"(광 고)", "(광 고)"},
        {"(광.고)", "(광.고)"},
        {"(광/고)", "(광/고)"},
        {"[광고]", "[광고]"},
        {"<광고>", "<광고>"},
        {"{광고}", "{광고}"},
        {"( 광고 )", "( 광고 )"},
        {"(광고]", "(광고]"},
        {"（광고）", "（광고）"},
        {"【광·고】", "【광·고】"},
        {"(광고) 안내 (광-고)", "(광-고)"},
        {"(광\n고)", ""},
    };
    for (const auto& [text, variant] : cases) {
        const std::string t = ko(text);
        const TextSpan found = findMarkerVariant(t);
        EXPECT_EQ(found.pos == std::string_view::npos ? "" : cp949::toUtf8(t.substr(found.pos, found.size)),
                  variant)
            << text;
    }
}

TEST(AdvertisingCheck, MessagesThatPass) {
    for (const std::string& body :
         std::vector<std::string>{std::string("(광고)홍길동상회\n봄 세일") + kRefusal,
                                  "(광고)홍길동상회\n무료거부 0801234567\n감사합니다",
                                  "(광고)홍길동상회 무료 수신 거부 080-1234-567\n\n  \n"})
        EXPECT_EQ(findings(body), std::vector<Finding>{}) << body;
    // The name may stand in the title, the marker too.
    EXPECT_EQ(findings("(광고) 봄 세일" + std::string(kRefusal), "(광고)홍길동상회", MessageKind::Lms),
              std::vector<Finding>{});
}

TEST(AdvertisingCheck, TheMarkerMustComeFirst) {
    for (const std::string body : {" (광고)홍길동상회", "\n(광고)홍길동상회", "홍길동상회 (광고)"})
        EXPECT_EQ(findings(body + kRefusal), std::vector<Finding>{Finding::MarkerNotFirst}) << body;
    // An MMS's title does not stand for its body.
    EXPECT_EQ(findings("홍길동상회" + std::string(kRefusal), "(광고)", MessageKind::Mms),
              std::vector<Finding>{Finding::MarkerNotFirst});
}

TEST(AdvertisingCheck, AVariantAnywhere) {
    EXPECT_EQ(findings("(광 고)홍길동상회" + std::string(kRefusal)),
              (std::vector<Finding>{Finding::MarkerNotFirst, Finding::MarkerVariant}));
    EXPECT_EQ(findings("(광고)홍길동상회 [광고]" + std::string(kRefusal)),
              std::vector<Finding>{Finding::MarkerVariant});
    EXPECT_EQ(findings("(광고)홍길동상회" + std::string(kRefusal), "<광고>", MessageKind::Lms),
              std::vector<Finding>{Finding::MarkerVariant});
}

TEST(AdvertisingCheck, TheSenderMustBeNamed) {
    for (const std::string body : {"(광고)홍길동 상회", "(광고)", "(광고)홍길동상"})
        EXPECT_EQ(findings(body + kRefusal), std::vector<Finding>{Finding::NameMissing}) << body;
}

TEST(AdvertisingCheck, RefusalOnOneOfTheLastTwoLines) {
    for (const std::string end :
         {"\n무료수신거부 080-123-4567\n안내\n끝", "\n수신거부 080-123-4567", "\n무료수신 080-123-4567",
          "\n무료수신거부 080-123-4568", "\n무료수신거부 0080-123-4567", "\n무료수신거부 080-123-45678", ""})
        EXPECT_EQ(findings("(광고)홍길동상회" + end), std::vector<Finding>{Finding::OptOutMissing}) << end;
    EXPECT_EQ(findings("(광고)홍길동상회" + std::string(kRefusal) + "\n끝"), std::vector<Finding>{});
}

TEST(AdvertisingCheck, ReportNamesTheFirstTenRowsAndTheCount) {
    AdvertisingCheck first(MessageKind::Mms, ko("홍길동상회"), "080-123-4567");
    AdvertisingCheck later = first;
    const std::string good = ko("(광고)홍길동상회") + ko(kRefusal);
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
        AdvertisingCheck check(MessageKind::Lms, ko("홍길동상회"), "080-123-4567");
        check.check({}, out, 0);
        EXPECT_TRUE(check.passed()) << body;
    }
}

TEST(AdvertisingSettings, NumbersNamesAndEnvCfg) {
    const std::vector<std::pair<std::string, bool>> numbers{
        {"080-123-4567", true},  {"0801234567", true},
        {"080-1234-5678", true}, {"08012345678", true},
        {"070-123-4567", false}, {"080-123-456", false},
        {"080--1234567", false}, {"-0801234567", false},
        {"080 123 4567", false}, {"", false},
        {"080123456789", false},
    };
    for (const auto& [number, ok] : numbers)
        EXPECT_EQ(isOptOutNumber(number), ok) << number;
    for (const auto& [name, ok] : std::vector<std::pair<std::string, bool>>{{ko("홍길동상회"), true},
                                                                            {"  ", false},
                                                                            {"a\r\nb", false},
                                                                            {std::string(40, 'a'), true},
                                                                            {std::string(41, 'a'), false}})
        EXPECT_EQ(isSenderName(name), ok) << name;

    test::TempDir dir;
    const std::string env = dir.path() + "/Env.cfg";
    EXPECT_FALSE(AdvertisingSettings::read(env).on);
    ASSERT_TRUE((AdvertisingSettings{true, ko("홍길동상회"), "0801234567"}.write(env)));
    const AdvertisingSettings back = AdvertisingSettings::read(env);
    EXPECT_TRUE(back.on);
    EXPECT_EQ(back.name, ko("홍길동상회"));
    EXPECT_EQ(back.optOut, "0801234567");
    EXPECT_EQ(back.problem(), "");
}

} // namespace
} // namespace qb
