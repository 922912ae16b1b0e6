// The LMS editor, its message box and the special character palette, against
// qb-service on loopback.
#include "AccessibleNames.h"
#include "SendViewFixture.h"

#include "compose/ui/CHoverButton.h"
#include "compose/ui/CLMSEditDlg.h"
#include "compose/ui/CSpecialCharDlg.h"
#include "compose/ui/ScreenPlacement.h"
#include "web/ui/LmsMessageBoxDialog.h"

#include <QAbstractButton>
#include <QAccessible>
#include <QAccessibleEditableTextInterface>
#include <QApplication>
#include <QClipboard>
#include <QEnterEvent>
#include <QGuiApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTest>
#include <gtest/gtest.h>

namespace qb::test {
namespace {

QString repeat(const QString& s, int n) {
    return s.repeated(n);
}

// The box gets the focus as a click would give it.
void focus(QWidget* w) {
    w->window()->activateWindow();
    w->setFocus(Qt::MouseFocusReason);
    QCoreApplication::processEvents();
}

void paste(QWidget* w, const QString& text) {
    QGuiApplication::clipboard()->setText(text);
    QTest::keyClick(w, Qt::Key_V, Qt::ControlModifier);
}

QColor textColour(QWidget* w) {
    w->ensurePolished();
    return w->palette().color(QPalette::Text);
}

void deleteClosedWindows() {
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

CLMSEditDlg* openLmsEditor(SendViewFixture& f) {
    f.view->show();
    f.find<QAbstractButton>("kindLms")->click();
    return f.view->editorWindows().lmsWindow();
}

void click(QWidget* window, const char* button) {
    auto* b = window->findChild<QPushButton*>(button);
    ASSERT_TRUE(b) << button;
    b->click();
}

} // namespace

TEST(LmsEditor, OpensBesideTheFormAndKeepsBothLimitsWhileTypingAndPasting) {
    SendViewFixture f;
    f.view->move(0, 0);
    CLMSEditDlg* e = openLmsEditor(f);
    ASSERT_TRUE(e);
    EXPECT_TRUE(e->isVisible());
    EXPECT_EQ(e->windowTitle(), u(":::: LMS 문자 편집창"));
    EXPECT_EQ(e->titleEdit()->text(), u(" 제목... "));
    EXPECT_EQ(e->bodyEdit()->toPlainText(), u(" 내용... "));
    EXPECT_EQ(e->counter()->text(), "0 / 2000 byte");
    EXPECT_EQ(textColour(e->titleEdit()), QColor(120, 120, 120));
    // Beside the form's window, as far as the screen allows.
    const ScreenRect area = availableArea(e);
    const QRect frame = e->frameGeometry();
    EXPECT_EQ(frame.topLeft(),
              QPoint(std::min(f.view->frameGeometry().right() + 1, area.right() - frame.width()),
                     std::max(area.y, f.view->frameGeometry().top())));
    EXPECT_LE(frame.right() + 1, area.right());

    // Title: 32 syllables stay, a 33rd is cut away; Enter and Escape do nothing.
    // Tab goes from the title to the body.
    focus(e->titleEdit());
    QTest::keyClick(e->titleEdit(), Qt::Key_Tab);
    EXPECT_EQ(QApplication::focusWidget(), e->bodyEdit());
    focus(e->titleEdit());
    EXPECT_EQ(e->titleEdit()->text(), "");
    EXPECT_EQ(textColour(e->titleEdit()), QColor(Qt::black));
    typeInto(e->titleEdit(), repeat(u("봄"), 33));
    EXPECT_EQ(e->titleEdit()->text(), repeat(u("봄"), 32));
    EXPECT_EQ(e->model().text().title().size(), 64u);
    QTest::keyClick(e->titleEdit(), Qt::Key_Return);
    QTest::keyClick(e->titleEdit(), Qt::Key_Escape);
    EXPECT_TRUE(e->isVisible());
    EXPECT_EQ(f.view->editorWindows().lmsWindow(), e);

    // Body: 1000 syllables count 2000; one more typed is cut away.
    focus(e->bodyEdit());
    EXPECT_EQ(e->bodyEdit()->toPlainText(), "");
    EXPECT_EQ(e->counter()->text(), "0 / 2000 byte");
    paste(e->bodyEdit(), repeat(u("가"), 1000));
    EXPECT_EQ(e->counter()->text(), "2000 / 2000 byte");
    typeInto(e->bodyEdit(), u("나"));
    EXPECT_EQ(e->bodyEdit()->toPlainText(), repeat(u("가"), 1000));
    EXPECT_EQ(e->model().text().body(), ko(repeat(u("가"), 1000).toStdString()));

    // A line break counts one: 1990 counted bytes with 30 of them are 2020 bytes.
    e->bodyEdit()->selectAll();
    paste(e->bodyEdit(), repeat("a", 1960) + repeat("\n", 30));
    EXPECT_EQ(e->counter()->text(), "1990 / 2000 byte");
    EXPECT_EQ(e->model().text().body().size(), 2020u);
    typeInto(e->bodyEdit(), "\n"); // Enter in the body is a line break
    EXPECT_EQ(e->counter()->text(), "1991 / 2000 byte");
    paste(e->bodyEdit(), u("끝") + repeat("b", 100));
    EXPECT_EQ(e->counter()->text(), "2000 / 2000 byte");
    std::string kept(1960, 'a');
    for (int i = 0; i < 31; ++i)
        kept += "\r\n";
    EXPECT_EQ(e->model().text().body(), kept + ko("끝") + std::string(7, 'b'));
    EXPECT_EQ(e->bodyEdit()->textCursor().position(), e->bodyEdit()->toPlainText().size());

    // What cannot be sent as CP949 is shown as what will be sent.
    e->bodyEdit()->clear();
    typeInto(e->bodyEdit(), u("a😀"));
    EXPECT_EQ(e->bodyEdit()->toPlainText(), "a?");
    EXPECT_EQ(e->counter()->text(), "2 / 2000 byte");

    // "초기화" asks, then brings the placeholders back; "취소" of an empty editor
    // asks nothing and returns the form to SMS.
    f.notifier.answerNext(true);
    click(e, "reset");
    EXPECT_EQ(e->titleEdit()->text(), u(" 제목... "));
    EXPECT_EQ(e->bodyEdit()->toPlainText(), u(" 내용... "));
    EXPECT_EQ(e->counter()->text(), "0 / 2000 byte");
    EXPECT_FALSE(e->model().text().bodyTouched());
    click(e, "cancel");
    EXPECT_FALSE(f.view->editorWindows().lmsWindow());
    EXPECT_EQ(f.state().kind, MessageKind::Sms);
    EXPECT_TRUE(f.find<QPlainTextEdit>("smsBox")->isEnabled());
    EXPECT_EQ(f.texts(), Strings{"작성한 내용이 지워집니다. 계속하시겠습니까?"});
}

TEST(LmsEditor, SavesToTheStoreAndLoadsBackThroughTheBox) {
    SendViewFixture f;
    AccessibleNamesAudit audit;
    CLMSEditDlg* e = openLmsEditor(f);
    ASSERT_TRUE(e);
    click(e, "saveMessage"); // the body still shows its placeholder
    f.login.loggedIn = false;
    click(e, "saveMessage");
    click(e, "loadMessage");
    f.login.loggedIn = true;
    EXPECT_EQ(f.texts(), (Strings{"[LMS] 저장할 내용이 없습니다.", "로그인이 되어 있지 않습니다.",
                                  "로그인이 되어 있지 않습니다."}));
    f.notifier.clear();

    // The title placeholder is saved as nothing; line breaks go as LF.
    focus(e->bodyEdit());
    typeInto(e->bodyEdit(), u("봄맞이 할인 안내\n4월 1일부터"));
    click(e, "saveMessage");
    focus(e->titleEdit());
    typeInto(e->titleEdit(), u("봄 소식 ★"));
    click(e, "saveMessage");
    e->titleEdit()->setText(""); // "it's \" as the user types it
    typeInto(e->titleEdit(), "it's \\");
    click(e, "saveMessage");
    EXPECT_EQ(f.texts(),
              (Strings{"[LMS] 메세지 저장완료!", "[LMS] 메세지 저장완료!", "[LMS] 메세지 저장완료!"}));
    const auto stored = f.store().messages("tester", qbs::MessageStore::Lms);
    ASSERT_EQ(stored.size(), 3u);
    EXPECT_EQ(stored[0].title, "");
    EXPECT_EQ(stored[0].msg, ko("봄맞이 할인 안내\n4월 1일부터"));
    EXPECT_EQ(stored[1].title, ko("봄 소식 ★"));
    EXPECT_EQ(stored[2].title, "it\\'s \\\\");

    // Loaded back: the newest first; the chosen one fills the editor byte for byte.
    f.notifier.answerNext(true); // "초기화" asks: the boxes hold text
    click(e, "reset");
    QStringList titles, shown;
    whenModal<LmsMessageBoxDialog>([&](LmsMessageBoxDialog& d) {
        ASSERT_TRUE(QTest::qWaitFor([&] { return d.pageShown(); }, 3000));
        titles << d.windowTitle();
        for (int k = 1; k <= LmsMessageBoxDialog::kSlots; ++k)
            shown << d.titleEdit(k)->text() + "|" + d.bodyEdit(k)->toPlainText();
        QTest::mouseDClick(d.titleEdit(2), Qt::LeftButton, {}, QPoint(5, 5));
    });
    click(e, "loadMessage");
    EXPECT_EQ(titles, QStringList{u("[LMS] 메세지 저장함 - 1 / 1")});
    EXPECT_EQ(shown, (QStringList{u("it\\'s \\\\|봄맞이 할인 안내\n4월 1일부터"),
                                  u("봄 소식 ★|봄맞이 할인 안내\n4월 1일부터"),
                                  u("|봄맞이 할인 안내\n4월 1일부터")}));
    EXPECT_EQ(e->model().text().title(), ko("봄 소식 ★"));
    EXPECT_EQ(e->model().text().body(), ko("봄맞이 할인 안내\r\n4월 1일부터"));
    EXPECT_TRUE(e->model().text().titleTouched());
    EXPECT_TRUE(e->model().text().bodyTouched());
    EXPECT_EQ(e->bodyEdit()->toPlainText(), u("봄맞이 할인 안내\n4월 1일부터"));
    EXPECT_EQ(e->counter()->text(), "28 / 2000 byte");
    EXPECT_EQ(e->focusWidget(), e->bodyEdit());
    EXPECT_EQ(f.texts(), (Strings{"[LMS] 메세지 저장완료!", "[LMS] 메세지 저장완료!",
                                  "[LMS] 메세지 저장완료!", "작성한 내용이 지워집니다. 계속하시겠습니까?"}));
    EXPECT_EQ(lines(audit.problems()), "");
}

TEST(LmsMessageBox, PagesThreeAtATimeAndDeletesTheRecordUnderTheSlot) {
    SendViewFixture f;
    for (int i = 1; i <= 7; ++i)
        f.store().addMessage("tester", qbs::MessageStore::Lms,
                             {0, ko("제목 ") + std::to_string(i), ko("내용 ") + std::to_string(i), {}});
    CLMSEditDlg* e = openLmsEditor(f);
    ASSERT_TRUE(e);

    QStringList titles;
    std::vector<QStringList> pages;
    auto page = [&](LmsMessageBoxDialog& d) {
        titles << d.windowTitle();
        QStringList p;
        for (int k = 1; k <= LmsMessageBoxDialog::kSlots; ++k)
            p << d.titleEdit(k)->text() + "|" + d.bodyEdit(k)->toPlainText();
        pages.push_back(p);
    };
    whenModal<LmsMessageBoxDialog>([&](LmsMessageBoxDialog& d) {
        ASSERT_TRUE(QTest::qWaitFor([&] { return d.pageShown(); }, 3000));
        page(d);
        click(&d, "next");
        page(d);
        click(&d, "next");
        page(d);
        click(&d, "next"); // no page 4
        page(d);
        click(&d, "remove1"); // record 1, alone on page 3: back to page 2
        page(d);
        click(&d, "previous");
        click(&d, "remove2"); // record 6
        page(d);
        click(&d, "next");
        click(&d, "select3"); // an empty slot
        EXPECT_TRUE(d.isVisible());
        click(&d, "close");
    });
    click(e, "loadMessage");

    EXPECT_EQ(titles, (QStringList{u("[LMS] 메세지 저장함 - 1 / 3"), u("[LMS] 메세지 저장함 - 2 / 3"),
                                   u("[LMS] 메세지 저장함 - 3 / 3"), u("[LMS] 메세지 저장함 - 3 / 3"),
                                   u("[LMS] 메세지 저장함 - 2 / 2"), u("[LMS] 메세지 저장함 - 1 / 2")}));
    const std::vector<QStringList> expected{
        {u("제목 7|내용 7"), u("제목 6|내용 6"), u("제목 5|내용 5")},
        {u("제목 4|내용 4"), u("제목 3|내용 3"), u("제목 2|내용 2")},
        {u("제목 1|내용 1"), "|", "|"},
        {u("제목 1|내용 1"), "|", "|"},
        {u("제목 4|내용 4"), u("제목 3|내용 3"), u("제목 2|내용 2")},
        {u("제목 7|내용 7"), u("제목 5|내용 5"), u("제목 4|내용 4")},
    };
    EXPECT_EQ(pages, expected);
    EXPECT_EQ(f.texts(), Strings{"메시지 내용이 없습니다.!"});
    std::vector<std::string> left;
    for (const auto& m : f.store().messages("tester", qbs::MessageStore::Lms))
        left.push_back(m.title);
    EXPECT_EQ(left, (std::vector<std::string>{ko("제목 2"), ko("제목 3"), ko("제목 4"), ko("제목 5"),
                                              ko("제목 7")}));
    // Closed without a choice: the editor is as it was.
    EXPECT_EQ(e->bodyEdit()->toPlainText(), u(" 내용... "));
    EXPECT_FALSE(e->model().text().bodyTouched());
}

TEST(SpecialCharPalette, InsertsIntoTheSmsBoxAtTheCaretAndTheBoxKeepsItsLimit) {
    SendViewFixture f;
    f.view->show();
    auto* box = f.find<QPlainTextEdit>("smsBox");
    typeInto(box, "abc");
    QTextCursor c = box->textCursor();
    c.setPosition(1);
    box->setTextCursor(c);

    f.click("specialChars");
    CSpecialCharDlg* p = f.view->palette();
    ASSERT_TRUE(p);
    EXPECT_TRUE(p->isVisible());
    EXPECT_EQ(p->windowTitle(), u("특수문자 입력창"));
    EXPECT_EQ(p->findChildren<CHoverButton*>().size(), 80);
    EXPECT_EQ(p->button(59)->text(), u("★"));
    QTest::mouseClick(p->button(59), Qt::LeftButton);
    EXPECT_EQ(f.state().smsText, "a" + ko("★") + "bc");
    EXPECT_EQ(f.find<QLabel>("smsCounter")->text(), "5 / 90 byte");
    EXPECT_EQ(box->textCursor().position(), 2);
    c.setPosition(2);
    c.setPosition(4, QTextCursor::KeepAnchor); // "bc"
    box->setTextCursor(c);
    QTest::mouseClick(p->button(0), Qt::LeftButton);
    EXPECT_EQ(box->toPlainText(), u("a★＠"));

    // At 89 counted bytes a symbol at the end has no room (LMS is offered once,
    // declined); at the start the end goes.
    box->setPlainText(repeat("x", 89));
    box->moveCursor(QTextCursor::End);
    QTest::mouseClick(p->button(59), Qt::LeftButton);
    EXPECT_EQ(f.state().smsText, std::string(89, 'x'));
    EXPECT_EQ(f.texts(), Strings{"[SMS] 90바이트를 넘었습니다. LMS로 전환하시겠습니까?"});
    f.notifier.clear();
    box->moveCursor(QTextCursor::Start);
    QTest::mouseClick(p->button(59), Qt::LeftButton);
    EXPECT_EQ(f.state().smsText, ko("★") + std::string(88, 'x'));
    EXPECT_EQ(f.find<QLabel>("smsCounter")->text(), "90 / 90 byte");

    // One palette per target; Enter and Escape leave it open.
    f.click("specialChars");
    EXPECT_EQ(f.view->palette(), p);
    QTest::keyClick(p, Qt::Key_Escape);
    QTest::keyClick(p, Qt::Key_Return);
    EXPECT_TRUE(p->isVisible());

    // Each button draws its three looks; the mouse picks one.
    CHoverButton* b = p->button(59);
    EXPECT_EQ(b->size(), QSize(b->strip().width() / 3, b->strip().height()));
    EXPECT_NE(b->image(CHoverButton::Look::Normal).toImage(),
              b->image(CHoverButton::Look::Hovered).toImage());
    EXPECT_NE(b->image(CHoverButton::Look::Normal).toImage(),
              b->image(CHoverButton::Look::Pressed).toImage());
    QEnterEvent enter(QPointF(3, 3), QPointF(3, 3), b->mapToGlobal(QPointF(3, 3)));
    QCoreApplication::sendEvent(b, &enter);
    EXPECT_EQ(b->look(), CHoverButton::Look::Hovered);
    QTest::mousePress(b, Qt::LeftButton);
    EXPECT_EQ(b->look(), CHoverButton::Look::Pressed);
    QTest::mouseRelease(b, Qt::LeftButton);
    QEvent leave(QEvent::Leave);
    QCoreApplication::sendEvent(b, &leave);
    EXPECT_EQ(b->look(), CHoverButton::Look::Normal);

    p->close();
    deleteClosedWindows();
    EXPECT_FALSE(f.view->palette());
    EXPECT_EQ(f.texts(), Strings{});
}

TEST(SpecialCharPalette, SitsBesideTheLmsEditorAndWritesIntoTheBodyAtTheCaret) {
    SendViewFixture f;
    AccessibleNamesAudit audit;
    CLMSEditDlg* e = openLmsEditor(f);
    ASSERT_TRUE(e);
    click(e, "specialChars");
    CSpecialCharDlg* p = e->palette();
    ASSERT_TRUE(p);
    // Beside the editor, covering none of it.
    const QRect ef = e->frameGeometry(), pf = p->frameGeometry();
    const ScreenRect expected =
        besideEditor({ef.x(), ef.y(), ef.width(), ef.height()}, pf.width(), pf.height(), availableArea(p));
    EXPECT_EQ(pf.topLeft(), QPoint(expected.x, expected.y));
    EXPECT_FALSE(pf.intersects(ef));

    // The untouched body: the symbol replaces the placeholder.
    QTest::mouseClick(p->button(25), Qt::LeftButton); // ◆
    EXPECT_EQ(e->bodyEdit()->toPlainText(), u("◆"));
    EXPECT_EQ(e->counter()->text(), "2 / 2000 byte");
    EXPECT_TRUE(e->model().text().bodyTouched());
    EXPECT_EQ(textColour(e->bodyEdit()), QColor(Qt::black));

    // The title had the focus last: the symbols still go into the body, at its caret.
    focus(e->titleEdit());
    typeInto(e->titleEdit(), "ab");
    QTextCursor c = e->bodyEdit()->textCursor();
    c.setPosition(0);
    e->bodyEdit()->setTextCursor(c);
    QTest::mouseClick(p->button(59), Qt::LeftButton); // ★
    EXPECT_EQ(e->titleEdit()->text(), "ab");
    EXPECT_EQ(e->model().text().body(), ko("★◆"));
    EXPECT_EQ(e->bodyEdit()->textCursor().position(), 1);
    EXPECT_EQ(e->counter()->text(), "4 / 2000 byte");

    click(e, "specialChars");
    EXPECT_EQ(e->palette(), p);
    EXPECT_EQ(f.texts(), Strings{});
    EXPECT_EQ(lines(audit.problems()), "");
}

// Text a screen reader or speech input places through the accessibility
// interface is the user's: the preview and the job take it.
TEST(LmsEditor, TextPlacedThroughTheAccessibilityInterfaceIsTaken) {
    SendViewFixture f;
    CLMSEditDlg* e = openLmsEditor(f);
    ASSERT_TRUE(e);
    for (QWidget* box : {static_cast<QWidget*>(e->titleEdit()), static_cast<QWidget*>(e->bodyEdit())}) {
        QAccessibleInterface* a = QAccessible::queryAccessibleInterface(box);
        ASSERT_TRUE(a && a->editableTextInterface() && a->textInterface());
        a->editableTextInterface()->replaceText(0, a->textInterface()->characterCount(), u("공지"));
    }
    EXPECT_EQ(e->model().text().title(), ko("공지"));
    EXPECT_TRUE(e->model().text().titleTouched());
    EXPECT_EQ(e->model().text().body(), ko("공지"));
    EXPECT_TRUE(e->model().text().bodyTouched());

    // "취소" asks before they go; "아니요" keeps the window and its text.
    click(e, "cancel");
    EXPECT_EQ(f.texts(), Strings{"작성한 내용이 지워집니다. 계속하시겠습니까?"});
    ASSERT_TRUE(f.view->editorWindows().lmsWindow());
    EXPECT_EQ(e->titleEdit()->text(), u("공지"));
    f.notifier.answerNext(true);
    click(e, "cancel");
    EXPECT_FALSE(f.view->editorWindows().lmsWindow());
    EXPECT_EQ(f.state().kind, MessageKind::Sms);
}

} // namespace qb::test
