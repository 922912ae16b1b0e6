// The send form inside the main window, against qb-service on loopback: what the
// user goes through from the login to the preview, message boxes included.
#include "GuiTestSupport.h"
#include "SendViewFixture.h"

#include "common/Cp949.h"
#include "common/ui/FileDialog.h"
#include "frame/ui/CMainFrame.h"
#include "net/ui/CLoginDlg.h"
#include "send/ui/CGridCtrl.h"
#include "send/ui/CQuillbank2View.h"
#include "send/ui/RejectListDialog.h"
#include "support/RunUntil.h"
#include "support/ServiceHarness.h"
#include "support/TempDir.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <gtest/gtest.h>

using namespace std::chrono_literals;

namespace qb::test {
namespace {

class SendPathTest : public ::testing::Test {
protected:
    void SetUp() override {
        service.addAccount("user01", "pass01", 7, "TAG");
        service.dir().write("update.ini", "[PROGRAM]\r\nVERSION=2.1.5\r\n");
        auto& store = service.service().webServer().store();
        store.addCallback("user01", "0212345678", "2024-01-01");
        store.addCallback("user01", "0315556666", "2024-02-02");
        qbs::Balance balance;
        balance.balance = "15000";
        balance.counts = {"750", "300", "75"};
        store.setBalance("user01", balance);
        MessageBoxNotifier::clearShown();
        frame = std::make_unique<CMainFrame>(AppPaths(service.workdir()), service.config());
        frame->show();
        view = frame->findChild<CQuillbank2View*>();
    }
    void TearDown() override {
        frame.reset();
        MessageBoxNotifier::clearShown();
    }

    void logIn() {
        whenModal<CLoginDlg>([](CLoginDlg& d) {
            d.idEdit()->clear();
            typeText(d.idEdit(), "user01");
            d.passwordEdit()->clear();
            typeText(d.passwordEdit(), "pass01");
            d.okButton()->click();
        });
        frame->action(Command::Login)->trigger();
        ASSERT_TRUE(runUntil([&] { return frame->windowTitle().contains(u("수신거부 데이터")); }));
    }
    template <typename W = QWidget> W* find(const char* name) const { return view->findChild<W*>(name); }
    void choose(const char* combo, int index) const {
        auto* c = find<QComboBox>(combo);
        c->setCurrentIndex(index);
        emit c->activated(index);
    }
    QString cell(int row, int column) const {
        const auto* m = view->grid()->model();
        return row == 0 ? m->headerData(column, Qt::Horizontal).toString()
                        : m->data(m->index(row - 1, column)).toString();
    }

    ServiceHarness service;
    std::unique_ptr<CMainFrame> frame;
    CQuillbank2View* view = nullptr;
};

} // namespace

TEST_F(SendPathTest, LoginFillsTheFormAndThePreviewIsSummedUpInItsOwnBox) {
    ASSERT_NE(view, nullptr);
    EXPECT_EQ(frame->sendFormWidget(), view);
    EXPECT_EQ(find<QLabel>("balance")->text(), "");

    logIn();
    // The after-login steps: balance line, callback numbers.
    EXPECT_EQ(find<QLabel>("balance")->text(), "15000");
    EXPECT_EQ(find<QLabel>("counts")->text(), "[SMS] 750 / [LMS] 300 / [MMS] 75 ");
    auto* callbacks = find<QComboBox>("callbackBox");
    ASSERT_EQ(callbacks->count(), 2);
    EXPECT_EQ(callbacks->itemText(1), "0315556666");
    EXPECT_TRUE(MessageBoxNotifier::shown().isEmpty());

    TempDir files;
    const std::string list = files.write("list.txt", "01011112222|" + ko("김철수") + "\n01033334444|" +
                                                         ko("이영희") + "\n01011112222|" + ko("다시") + "\n");
    choose("delimiterList", 4); // "|"
    FileDialog::setNextFileName(QString::fromStdString(list));
    find<QPushButton>("textFile")->click();
    ASSERT_EQ(view->grid()->model()->rowCount(), 3);
    choose("numberColumn", 1);
    find<QCheckBox>("merge1")->click();
    choose("mergeColumn1", 2);
    choose("callbackBox", 1);
    typeInto(find<QPlainTextEdit>("smsBox"), u("<@1@>님 반갑습니다"));

    find<QPushButton>("preview")->click();
    EXPECT_EQ(shownBoxes(),
              std::vector<std::string>{" 발송데이터 확인! | 총 데이터 [3] 건\n중복제거 [1] 건\n"
                                       "수신거부 [0] 건\n번호형식오류 [0] 건\n전송할 데이터 [2] "
                                       "건 | none | 확인"});
    EXPECT_EQ(MessageBoxNotifier::shown()[0].owner, frame.get());
    EXPECT_EQ(cell(1, 1), "010-1111-2222");
    EXPECT_EQ(cell(2, 3), u("이영희님 반갑습니다"));
    EXPECT_EQ(cell(2, 2), "0315556666");
    EXPECT_EQ(view->form().state().queue.size(), 2u);
    EXPECT_TRUE(find<QPushButton>("send")->isEnabled());

    // "전송하기": while the job runs nothing may rebuild the queue; at its end the
    // balance is read again and the server's count arrives on the login connection.
    MessageBoxNotifier::clearShown();
    std::vector<std::string> whileSending;
    std::vector<int> progress;
    QObject::connect(find<QProgressBar>("progress"), &QProgressBar::valueChanged,
                     [&](int v) { progress.push_back(v); });
    find<QPushButton>("send")->click();
    for (const char* name :
         {"send", "preview", "resetForm", "textFile", "excelFile", "directEntry", "kindLms"})
        if (find<QWidget>(name)->isEnabled())
            whileSending.push_back(name);
    EXPECT_EQ(whileSending, std::vector<std::string>{});
    // Logging out would cut the job off: refused while it runs.
    frame->action(Command::Logout)->trigger();
    EXPECT_TRUE(frame->model().loginState().loggedIn);
    ASSERT_TRUE(runUntil([] { return MessageBoxNotifier::shown().size() == 2; }, 10s));
    EXPECT_EQ(shownBoxes(), (std::vector<std::string>{
                                "알림 | 전송중입니다. 전송이 끝난 후 다시 시도해 주세요! | error | 확인",
                                "알림 | 총 [2] 건 전송이 완료되었습니다. | none | 확인"}));
    ASSERT_TRUE(runUntil([&] { return find<QLabel>("balance")->text() == "14960"; }, 5s));
    ASSERT_TRUE(runUntil([&] { return !view->sendJob().running(); }, 5s));
    EXPECT_EQ(find<QProgressBar>("progress")->value(), 0);
    EXPECT_EQ(progress, (std::vector<int>{1, 2, 0}));
    EXPECT_TRUE(view->form().state().queue.empty());
    EXPECT_TRUE(find<QPushButton>("send")->isEnabled());
    EXPECT_TRUE(find<QPushButton>("resetForm")->isEnabled());
    auto& sends = service.service().sendServer().store();
    const auto jobs = sends.jobs("user01");
    ASSERT_EQ(jobs.size(), 1u);
    const auto records = sends.records(jobs[0].id);
    ASSERT_EQ(records.size(), 2u);
    EXPECT_EQ(records[0].record.number, "01011112222");
    EXPECT_EQ(records[1].record.callback, "0315556666");
    EXPECT_EQ(records[1].record.body, ko("이영희님 반갑습니다"));

    // Logging out empties the balance line and the callback numbers.
    frame->action(Command::Logout)->trigger();
    EXPECT_EQ(find<QLabel>("balance")->text(), "");
    EXPECT_EQ(find<QLabel>("prices")->text(), "");
    EXPECT_EQ(callbacks->count(), 0);
}

TEST_F(SendPathTest, AppliedRejectListsRetitleTheWindow) {
    logIn();
    TempDir files;
    const std::string rejects = files.write("r.txt", "01011112222 01033334444 01055556666");
    whenModal<RejectListDialog>([&](RejectListDialog& d) {
        FileDialog::setNextFileName(QString::fromStdString(rejects));
        d.findChild<QPushButton*>("add")->click();
        d.findChild<QPushButton*>("apply")->click();
    });
    find<QPushButton>("rejectLists")->click();
    EXPECT_EQ(
        shownBoxes(),
        std::vector<std::string>{
            "수신거부 등록 | [r.txt] - [3] 개\n\n--------------------\n[Total] - [3] 개 | none | 확인"});
    EXPECT_EQ(frame->windowTitle(),
              u(" 퀼뱅크문자 [127.0.0.1] - 아이디 : [user01] Ver - 2.1.5 ::수신거부 데이터 [3] 개"));
}

} // namespace qb::test
