#include "compose/MessageBuild.h"
#include "common/Cp949.h"
#include "support/TextLists.h"

#include <gtest/gtest.h>

using namespace qb;
using qb::test::split;
using qb::test::Strings;

namespace {
std::string syllables(int n) {
    std::string s;
    for (int i = 0; i < n; ++i)
        s += ko("가");
    return s;
}
RecipientEntry entry(std::array<std::string, 4> merge) {
    RecipientEntry e;
    e.seq = 1;
    e.number = "01012345678";
    e.merge = std::move(merge);
    return e;
}
} // namespace

TEST(MessageBuild, CountedLengthCountsALineBreakAsOneByte) {
    EXPECT_EQ(countedLength(""), 0u);
    EXPECT_EQ(countedLength("a\r\nb\r\n"), 4u);
    EXPECT_EQ(countedLength("a\rb\n"), 4u);
    EXPECT_EQ(countedLength(syllables(45)), 90u);
}

TEST(MessageBuild, SmsBoxCutsBackTo90CountedBytes) {
    struct Case {
        const char* name;
        std::string text;
        std::string kept;
        const char* counter;
    } cases[] = {
        {"fits", std::string(90, 'a'), std::string(90, 'a'), "90 / 90 byte"},
        {"one over", std::string(91, 'a'), std::string(90, 'a'), "90 / 90 byte"},
        {"45 syllables and a letter", syllables(45) + "a", syllables(45), "90 / 90 byte"},
        {"never half a syllable", std::string(89, 'a') + syllables(2), std::string(89, 'a'), "89 / 90 byte"},
        {"line breaks count one", "a\r\nb\r\n" + std::string(86, 'c') + "dd",
         "a\r\nb\r\n" + std::string(86, 'c'), "90 / 90 byte"},
        {"never a CR without its LF", std::string(89, 'a') + "\r\n" + "b", std::string(89, 'a') + "\r\n",
         "90 / 90 byte"},
        {"empty", "", "", "0 / 90 byte"},
    };
    for (const Case& c : cases) {
        const SmsBoxText box = smsBoxEdited(c.text);
        EXPECT_EQ(box.text, c.kept) << c.name;
        EXPECT_EQ(box.counter, c.counter) << c.name;
        EXPECT_EQ(box.cut, c.text != c.kept) << c.name;
    }
}

TEST(MessageBuild, LimitsAreCheckedAfterSubstitutionTitleFirst) {
    struct Case {
        const char* name;
        MessageKind kind;
        std::string body;
        std::string title;
        const char* failure; // UTF-8, nullptr when it passes
    } cases[] = {
        {"sms 90", MessageKind::Sms, std::string(90, 'a'), "", nullptr},
        {"sms 91", MessageKind::Sms, std::string(91, 'a'), "", "[SMS] 내용이 90바이트 이상입니다.!"},
        {"sms line breaks count one", MessageKind::Sms, std::string(88, 'a') + "\r\n\r\n", "", nullptr},
        {"sms title ignored", MessageKind::Sms, "x", std::string(100, 't'), nullptr},
        {"lms title 64", MessageKind::Lms, "x", std::string(64, 't'), nullptr},
        {"lms title 65 before body", MessageKind::Lms, std::string(2001, 'a'), std::string(65, 't'),
         "[LMS] 제목이 64바이트 이상입니다.!"},
        {"mms title 65", MessageKind::Mms, "x", std::string(65, 't'), "[MMS] 제목이 64바이트 이상입니다.!"},
        {"lms body 2000", MessageKind::Lms, std::string(2000, 'a'), "", nullptr},
        {"lms body 2001", MessageKind::Lms, std::string(2001, 'a'), "",
         "[LMS] 내용이 2000바이트 이상입니다.!"},
        {"mms body 2001", MessageKind::Mms, std::string(2001, 'a'), "",
         "[MMS] 내용이 2000바이트 이상입니다.!"},
        {"merge value pushes over", MessageKind::Sms, std::string(85, 'a') + "<@1@>", "",
         "[SMS] 내용이 90바이트 이상입니다.!"},
    };
    for (const Case& c : cases) {
        const ComposedMessage m = composeMessage(entry({"123456", "", "", ""}), c.kind, c.body, c.title,
                                                 MergeSwitches{true, false, false, false});
        EXPECT_EQ(m.ok, c.failure == nullptr) << c.name;
        EXPECT_EQ(cp949::toUtf8(m.failure), c.failure ? c.failure : "") << c.name;
    }
}

TEST(MessageBuild, SubstitutionRunsFieldByFieldInOrder) {
    struct Case {
        const char* name;
        const char* on;     // fields 1 to 4, '1' for on
        const char* values; // split at '|'
        std::string body, title;
        std::string wantBody, wantTitle;
    } cases[] = {
        {"only 2 on", "0100", "A|B|C|D", "<@1@>-<@2@>", "", "<@1@>-B", ""},
        {"later token in an earlier value is replaced", "1100", "x<@2@>|Y||", "<@1@>", "", "xY", ""},
        {"earlier token in a later value stays", "1100", "X|<@1@>||", "<@2@><@1@>", "", "<@1@>X", ""},
        {"every occurrence, title too", "0001", "|||Kim", "<@4@>,<@4@>", "to <@4@>", "Kim,Kim", "to Kim"},
        {"token split by a value does not rejoin", "1000", "@|||", "<<@1@>1@>", "", "<@1@>", ""},
    };
    for (const Case& c : cases) {
        const Strings v = split(c.values);
        ASSERT_EQ(v.size(), 4u) << c.name;
        const MergeSwitches on{c.on[0] == '1', c.on[1] == '1', c.on[2] == '1', c.on[3] == '1'};
        const ComposedMessage m =
            composeMessage(entry({v[0], v[1], v[2], v[3]}), MessageKind::Lms, c.body, c.title, on);
        ASSERT_TRUE(m.ok) << c.name;
        EXPECT_EQ(m.body, c.wantBody) << c.name;
        EXPECT_EQ(m.title, c.wantTitle) << c.name;
    }
}

TEST(MessageBuild, BodyKeepsLfAndDisplayTwoSpaces) {
    const ComposedMessage m = composeMessage(entry({"a\r\nb", "", "", ""}), MessageKind::Sms,
                                             "hi\r\n<@1@>\rz", "", {true, false, false, false});
    ASSERT_TRUE(m.ok);
    EXPECT_EQ(m.body, "hi\na\nb\rz");
    EXPECT_EQ(m.displayBody, "hi  a  b\rz");
    EXPECT_EQ(m.title, "");
}
