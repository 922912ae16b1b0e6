#include "FormTestSupport.h"

#include <gtest/gtest.h>

#include <functional>

using namespace qb;
using namespace qb::test;

namespace {

const char* const kDiscard = "작성한 내용이 지워집니다. 계속하시겠습니까?";

EditorContent typedBody(const std::string& body) {
    EditorContent c;
    c.body = body;
    c.bodyTouched = true;
    return c;
}

} // namespace

// A click that throws work away asks first; "아니요" leaves everything as it was.
TEST(FormQuestions, DiscardingWorkAsksFirst) {
    using Setup = std::function<void(FormFixture&)>;
    using Click = std::function<bool(FormFixture&)>;
    const Click toLms = [](FormFixture& f) { return f.form.onKindChosen(MessageKind::Lms); };
    const Click toSms = [](FormFixture& f) { return f.form.onKindChosen(MessageKind::Sms); };
    const Click reset = [](FormFixture& f) { return f.form.onResetClicked(); };
    const struct Case {
        const char* name;
        Setup setup;
        Click click;
        bool asks;
    } cases[] = {
        {"empty form, kind switch", [](FormFixture&) {}, toLms, false},
        {"empty form, reset", [](FormFixture&) {}, reset, false},
        {"loaded table, kind switch", [](FormFixture& f) { f.loadRows({{"01011112222"}}); }, toLms, true},
        {"loaded table, reset", [](FormFixture& f) { f.loadRows({{"01011112222"}}); }, reset, true},
        {"SMS text, kind switch", [](FormFixture& f) { f.form.onMessageEdited("hi"); }, toLms, true},
        {"LMS body closed by a switch to SMS", [](FormFixture& f) { f.editors.lms = typedBody("long"); },
         toSms, true},
        {"LMS untouched",
         [](FormFixture& f) {
             f.editors.lms = EditorContent{" x", false, " y", false, {}};
         },
         toSms, false},
        {"MMS picture closed by a switch to LMS",
         [](FormFixture& f) {
             f.editors.mms = EditorContent{};
             f.editors.mms->pictures[1] = PictureSlot{"/p.jpg", 10, 10};
         },
         toLms, true},
        {"LMS kept open by a switch to LMS", [](FormFixture& f) { f.editors.lms = typedBody("long"); }, toLms,
         false},
    };
    for (const bool yes : {false, true}) {
        for (const Case& c : cases) {
            FormFixture f;
            c.setup(f);
            const std::string sms = f.state().smsText;
            const int columns = f.state().table.columnCount();
            f.editors.calls.clear();
            if (c.asks)
                f.notifier.answerNext(yes);
            const bool went = c.click(f);
            EXPECT_EQ(f.notifier.texts(), c.asks ? Strings{kDiscard} : Strings{}) << c.name;
            EXPECT_EQ(went, !c.asks || yes) << c.name;
            if (went) {
                EXPECT_EQ(f.state().table.columnCount(), 1) << c.name;
            } else {
                EXPECT_EQ(f.state().table.columnCount(), columns) << c.name;
                EXPECT_EQ(f.state().smsText, sms) << c.name;
                EXPECT_EQ(f.state().kind, MessageKind::Sms) << c.name;
                EXPECT_TRUE(f.editors.calls.empty()) << c.name;
            }
        }
    }
}

// Past 90 bytes the box offers LMS; "예" carries the whole text there and keeps
// the table, "아니요" cuts as before and is not asked again until the text fits.
TEST(FormQuestions, TheSmsBoxOffersLmsPast90Bytes) {
    const std::string q = "[SMS] 90바이트를 넘었습니다. LMS로 전환하시겠습니까?";
    const std::string at90(90, 'a'), at91(91, 'a'), at92(92, 'a');
    {
        FormFixture f;
        f.loadRows({{"01011112222"}});
        f.form.onMessageEdited(at90);
        EXPECT_TRUE(f.notifier.texts().empty());
        f.notifier.answerNext(true);
        f.form.onMessageEdited(at91);
        EXPECT_EQ(f.notifier.texts(), Strings{q});
        EXPECT_EQ(f.state().kind, MessageKind::Lms);
        EXPECT_FALSE(f.state().smsBoxEnabled);
        EXPECT_EQ(f.state().smsText, "");
        EXPECT_EQ(f.editors.calls, (Strings{"closeMms", "openLms"}));
        ASSERT_TRUE(f.editors.lms);
        EXPECT_EQ(f.editors.lms->body, at91);
        EXPECT_EQ(f.state().table.columnCount(), 3); // the recipients stay
    }
    {
        FormFixture f;
        f.form.onMessageEdited(at91);
        f.form.onMessageEdited(at92);
        EXPECT_EQ(f.notifier.texts(), Strings{q}); // once
        EXPECT_EQ(f.state().smsText, at90);
        EXPECT_EQ(f.state().kind, MessageKind::Sms);
        f.form.onMessageEdited("short");
        f.form.onMessageEdited(at91);
        EXPECT_EQ(f.notifier.texts(), (Strings{q, q}));
    }
}

// Rows whose merge pushes the SMS past 90 bytes are counted and named; "예" sends
// the job as LMS, "아니요" stops as before.
TEST(FormQuestions, ThePreviewOffersLmsForRowsPast90Bytes) {
    const auto prepare = [](FormFixture& f, int rows) {
        std::vector<std::vector<std::string>> table;
        for (int i = 1; i <= rows; ++i)
            table.push_back({"010111100" + std::to_string(10 + i), i % 2 ? "Kim" : std::string(80, 'x')});
        f.loadRows(table);
        f.prepareSms(std::string(20, 'a') + "<@1@>");
        f.state().mergeOn[0] = true;
        f.state().mergeColumn[0].select(2);
    };
    {
        FormFixture f;
        prepare(f, 4);
        EXPECT_FALSE(f.form.validateAndPreview());
        EXPECT_EQ(f.notifier.texts(),
                  (Strings{"[SMS] 90바이트를 넘는 메세지 [2] 건 (행 2, 4)\nLMS로 전송하시겠습니까?",
                           "[SMS] 내용이 90바이트 이상입니다.!"}));
        EXPECT_TRUE(f.batch().queue.empty());
    }
    {
        FormFixture f;
        prepare(f, 24);
        f.notifier.answerNext(true);
        ASSERT_TRUE(f.form.validateAndPreview()) << ::testing::PrintToString(f.notifier.texts());
        EXPECT_EQ(f.notifier.texts().at(0),
                  "[SMS] 90바이트를 넘는 메세지 [12] 건 (행 2, 4, 6, 8, 10, 12, 14, "
                  "16, 18, 20 외)\nLMS로 전송하시겠습니까?");
        EXPECT_EQ(f.state().kind, MessageKind::Lms);
        ASSERT_EQ(f.batch().queue.size(), 24u);
        EXPECT_EQ(f.batch().queue.at(1).body, std::string(20, 'a') + std::string(80, 'x'));
        EXPECT_EQ(f.batch().kind, MessageKind::Lms);
    }
}

// The summary adds the cost when the balance line is known; "전송하기" asks once
// with count, cost and balance.
TEST(FormQuestions, CostInTheSummaryAndBeforeTheSend) {
    const struct Case {
        const char* name;
        BalanceLine line;
        const char* summaryTail; // after the five counts
        const char* question;
    } cases[] = {
        {"no balance line", {}, "", "전송 [3] 건, 예상금액 [-] 원, 잔액 [-] 원\n전송하시겠습니까?"},
        {"prices and balance",
         {"50,000", "", "", {"20", "50", "200"}},
         "\n예상금액 [60] 원\n잔액 [50,000] 원",
         "전송 [3] 건, 예상금액 [60] 원, 잔액 [50,000] 원\n전송하시겠습니까?"},
        {"short balance",
         {"1234567", "", "", {"x", "50", "200"}},
         "\n예상금액 [-] 원\n잔액 [1,234,567] 원",
         "전송 [3] 건, 예상금액 [-] 원, 잔액 [1,234,567] 원\n전송하시겠습니까?"},
        {"balance short of the cost",
         {"50", "", "", {"20", "50", "200"}},
         "\n예상금액 [60] 원\n잔액 [50] 원\n잔액이 [10] 원 부족합니다.",
         "전송 [3] 건, 예상금액 [60] 원, 잔액 [50] 원\n잔액이 [10] 원 부족합니다.\n전송하시겠습니까?"},
    };
    for (const Case& c : cases) {
        FormFixture f;
        f.form.setBalance(c.line);
        f.loadRows({{"01011112222"}, {"01033334444"}, {"01055556666"}});
        f.prepareSms("hi");
        ASSERT_TRUE(f.form.validateAndPreview()) << c.name;
        EXPECT_EQ(
            f.notifier.texts().at(0),
            std::string("총 데이터 [3] 건\n중복제거 [0] 건\n수신거부 [0] 건\n번호형식오류 [0] 건\n전송할 "
                        "데이터 [3] 건") +
                c.summaryTail)
            << c.name;
        f.notifier.clear();
        f.notifier.answerNext(false);
        EXPECT_FALSE(f.form.confirmSend(nullptr)) << c.name;
        f.notifier.answerNext(true);
        EXPECT_TRUE(f.form.confirmSend(nullptr)) << c.name;
        EXPECT_EQ(f.notifier.texts(), (Strings{c.question, c.question})) << c.name;
    }
}

// Where the charge page can be opened, a short balance offers it: the summary
// becomes the offer, and "전송하기" offers it before its question.
TEST(FormQuestions, AShortBalanceOffersTheChargePage) {
    FormFixture f;
    int opened = 0;
    f.form.onChargeWanted = [&] { ++opened; };
    f.form.setBalance({"1,000", "", "", {"400", "50", "200"}});
    f.loadRows({{"01011112222"}, {"01033334444"}, {"01055556666"}});
    f.prepareSms("hi");
    f.notifier.answerNext(true);
    ASSERT_TRUE(f.form.validateAndPreview());
    const std::string shortLine = "예상금액 [1,200] 원\n잔액 [1,000] 원\n잔액이 [200] 원 부족합니다.";
    EXPECT_TRUE(
        f.notifier.texts().at(0).ends_with("[3] 건\n" + shortLine + "\n사이버머니충전 화면을 여시겠습니까?"));
    EXPECT_EQ(opened, 1);

    const std::string line = "전송 [3] 건, 예상금액 [1,200] 원, 잔액 [1,000] 원\n잔액이 [200] 원 부족합니다.";
    const std::string offer = line + "\n사이버머니충전 화면을 여시겠습니까?",
                      ask = line + "\n전송하시겠습니까?";
    const struct Case {
        std::vector<bool> answers;
        bool sends;
        int opened;
        Strings asked;
    } cases[] = {
        {{true}, false, 1, {offer}},
        {{false, true}, true, 0, {offer, ask}},
        {{false, false}, false, 0, {offer, ask}},
    };
    for (const Case& c : cases) {
        f.notifier.clear();
        opened = 0;
        for (const bool answer : c.answers)
            f.notifier.answerNext(answer);
        EXPECT_EQ(f.form.confirmSend(nullptr), c.sends);
        EXPECT_EQ(opened, c.opened);
        EXPECT_EQ(f.notifier.texts(), c.asked);
    }
}

// After login and after "회신번호관리" the box is never left empty while numbers exist.
TEST(CallbackChoices, TheNumberInUseStaysElseTheFirst) {
    const auto chooseSecond = [](SendForm& f) {
        f.setCallbackChoices({"0212345678", "0311112222"});
        f.onCallbackChosen(1);
    };
    const auto type = [](SendForm& f) { f.onCallbackEdited("0507778888"); };
    const struct Case {
        const char* name;
        std::function<void(SendForm&)> before;
        Strings numbers;
        const char* used;
        int selected;
    } cases[] = {
        {"first login", [](SendForm&) {}, {"0212345678", "0311112222"}, "0212345678", 0},
        {"chosen number kept", chooseSecond, {"0500000000", "0311112222"}, "0311112222", 1},
        {"chosen number deleted", chooseSecond, {"0212345678"}, "0212345678", 0},
        {"typed number kept", type, {"0212345678"}, "0507778888", -1},
        {"logout", type, {}, "", -1},
    };
    for (const Case& c : cases) {
        FormFixture f;
        c.before(f.form);
        f.form.setCallbackChoices(c.numbers);
        EXPECT_EQ(f.form.callbackNumber(), c.used) << c.name;
        EXPECT_EQ(f.state().callbackList.selected, c.selected) << c.name;
    }
}
