#include "FormTestSupport.h"

#include <gtest/gtest.h>

#include <functional>

using namespace qb;
using namespace qb::test;

using Strings = std::vector<std::string>;

namespace {

const char* const kStale =
    "미리보기 후 메시지나 설정이 바뀌었습니다. 발송데이터를 다시 확인(미리보기)하시겠습니까?";

std::string costQuestion(int count) {
    return "전송 [" + std::to_string(count) + "] 건, 예상금액 [-] 원, 잔액 [-] 원\n전송하시겠습니까?";
}

// The queue as "number|callback|title|body|reservation", then the job's pictures.
Strings queued(const FormFixture& f) {
    Strings out;
    const SendQueue& q = f.form.state().queue;
    for (std::size_t i = 0; i < q.size(); ++i) {
        const SendRecord r = q.at(i);
        out.push_back(cp949::toUtf8(r.number + "|" + r.callbackNumber + "|" + r.title + "|" + r.body + "|" +
                                    r.reservation));
    }
    std::string pictures = "pictures:";
    for (const PictureSlot& p : f.settings.pictures)
        if (!p.empty())
            pictures += " " + p.path;
    out.push_back(pictures);
    return out;
}

// Kim, Lee and Kim again, duplicates kept; "<@1@> hi" merged with the names; previewed.
void previewed(FormFixture& f, MessageKind kind) {
    if (kind != MessageKind::Sms)
        f.form.onKindChosen(kind);
    f.loadRows({{"01011112222", "Kim"}, {"01033334444", "Lee"}, {"01011112222", "Kim"}});
    f.prepareSms(kind == MessageKind::Sms ? "<@1@> hi" : "");
    EditorContent editor;
    editor.body = "<@1@> hi";
    editor.bodyTouched = true;
    if (kind == MessageKind::Lms)
        f.editors.lms = editor;
    editor.pictures[0] = PictureSlot{"/a.jpg", 640, 480};
    if (kind == MessageKind::Mms)
        f.editors.mms = editor;
    f.state().mergeOn[0] = true;
    f.form.onMergeSwitch(1);
    f.state().mergeColumn[0].select(2);
    f.state().dedupOn = false;
    ASSERT_TRUE(f.form.validateAndPreview());
}

} // namespace

// Whatever changed since the preview, "전송하기" asks before anything goes; "예"
// previews again from the recipients the first preview laid out, and the records
// sent are the new ones.
TEST(StalePreview, AnyChangeAsksAndTheNewPreviewIsWhatIsSent) {
    const struct Case {
        const char* name;
        MessageKind kind;
        std::function<void(FormFixture&)> change;
        Strings sent;
    } cases[] = {
        {"message",
         MessageKind::Sms,
         [](FormFixture& f) { f.form.onMessageEdited(ko("<@1@> 안녕")); },
         {"01011112222|0212345678||Kim 안녕|즉시전송", "01033334444|0212345678||Lee 안녕|즉시전송",
          "01011112222|0212345678||Kim 안녕|즉시전송", "pictures:"}},
        {"title and symbols in the LMS editor",
         MessageKind::Lms,
         [](FormFixture& f) {
             f.editors.lms->title = ko("공지");
             f.editors.lms->titleTouched = true;
             f.editors.lms->body += ko("★★");
         },
         {"01011112222|0212345678|공지|Kim hi★★|즉시전송", "01033334444|0212345678|공지|Lee hi★★|즉시전송",
          "01011112222|0212345678|공지|Kim hi★★|즉시전송", "pictures:"}},
        {"picture",
         MessageKind::Mms,
         [](FormFixture& f) {
             f.editors.mms->pictures[0] = PictureSlot{"/b.jpg", 640, 480};
         },
         {"01011112222|0212345678||Kim hi|즉시전송", "01033334444|0212345678||Lee hi|즉시전송",
          "01011112222|0212345678||Kim hi|즉시전송", "pictures: /b.jpg"}},
        {"callback",
         MessageKind::Sms,
         [](FormFixture& f) { f.form.onCallbackEdited("0507778888"); },
         {"01011112222|0507778888||Kim hi|즉시전송", "01033334444|0507778888||Lee hi|즉시전송",
          "01011112222|0507778888||Kim hi|즉시전송", "pictures:"}},
        {"merge column",
         MessageKind::Sms,
         [](FormFixture& f) { f.state().mergeColumn[0].select(1); },
         {"01011112222|0212345678||01011112222 hi|즉시전송",
          "01033334444|0212345678||01033334444 hi|즉시전송",
          "01011112222|0212345678||01011112222 hi|즉시전송", "pictures:"}},
        {"range",
         MessageKind::Sms,
         [](FormFixture& f) { f.state().rangeFrom = "2"; },
         {"01033334444|0212345678||Lee hi|즉시전송", "01011112222|0212345678||Kim hi|즉시전송", "pictures:"}},
        {"split",
         MessageKind::Sms,
         [](FormFixture& f) {
             f.state().splitOn = true;
             f.form.onSplitSwitch();
             f.state().splitCount = "2";
             f.state().splitMinutes.select(9); // 10 minutes
         },
         {"01011112222|0212345678||Kim hi|2030-01-02 09:00:00",
          "01033334444|0212345678||Lee hi|2030-01-02 09:00:00",
          "01011112222|0212345678||Kim hi|2030-01-02 09:10:00", "pictures:"}},
        {"reservation",
         MessageKind::Sms,
         [](FormFixture& f) {
             f.form.onReservedChosen();
             f.state().reservationHour.select(23);
         },
         {"01011112222|0212345678||Kim hi|2030-01-02 23:00:00",
          "01033334444|0212345678||Lee hi|2030-01-02 23:00:00",
          "01011112222|0212345678||Kim hi|2030-01-02 23:00:00", "pictures:"}},
        {"dedup switch",
         MessageKind::Sms,
         [](FormFixture& f) { f.state().dedupOn = true; },
         {"01011112222|0212345678||Kim hi|즉시전송", "01033334444|0212345678||Lee hi|즉시전송", "pictures:"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ClockAt clock(LocalTime{2030, 1, 2, 9, 0, 0});
        FormFixture f;
        previewed(f, c.kind);
        const Strings before = queued(f);
        c.change(f);

        f.notifier.clear();
        EXPECT_FALSE(f.form.confirmSend()); // "아니요"
        EXPECT_EQ(f.notifier.texts(), Strings{kStale});
        EXPECT_TRUE(f.notifier.shown().at(0).question);
        EXPECT_EQ(f.notifier.shown().at(0).icon, MessageIcon::None);
        EXPECT_EQ(f.notifier.shown().at(0).caption, defaultCaption());
        EXPECT_EQ(queued(f), before);

        f.notifier.clear();
        f.notifier.answerNext(true);
        f.notifier.answerNext(true);
        ASSERT_TRUE(f.form.confirmSend());
        const int count = static_cast<int>(c.sent.size()) - 1;
        ASSERT_EQ(f.notifier.texts().size(), 3u);
        EXPECT_EQ(f.notifier.texts()[0], kStale);
        EXPECT_EQ(cp949::toUtf8(f.notifier.shown()[1].caption), " 발송데이터 확인!");
        EXPECT_EQ(f.notifier.texts()[2], costQuestion(count));
        EXPECT_EQ(queued(f), c.sent);
        EXPECT_EQ(f.state().table.rowCount(), count + 1); // the table shows the new preview

        // Sent as previewed: no question but the cost.
        f.notifier.clear();
        f.notifier.answerNext(true);
        EXPECT_TRUE(f.form.confirmSend());
        EXPECT_EQ(f.notifier.texts(), Strings{costQuestion(count)});
    }
}

TEST(StalePreview, ARunAgainThatFailsSendsNothing) {
    FormFixture f;
    previewed(f, MessageKind::Sms);
    f.form.onCallbackEdited("");
    f.notifier.clear();
    f.notifier.answerNext(true);
    EXPECT_FALSE(f.form.confirmSend());
    EXPECT_EQ(f.notifier.texts(), (Strings{kStale, "회신번호를 확인해주세요."}));
    EXPECT_TRUE(f.state().queue.empty());
    // The recipients are still there to preview from once the number is back.
    f.form.onCallbackEdited("0212345678");
    f.notifier.clear();
    ASSERT_TRUE(f.form.validateAndPreview());
    EXPECT_EQ(f.state().queue.size(), 3u);
}

TEST(StalePreview, ANewLoadIsStaleAndPreviewedFromTheNewTable) {
    FormFixture f;
    previewed(f, MessageKind::Sms);
    f.loadRows({{"01055556666", "Park"}});
    f.state().numberColumn.select(1);
    f.state().mergeColumn[0].select(2);
    f.notifier.clear();
    f.notifier.answerNext(true);
    f.notifier.answerNext(true);
    ASSERT_TRUE(f.form.confirmSend());
    EXPECT_EQ(f.notifier.texts().at(0), kStale);
    EXPECT_EQ(queued(f), (Strings{"01055556666|0212345678||Park hi|즉시전송", "pictures:"}));
}
