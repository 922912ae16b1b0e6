#include "SendViewFixture.h"

#include "web/ui/CallbackNumberDialog.h"
#include "web/ui/SmsMessageBoxDialog.h"

#include <QComboBox>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTableWidget>
#include <QTest>
#include <gtest/gtest.h>

namespace qb::test {
namespace {

QStringList slotTexts(const SmsMessageBoxDialog& d) {
    QStringList out;
    for (int k = 1; k <= SmsMessageBoxDialog::kSlots; ++k)
        out << d.slotEdit(k)->toPlainText();
    return out;
}

} // namespace

TEST(CallbackNumberDialog, ListsNewestFirstDeletesTheTickedAndRefreshesTheBox) {
    SendViewFixture f;
    f.view->show();
    f.store().addCallback("tester", "0211112222", "2024-01-01");
    f.store().addCallback("tester", "0233334444", "2024-02-02");
    f.store().addCallback("tester", "0255556666", "2024-03-03");
    f.view->reloadCallbackNumbers();
    ASSERT_EQ(f.find<QComboBox>("callbackBox")->count(), 3);

    QStringList rows, headers;
    whenModal<CallbackNumberDialog>([&](CallbackNumberDialog& d) {
        EXPECT_EQ(d.windowTitle(), u("회신번호관리"));
        QTableWidget* list = d.list();
        headers << list->horizontalHeaderItem(0)->text() << list->horizontalHeaderItem(1)->text();
        EXPECT_EQ(list->columnWidth(0), 130);
        for (int r = 0; r < list->rowCount(); ++r)
            rows << list->item(r, 0)->text() + " " + list->item(r, 1)->text();
        list->item(0, 0)->setCheckState(Qt::Checked);
        list->item(2, 0)->setCheckState(Qt::Checked);
        f.notifier.answerNext(true);  // 0255556666: yes
        f.notifier.answerNext(false); // 0211112222: no
        d.findChild<QPushButton*>("remove")->click();
        EXPECT_EQ(list->rowCount(), 2);
        EXPECT_EQ(list->item(0, 0)->text(), "0233334444");
        d.findChild<QPushButton*>("remove")->click(); // the kept row is still ticked: asked again, no
        d.findChild<QPushButton*>("close")->click();
    });
    f.click("manageCallbacks");

    EXPECT_EQ(headers, (QStringList{u("회신번호"), u("등록일")}));
    EXPECT_EQ(rows, (QStringList{"0255556666 2024-03-03", "0233334444 2024-02-02", "0211112222 2024-01-01"}));
    EXPECT_EQ(f.texts(),
              (Strings{"0255556666을 삭제 하시겠습니까?", "0211112222을 삭제 하시겠습니까?",
                       "삭제 되었습니다.!", "0211112222을 삭제 하시겠습니까?", "삭제할 데이터가 없습니다!"}));
    EXPECT_TRUE(f.notifier.shown()[0].question);
    EXPECT_EQ(f.notifier.shown()[0].icon, MessageIcon::Error);
    // Closing the dialog refilled the send form's box from the service.
    auto* box = f.find<QComboBox>("callbackBox");
    ASSERT_EQ(box->count(), 2);
    EXPECT_EQ(box->itemText(0), "0211112222");
    EXPECT_EQ(box->itemText(1), "0233334444");
}

TEST(SmsMessageBoxDialog, PagesNewestFirstDeletesAndHandsTheChosenTextToTheForm) {
    SendViewFixture f;
    f.view->show();
    for (int i = 1; i <= 7; ++i)
        f.store().addMessage(
            "tester", qbs::MessageStore::Sms,
            {0, "", ko("메세지 ") + std::to_string(i) + (i == 3 ? "\n" + ko("둘째 줄") : ""), {}});

    QStringList titles;
    QStringList firstPage, secondPage, afterDelete;
    bool shownAtOnce = true;
    whenModal<SmsMessageBoxDialog>([&](SmsMessageBoxDialog& d) {
        shownAtOnce = d.pageShown();
        titles << d.windowTitle();
        ASSERT_TRUE(QTest::qWaitFor([&] { return d.pageShown(); }, 3000));
        firstPage = slotTexts(d);
        d.findChild<QPushButton*>("next")->click();
        titles << d.windowTitle();
        secondPage = slotTexts(d);
        d.findChild<QPushButton*>("next")->click(); // no page 3
        titles << d.windowTitle();
        d.findChild<QPushButton*>("remove1")->click(); // the last message on page 2
        titles << d.windowTitle();
        afterDelete = slotTexts(d);
        d.findChild<QPushButton*>("previous")->click(); // already on page 1
        titles << d.windowTitle();
        // The user edits slot 5 (message 3) before choosing it with a double-click.
        QPlainTextEdit* slot = d.slotEdit(5);
        slot->moveCursor(QTextCursor::End);
        typeInto(slot, "!");
        QTest::mouseDClick(slot->viewport(), Qt::LeftButton, {}, QPoint(10, 10));
    });
    f.click("loadMessage");

    EXPECT_FALSE(shownAtOnce); // the page follows a moment later
    EXPECT_EQ(titles,
              (QStringList{u("메세지 저장함 - 1 / 2"), u("메세지 저장함 - 2 / 2"), u("메세지 저장함 - 2 / 2"),
                           u("메세지 저장함 - 1 / 1"), u("메세지 저장함 - 1 / 1")}));
    EXPECT_EQ(firstPage, (QStringList{u("메세지 7"), u("메세지 6"), u("메세지 5"), u("메세지 4"),
                                      u("메세지 3\n둘째 줄"), u("메세지 2")}));
    EXPECT_EQ(secondPage, (QStringList{u("메세지 1"), "", "", "", "", ""}));
    EXPECT_EQ(afterDelete, firstPage);
    EXPECT_EQ(f.store().messages("tester", qbs::MessageStore::Sms).size(), 6u);
    EXPECT_EQ(f.texts(), Strings{});
    EXPECT_EQ(f.state().smsText, ko("메세지 3\r\n둘째 줄!"));
    EXPECT_EQ(f.find<QPlainTextEdit>("smsBox")->toPlainText(), u("메세지 3\n둘째 줄!"));
    EXPECT_EQ(f.view->focusWidget(), f.find<QPlainTextEdit>("smsBox"));
}

TEST(SmsMessageBoxDialog, AnEmptySlotRefusesAndClosingLeavesTheBoxAlone) {
    SendViewFixture f;
    f.view->show();
    f.store().addMessage("tester", qbs::MessageStore::Sms, {0, "", "hello", {}});
    typeInto(f.find<QPlainTextEdit>("smsBox"), "mine");
    f.find<QPushButton>("preview")->setFocus();
    whenModal<SmsMessageBoxDialog>([&](SmsMessageBoxDialog& d) {
        ASSERT_TRUE(QTest::qWaitFor([&] { return d.pageShown(); }, 3000));
        d.findChild<QPushButton*>("select2")->click();
        auto* first = d.findChild<QPlainTextEdit*>("slot1");
        first->setPlainText(u("hello, edited"));
        d.findChild<QPushButton*>("remove4")->click(); // an empty slot: nothing, the edit stays
        EXPECT_EQ(first->toPlainText(), u("hello, edited"));
        EXPECT_TRUE(d.isVisible());
        d.findChild<QPushButton*>("close")->click();
    });
    f.click("loadMessage");
    EXPECT_EQ(f.texts(), Strings{"메시지 내용이 없습니다.!"});
    EXPECT_EQ(f.store().messages("tester", qbs::MessageStore::Sms).size(), 1u);
    EXPECT_EQ(f.state().smsText, "mine");
    EXPECT_EQ(f.view->focusWidget(), f.find<QPushButton>("preview"));
}

} // namespace qb::test
