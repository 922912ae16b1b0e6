#include "FormTestSupport.h"

#include <gtest/gtest.h>

#include <functional>

using namespace qb;
using namespace qb::test;

// After the preview any change makes "전송하기" ask; "아니요" sends nothing, "예" previews
// again from the recipients behind the preview, and the new records are queued.
TEST(StalePreview, AnyChangeAsksAndTheNewRecordsAreSent) {
    const std::string stale =
        "미리보기 후 메시지나 설정이 바뀌었습니다. 발송데이터를 다시 확인(미리보기)하시겠습니까?";
    using Change = std::function<void(FormFixture&)>;
    const struct Case {
        MessageKind kind;
        Change change;
        const char* last; // count|callback|title|body|reservation of the last record|first picture
    } cases[] = {
        {MessageKind::Sms, [](FormFixture& f) { f.form.onMessageEdited(ko("<@1@>★")); },
         "2|021234||Kim★|즉시전송|"},
        {MessageKind::Lms,
         [](FormFixture& f) {
             f.editors.lms = EditorContent{ko("공지"), true, ko("<@1@> hi★★"), true, {}};
         },
         "2|021234|공지|Kim hi★★|즉시전송|"},
        {MessageKind::Mms, [](FormFixture& f) { f.editors.mms->pictures[0].path = "/b.jpg"; },
         "2|021234||Kim hi|즉시전송|/b.jpg"},
        {MessageKind::Sms, [](FormFixture& f) { f.form.onCallbackEdited("050777"); },
         "2|050777||Kim hi|즉시전송|"},
        {MessageKind::Sms, [](FormFixture& f) { f.state().mergeColumn[0].select(1); },
         "2|021234||01011112222 hi|즉시전송|"},
        {MessageKind::Sms, [](FormFixture& f) { f.state().rangeFrom = "2"; }, "1|021234||Kim hi|즉시전송|"},
        {MessageKind::Sms,
         [](FormFixture& f) {
             f.state().splitOn = true;
             f.state().splitCount = "1";
             f.state().splitMinutes.select(9);
         },
         "2|021234||Kim hi|2030-01-02 09:10:00|"},
        {MessageKind::Sms,
         [](FormFixture& f) {
             f.form.onReservedChosen();
             f.state().reservationHour.select(10); // later than now
         },
         "2|021234||Kim hi|2030-01-02 10:00:00|"},
        {MessageKind::Sms, [](FormFixture& f) { f.state().dedupOn = true; }, "1|021234||Kim hi|즉시전송|"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.last);
        ClockAt clock(fromKorean({2030, 1, 2, 9, 0, 0}));
        FormFixture f;
        f.form.onKindChosen(c.kind);
        f.loadRows({{"01011112222", "Kim"}, {"01011112222", "Kim"}});
        f.prepareSms("<@1@> hi");
        f.state().callbackList.fill({"021234"});
        f.editors.lms = f.editors.mms =
            EditorContent{"", false, "<@1@> hi", true, {PictureSlot{"/a.jpg", 64, 48}}};
        f.state().mergeOn[0] = true;
        f.state().mergeColumn[0].select(2);
        f.state().dedupOn = false;
        ASSERT_TRUE(f.form.validateAndPreview());
        const auto last = [&f] {
            const std::size_t n = f.batch().queue.size();
            const SendRecord r = f.batch().queue.at(n - 1);
            return cp949::toUtf8(std::to_string(n) + "|" + r.callbackNumber + "|" + r.title + "|" + r.body +
                                 "|" + r.reservation + "|" + f.batch().settings.pictures[0].path);
        };
        const std::string before = last();
        c.change(f);
        f.notifier.clear();
        EXPECT_FALSE(f.form.confirmSend(nullptr));
        const Shown question{ko(stale), MessageIcon::None, defaultCaption(), true};
        EXPECT_EQ(f.notifier.shown(), std::vector<Shown>{question});
        EXPECT_EQ(last(), before);
        for (int i = 0; i < 3; ++i)
            f.notifier.answerNext(true);
        EXPECT_TRUE(f.form.confirmSend(nullptr));
        EXPECT_TRUE(f.form.confirmSend(nullptr)); // nothing changed since: the cost question alone
        EXPECT_EQ(last(), c.last);
        const std::string cost =
            "전송 [" + last().substr(0, 1) + "] 건, 예상금액 [-] 원, 잔액 [-] 원\n전송하시겠습니까?";
        EXPECT_EQ(f.notifier.texts(),
                  (std::vector<std::string>{stale, stale, f.notifier.texts().at(2), cost, cost}));
        EXPECT_EQ(f.notifier.shown().at(2).caption, ko(" 발송데이터 확인!"));
    }
}
