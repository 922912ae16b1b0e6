// Keys alone, from the login to the send: Tab follows the layout and leaves
// every text box and the grid, and each dialog hands the focus to the next step.
#include "GuiTestSupport.h"
#include "SendViewFixture.h"

#include "common/ui/FileDialog.h"
#include "common/ui/SheetChoiceDialog.h"
#include "compose/ui/CLMSEditDlg.h"
#include "compose/ui/EditorWindowSet.h"
#include "frame/ui/CMainFrame.h"
#include "net/ui/LoginDialog.h"
#include "send/ui/CQuillbank2View.h"
#include "send/ui/DirectEntryDialog.h"
#include "support/RunUntil.h"
#include "support/ServiceHarness.h"
#include "support/TempDir.h"
#include "views/ui/CNoticeDlg.h"
#include "web/ui/LmsMessageBoxDialog.h"
#include "web/ui/SmsMessageBoxDialog.h"

#include <QImage>
#include <QPlainTextEdit>
#include <QPointer>
#include <QPushButton>
#include <QTest>
#include <QWindow>
#include <gtest/gtest.h>

namespace qb::test {
namespace {

// What a window manager does and offscreen windows do not: when the active
// window goes away, the last one active before it that is still shown comes back.
class WindowManager {
public:
    WindowManager() {
        QObject::connect(qApp, &QGuiApplication::focusWindowChanged, &m_guard, [this](QWindow* w) {
            if (!w)
                return;
            m_order.removeAll(w);
            m_order.append(w);
        });
    }
    QWidget* focused() {
        if (!QApplication::activeWindow()) {
            while (!m_order.isEmpty() && (!m_order.last() || !m_order.last()->isVisible()))
                m_order.removeLast();
            if (!m_order.isEmpty())
                m_order.last()->requestActivate();
            runUntil([] { return QApplication::activeWindow() != nullptr; });
        }
        if (QWidget* popup = QApplication::activePopupWidget())
            return popup;
        return QApplication::focusWidget();
    }
    // The user's own switch between windows (Alt+Tab).
    void switchTo(QWidget* window) {
        window->activateWindow();
        EXPECT_TRUE(runUntil([window] { return QApplication::activeWindow() == window; }));
    }

private:
    QObject m_guard;
    QList<QPointer<QWindow>> m_order;
};

class KeyboardPathTest : public ::testing::TestWithParam<int> {
protected:
    void SetUp() override {
        service.addAccount("user01", "pass01", 7, "TAG");
        service.service().webServer().store().addCallback("user01", "0212345678", "2024-01-01");
        qbs::Balance balance;
        balance.balance = "15000";
        service.service().webServer().store().setBalance("user01", balance);
        MessageBoxNotifier::clearShown();
        frame = std::make_unique<CMainFrame>(AppPaths(service.workdir()), service.config());
        frame->show();
        wm.switchTo(frame.get());
    }
    void TearDown() override {
        MessageBoxNotifier::setTestMode(true);
        frame.reset();
        MessageBoxNotifier::clearShown();
    }

    std::string focusName() {
        QWidget* w = wm.focused();
        return w ? w->objectName().toStdString() : "";
    }
    void press(Qt::Key key, Qt::KeyboardModifiers modifiers = {}) {
        QWidget* w = wm.focused();
        ASSERT_TRUE(w);
        QTest::keyClick(w, key, modifiers);
    }
    void type(const char* utf8) { typeInto(wm.focused(), u(utf8)); }
    // A busy machine shows a dialog before it takes the focus; one that never
    // gets it closes, so the test fails instead of waiting for keys.
    bool focusArrives(QDialog& dialog, const char* name) {
        if (runUntil([&] { return focusName() == name; }, std::chrono::seconds(20)))
            return true;
        ADD_FAILURE() << name << " never had the focus: " << focusName();
        dialog.reject();
        return false;
    }
    // Tab (or Shift+Tab) until `name` has the focus; false when it is never reached.
    bool tabTo(const char* name, Qt::KeyboardModifiers modifiers = {}) {
        for (int i = 0; i < 60 && focusName() != name; ++i)
            QTest::keyClick(wm.focused(), Qt::Key_Tab, modifiers);
        return focusName() == name;
    }
    // Answers the next message box with Enter, which its default button must have.
    static void answerWithEnter(const char* defaultUtf8) {
        whenModal<QMessageBox>([defaultUtf8](QMessageBox& box) {
            runUntil([&] { return box.focusWidget() && box.focusWidget() == box.defaultButton(); },
                     std::chrono::seconds(20));
            EXPECT_EQ(box.focusWidget(), box.defaultButton());
            if (!box.focusWidget() || !box.defaultButton()) {
                box.reject();
                return;
            }
            EXPECT_EQ(box.defaultButton()->text(), u(defaultUtf8));
            QTest::keyClick(box.focusWidget(), Qt::Key_Return);
            if (box.isVisible())
                box.reject();
        });
    }

    ServiceHarness service;
    WindowManager wm;
    std::unique_ptr<CMainFrame> frame;
};

// The first control to the grid and round again, as the form stands after a
// load: only the checked kind and reservation buttons, only enabled controls.
const std::vector<std::string> kTabCycle{
    "kindSms",         "adSwitch",       "smsBox",      "specialChars", "saveMessage", "loadMessage",
    "adSettings",      "merge1",         "merge2",      "merge3",       "merge4",      "callbackBox",
    "manageCallbacks", "refreshBalance", "immediate",   "rangeFrom",    "rangeTo",     "splitOn",
    "dedup",           "selfReject",     "rejectLists", "directEntry",  "textFile",    "delimiterList",
    "delimiterField",  "encodingList",   "excelFile",   "sheetChooser", "sheetName",   "numberColumn",
    "deleteRows",      "preview",        "send",        "resetForm",    "grid",        "kindSms"};

struct KindRow {
    const char* title; // "" for SMS
    const char* body;
};
const KindRow kKinds[] = {
    {"", "안내 문자입니다"}, {"봄 세일", "봄맞이 세일\n안내드립니다"}, {"사진", "봄 풍경"}};

TEST_P(KeyboardPathTest, LoginLoadPreviewAndSendByKeys) {
    const int kind = GetParam();
    const KindRow& row = kKinds[kind];
    TempDir files;

    whenModal<LoginDialog>([this](LoginDialog& dialog) {
        if (!focusArrives(dialog, "idEdit"))
            return;
        type("user01");
        press(Qt::Key_Tab);
        type("pass01");
        press(Qt::Key_Return);
    });
    press(Qt::Key_L, Qt::ControlModifier);
    ASSERT_TRUE(runUntil([&] { return frame->windowTitle().contains(u("수신거부 데이터")); }));
    // The notice window opens in front; Escape closes it.
    ASSERT_TRUE(runUntil([&] { return frame->noticeWindow() && frame->noticeWindow()->isActiveWindow(); }));
    press(Qt::Key_Escape);
    ASSERT_TRUE(runUntil([&] { return !frame->noticeWindow(); }));
    ASSERT_EQ(focusName(), "kindSms");

    if (kind == 0) {
        press(Qt::Key_Tab); // "광고"
        press(Qt::Key_Tab);
        type(row.body);
        press(Qt::Key_Tab);
        EXPECT_EQ(focusName(), "specialChars");
        EXPECT_EQ(frame->findChild<QPlainTextEdit*>("smsBox")->toPlainText(), u(row.body));
    } else {
        // The arrows move between the kinds; each editor opens in front of the window.
        press(Qt::Key_Right);
        if (kind == 2) {
            wm.switchTo(frame.get());
            press(Qt::Key_Right);
        }
        ASSERT_TRUE(runUntil([&] { return QApplication::activeWindow() != frame.get(); }));
        QWidget* editor = QApplication::activeWindow();
        ASSERT_TRUE(tabTo("title", Qt::ShiftModifier));
        type(row.title);
        press(Qt::Key_Tab);
        ASSERT_EQ(focusName(), "body");
        type(row.body);
        press(Qt::Key_Tab);
        EXPECT_EQ(editor->findChild<QPlainTextEdit*>("body")->toPlainText(), u(row.body));
        ASSERT_EQ(focusName(), kind == 1 ? "loadMessage" : "slot1");
        if (kind == 2) {
            QImage picture(120, 90, QImage::Format_RGB32);
            picture.fill(Qt::darkGreen);
            const std::string path = files.file("spring.jpg");
            ASSERT_TRUE(picture.save(QString::fromStdString(path), "JPG"));
            FileDialog::setNextFileName(QString::fromStdString(path));
            press(Qt::Key_Return); // the slot's menu
            ASSERT_TRUE(runUntil([] { return QApplication::activePopupWidget() != nullptr; }));
            press(Qt::Key_Down); // "파일열기"
            press(Qt::Key_Return);
            ASSERT_TRUE(runUntil([] { return QApplication::activePopupWidget() == nullptr; }));
        }
        wm.switchTo(frame.get());
    }

    ASSERT_TRUE(tabTo("directEntry"));
    whenModal<DirectEntryDialog>([this](DirectEntryDialog& dialog) {
        if (!focusArrives(dialog, "numbers"))
            return;
        type("01011112222\n01033334444");
        press(Qt::Key_Tab);
        EXPECT_EQ(focusName(), "ok");
        press(Qt::Key_Space);
    });
    press(Qt::Key_Space);
    // The number column is found: the message, written, leaves the preview next.
    EXPECT_EQ(focusName(), "preview");

    if (kind == 0) {
        // One round of Tab in the order of the layout; the grid is one stop,
        // also after a visit to another view.
        ASSERT_TRUE(tabTo("kindSms"));
        std::vector<std::string> cycle{focusName()};
        while (cycle.size() < kTabCycle.size()) {
            press(Qt::Key_Tab);
            cycle.push_back(focusName());
        }
        EXPECT_EQ(cycle, kTabCycle);
        press(Qt::Key_Tab, Qt::ShiftModifier);
        ASSERT_EQ(focusName(), "grid");
        press(Qt::Key_Down);
        press(Qt::Key_2, Qt::ControlModifier);
        ASSERT_TRUE(runUntil([&] { return frame->currentView() != frame->sendFormWidget(); }));
        EXPECT_TRUE(frame->currentView()->findChild<QWidget*>("browser")->isAncestorOf(wm.focused()));
        press(Qt::Key_1, Qt::ControlModifier);
        EXPECT_EQ(focusName(), "grid");
        press(Qt::Key_Tab, Qt::ShiftModifier);
        EXPECT_EQ(focusName(), "resetForm");
    }

    ASSERT_TRUE(tabTo("preview"));
    MessageBoxNotifier::setTestMode(false);
    answerWithEnter("확인");
    press(Qt::Key_Space);
    ASSERT_EQ(MessageBoxNotifier::shown().size(), 1);
    EXPECT_EQ(MessageBoxNotifier::shown()[0].caption, u(" 발송데이터 확인!"));
    EXPECT_EQ(focusName(), "send");
    answerWithEnter("예");
    press(Qt::Key_Space);
    MessageBoxNotifier::setTestMode(true);
    ASSERT_EQ(MessageBoxNotifier::shown().size(), 2);
    EXPECT_EQ(MessageBoxNotifier::shown()[1].answer, QMessageBox::Yes);

    ASSERT_TRUE(runUntil([] { return MessageBoxNotifier::shown().size() == 3; }));
    EXPECT_EQ(MessageBoxNotifier::shown()[2].text, u("총 [2] 건 전송이 완료되었습니다."));
    auto& sends = service.service().sendServer().store();
    const auto jobs = sends.jobs("user01");
    ASSERT_EQ(jobs.size(), 1u);
    EXPECT_EQ(jobs[0].kind, kind);
    const auto records = sends.records(jobs[0].id);
    ASSERT_EQ(records.size(), 2u);
    EXPECT_EQ(records[1].record.number, "01033334444");
    EXPECT_EQ(records[1].record.title, ko(row.title));
    EXPECT_EQ(records[1].record.body, ko(row.body));
    auto* view = frame->findChild<CQuillbank2View*>();
    ASSERT_TRUE(runUntil([&] { return !view->sendJob().running(); }));
    EXPECT_TRUE(view->isAncestorOf(wm.focused())) << focusName();
}

INSTANTIATE_TEST_SUITE_P(Kinds, KeyboardPathTest, ::testing::Values(0, 1, 2), [](const auto& info) {
    return std::string(info.param == 0 ? "Sms" : info.param == 1 ? "Lms" : "Mms");
});

// The saved message boxes' texts: Tab goes on to the next control and no tab is typed.
TEST(SavedMessageBoxes, TabLeavesEveryTextBox) {
    SendViewFixture f;
    f.view->show();
    std::vector<std::string> passed;
    auto tabThrough = [&](QDialog& d) {
        for (QPlainTextEdit* box : d.findChildren<QPlainTextEdit*>()) {
            box->setFocus();
            QTest::keyClick(box, Qt::Key_Tab);
            if (d.focusWidget() != box && !box->toPlainText().contains('\t'))
                passed.push_back(box->objectName().toStdString());
        }
        d.reject();
    };
    whenModal<SmsMessageBoxDialog>(tabThrough);
    f.click("loadMessage");
    f.find<QAbstractButton>("kindLms")->click();
    whenModal<LmsMessageBoxDialog>(tabThrough);
    f.view->editorWindows().lmsWindow()->loadSaved();
    EXPECT_EQ(passed, (std::vector<std::string>{"slot1", "slot2", "slot3", "slot4", "slot5", "slot6", "body1",
                                                "body2", "body3"}));
}

TEST(SheetChoiceDialog, EnterPicksTheCurrentSheetEscapeChoosesNothing) {
    struct Case {
        std::vector<Qt::Key> keys;
        int result;
        int chosen;
    };
    const Case cases[] = {
        {{Qt::Key_Return}, QDialog::Accepted, 1},
        {{Qt::Key_Down, Qt::Key_Enter}, QDialog::Accepted, 2},
        {{Qt::Key_Down, Qt::Key_Tab, Qt::Key_Space}, QDialog::Accepted, 2},               // "확인"
        {{Qt::Key_Down, Qt::Key_Tab, Qt::Key_Tab, Qt::Key_Return}, QDialog::Rejected, 0}, // "취소"
        {{Qt::Key_Down, Qt::Key_Escape}, QDialog::Rejected, 0},
    };
    for (const Case& c : cases) {
        SheetChoiceDialog d({"Sheet1", "Sheet2", "Sheet3"});
        d.show();
        for (const Qt::Key key : c.keys)
            QTest::keyClick(d.focusWidget(), key);
        EXPECT_EQ(d.result(), c.result) << c.keys.size();
        EXPECT_EQ(d.chosenSheet(), c.chosen) << c.keys.size();
        EXPECT_FALSE(d.isVisible());
    }
    SheetChoiceDialog d({"Sheet1"});
    std::vector<std::string> buttons;
    for (const QPushButton* b : d.findChildren<QPushButton*>())
        buttons.push_back(b->text().toStdString());
    EXPECT_EQ(buttons, (std::vector<std::string>{"확인", "취소"}));
}

} // namespace
} // namespace qb::test
