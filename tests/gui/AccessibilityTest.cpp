// What a screen reader hears: every control of every window a user meets has a
// name of its own.
#include "AccessibleNames.h"
#include "SendViewFixture.h"

#include "common/ui/FileDialog.h"
#include "common/ui/SheetChoiceDialog.h"
#include "frame/ui/CMainFrame.h"
#include "net/ui/LoginDialog.h"
#include "send/ui/DirectEntryDialog.h"
#include "send/ui/RejectListDialog.h"
#include "support/RunUntil.h"
#include "support/TempDir.h"
#include "views/ui/CMemberInfoDlg.h"
#include "views/ui/CNoticeDlg.h"
#include "web/ui/CallbackNumberDialog.h"
#include "web/ui/SmsMessageBoxDialog.h"

#include <QAccessible>
#include <QComboBox>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <gtest/gtest.h>

namespace qb::test {
namespace {

QString heard(QWidget* w) {
    return QAccessible::queryAccessibleInterface(w)->text(QAccessible::Name);
}

} // namespace

TEST(AccessibleNames, FindsControlsWithoutANameOfTheirOwn) {
    QWidget window;
    window.setWindowTitle("w");
    auto* group = new QGroupBox(u("전송설정"), &window);
    auto* from = new QLineEdit(group);
    from->setObjectName("from");
    auto* to = new QLineEdit(group);
    auto* column = new QComboBox(group);
    column->addItem(u("선택"));
    auto* named = new QLineEdit(group);
    named->setAccessibleName(u("전송범위 끝"));
    auto* label = new QLabel(u("아이디 :"), &window);
    auto* labelled = new QLineEdit(&window);
    auto* bare = new QLineEdit(&window);
    auto* ok1 = new QPushButton(u("확인"), &window);
    auto* ok2 = new QPushButton(u("확인"), &window);
    auto* inGroup = new QHBoxLayout(group);
    for (QWidget* w : std::initializer_list<QWidget*>{from, to, column, named})
        inGroup->addWidget(w);
    auto* layout = new QHBoxLayout(&window);
    for (QWidget* w : std::initializer_list<QWidget*>{group, label, labelled, bare, ok1, ok2})
        layout->addWidget(w);
    label->setBuddy(labelled);
    window.show();

    EXPECT_EQ(lines(namelessControls(&window)),
              "[w] EditableText QLineEdit from: named after its group \"전송설정\"\n"
              "[w] EditableText QLineEdit: named after its group \"전송설정\"\n"
              "[w] ComboBox QComboBox: named by its current item \"선택\"\n"
              "[w] EditableText QLineEdit: no name\n"
              "[w] Button QPushButton: shares its name \"확인\"\n"
              "[w] Button QPushButton: shares its name \"확인\"\n");
    EXPECT_EQ(heard(labelled), u("아이디 :"));

    // The audit checks a window as it is shown, and what was added to it later.
    window.hide();
    AccessibleNamesAudit audit;
    QDialog dialog;
    dialog.setWindowTitle("d");
    new QPushButton(u("닫기"), &dialog);
    dialog.show();
    (new QLineEdit(&dialog))->show();
    EXPECT_EQ(lines(audit.problems()), "[d] EditableText QLineEdit: no name\n");
    EXPECT_EQ(lines(audit.windowsSeen()), "d\n");
}

TEST(AccessibleNames, MainWindowLoginAndSideWindows) {
    ServiceHarness service;
    service.addAccount("user01", "pass01");
    MessageBoxNotifier::clearShown();
    AccessibleNamesAudit audit;
    CMainFrame frame(AppPaths(service.workdir()), service.config());
    frame.show();

    QStringList loginNames;
    whenModal<LoginDialog>([&](LoginDialog& d) {
        loginNames << heard(d.idEdit()) << heard(d.passwordEdit());
        typeText(d.idEdit(), "user01");
        typeText(d.passwordEdit(), "pass01");
        d.okButton()->click();
    });
    frame.action(Command::Login)->trigger();
    ASSERT_TRUE(runUntil([&] { return frame.noticeWindow() != nullptr; }));
    frame.action(Command::MemberInfo)->trigger();
    ASSERT_NE(frame.memberInfoWindow(), nullptr);

    EXPECT_EQ(loginNames, (QStringList{u("아이디"), u("비밀번호")}));
    QWidget* form = frame.sendFormWidget();
    EXPECT_EQ(heard(form->findChild<QLineEdit*>("rangeFrom")), u("전송범위 시작"));
    EXPECT_EQ(heard(form->findChild<QComboBox*>("mergeColumn1")), u("<@1@> 열"));
    EXPECT_EQ(lines(audit.problems()), "");
    EXPECT_EQ(lines(audit.windowsSeen()),
              "퀼뱅크문자 [127.0.0.1]\n로그인\n로그인 시도중.....\n공지사항\n회원정보수정\n");
    EXPECT_TRUE(MessageBoxNotifier::shown().isEmpty());
}

TEST(AccessibleNames, SendFormAndItsDialogs) {
    SendViewFixture f;
    AccessibleNamesAudit audit;
    f.view->show();

    whenModal<DirectEntryDialog>([](DirectEntryDialog& d) { d.reject(); });
    f.click("directEntry");
    whenModal<SheetChoiceDialog>([](SheetChoiceDialog& d) { d.reject(); });
    FileDialog::setNextFileName(QString::fromStdString(dataPath("excel/recipients.xlsx")));
    f.click("excelFile");
    whenModal<RejectListDialog>([](RejectListDialog& d) { d.reject(); });
    f.click("rejectLists");
    whenModal<CallbackNumberDialog>([](CallbackNumberDialog& d) { d.reject(); });
    f.click("manageCallbacks");
    whenModal<SmsMessageBoxDialog>([](SmsMessageBoxDialog& d) { d.reject(); });
    f.click("loadMessage");
    f.find<QAbstractButton>("kindLms")->click();
    f.find<QAbstractButton>("kindMms")->click();

    EXPECT_EQ(lines(audit.problems()), "");
    EXPECT_EQ(lines(audit.windowsSeen()),
              "\n직접입력\n사용하실 엑셀시트를 선택하세요\n수신거부 목록\n회신번호관리\n"
              "메세지 저장함 - 1 / 0\n:::: LMS 문자 편집창\n:::: MMS 문자 편집창\n");
}

} // namespace qb::test
