// The send form inside the main window, against qb-service on loopback: what the
// user goes through from the login to the preview, message boxes included.
#include "GuiTestSupport.h"
#include "SendViewFixture.h"

#include "common/Cp949.h"
#include "common/ui/FileDialog.h"
#include "compose/EditorText.h"
#include "compose/MmsPictures.h"
#include "compose/ui/CLMSEditDlg.h"
#include "compose/ui/CMMSEditDlg.h"
#include "compose/ui/CMMSSendView.h"
#include "compose/ui/EditorWindowSet.h"
#include "compose/ui/ScreenPlacement.h"
#include "frame/ui/CMainFrame.h"
#include "send/ui/CGridCtrl.h"
#include "send/ui/CQuillbank2View.h"
#include "send/ui/RejectListDialog.h"
#include "support/RunUntil.h"
#include "support/ServiceHarness.h"
#include "support/TempDir.h"

#include <QAbstractButton>
#include <QCheckBox>
#include <QComboBox>
#include <QImage>
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
    // Logged in with money enough, `count` numbers 01030000000… loaded from a file
    // and previewed as an SMS.
    void previewLongList(int count) {
        qbs::Balance balance;
        balance.balance = "5000000";
        service.service().webServer().store().setBalance("user01", balance);
        logIn();
        std::string list;
        for (int i = 0; i < count; ++i)
            list += "010" + std::to_string(30000000 + i) + "\n";
        FileDialog::setNextFileName(QString::fromStdString(m_files.write("list.txt", list)));
        find<QPushButton>("textFile")->click();
        choose("numberColumn", 1);
        typeInto(find<QPlainTextEdit>("smsBox"), u("안내 문자"));
        find<QPushButton>("preview")->click();
        ASSERT_EQ(queued(view->form()), static_cast<std::size_t>(count));
    }
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
        startLogin(*frame);
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

    // "전송하기" answered "예": the records of the one job sent, of kind `kind`,
    // once the end of two is shown.
    std::vector<qbs::SendRecordRow> sendTwo(int kind) {
        MessageBoxNotifier::setNextAnswer(QMessageBox::Yes);
        find<QPushButton>("send")->click();
        MessageBoxNotifier::clearShown();
        EXPECT_TRUE(runUntil([] { return !MessageBoxNotifier::shown().isEmpty(); }, 10s));
        EXPECT_EQ(shownBoxes(),
                  std::vector<std::string>{"알림 | 총 [2] 건 전송이 완료되었습니다. | none | 확인"});
        EXPECT_TRUE(runUntil([&] { return !view->sendJob().running(); }, 5s));
        auto& sends = service.service().sendServer().store();
        const auto jobs = sends.jobs("user01");
        EXPECT_EQ(jobs.size(), 1u);
        if (jobs.empty())
            return {};
        EXPECT_EQ(jobs[0].kind, kind);
        return sends.records(jobs[0].id);
    }
    // The numbers of previewLongList(count) were sent once each, in order.
    void expectEveryNumberOnceInOrder(int count) {
        auto& sends = service.service().sendServer().store();
        int expected = 0;
        for (const qbs::SendJobRow& job : sends.jobs("user01"))
            for (const qbs::SendRecordRow& r : sends.records(job.id))
                ASSERT_EQ(r.record.number, "010" + std::to_string(30000000 + expected++));
        EXPECT_EQ(expected, count);
    }

    ServiceHarness service;
    std::unique_ptr<CMainFrame> frame;
    CQuillbank2View* view = nullptr;
    TempDir m_files;
};

} // namespace

TEST_F(SendPathTest, LoginFillsTheFormAndThePreviewIsSummedUpInItsOwnBox) {
    ASSERT_NE(view, nullptr);
    EXPECT_EQ(frame->sendFormWidget(), view);
    EXPECT_EQ(find<QLabel>("balance")->text(), "");

    logIn();
    // The after-login steps: balance line, callback numbers.
    EXPECT_EQ(find<QLabel>("balance")->text(), "15,000");
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
    EXPECT_EQ(frame->findChild<QLabel*>("encodingPane")->text(), u("인코딩: CP949"));
    choose("numberColumn", 1);
    find<QCheckBox>("merge1")->click();
    choose("mergeColumn1", 2);
    choose("callbackBox", 1);
    typeInto(find<QPlainTextEdit>("smsBox"), u("<@1@>님 반갑습니다"));

    find<QPushButton>("preview")->click();
    EXPECT_EQ(shownBoxes(),
              std::vector<std::string>{" 발송데이터 확인! | 총 데이터 [3] 건\n중복제거 [1] 건\n"
                                       "수신거부 [0] 건\n번호형식오류 [0] 건\n전송할 데이터 [2] "
                                       "건\n예상금액 [40] 원\n잔액 [15,000] 원 | none | 확인"});
    EXPECT_EQ(MessageBoxNotifier::shown()[0].owner, frame.get());
    EXPECT_EQ(cell(1, 1), "010-1111-2222");
    EXPECT_EQ(cell(2, 3), u("이영희님 반갑습니다"));
    EXPECT_EQ(cell(2, 2), "0315556666");
    EXPECT_EQ(queued(view->form()), 2u);
    EXPECT_TRUE(find<QPushButton>("send")->isEnabled());

    // "전송하기": while the job runs nothing may rebuild the queue; at its end the
    // balance is read again and the server's count arrives on the login connection.
    MessageBoxNotifier::clearShown();
    std::vector<std::string> whileSending;
    std::vector<int> progress;
    QObject::connect(find<QProgressBar>("progress"), &QProgressBar::valueChanged,
                     [&](int v) { progress.push_back(v); });
    // One question with count, cost and balance before the first record goes.
    MessageBoxNotifier::setNextAnswer(QMessageBox::Yes);
    find<QPushButton>("send")->click();
    EXPECT_EQ(shownBoxes(), std::vector<std::string>{"알림 | 전송 [2] 건, 예상금액 [40] 원, 잔액 [15,000] "
                                                     "원\n전송하시겠습니까? | none | 예 아니요"});
    MessageBoxNotifier::clearShown();
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
    ASSERT_TRUE(runUntil([&] { return find<QLabel>("balance")->text() == "14,960"; }, 5s));
    ASSERT_TRUE(runUntil([&] { return !view->sendJob().running(); }, 5s));
    EXPECT_EQ(find<QProgressBar>("progress")->value(), 0);
    EXPECT_EQ(progress, (std::vector<int>{1, 2, 0}));
    EXPECT_TRUE(view->sendJob().batch().queue.empty());
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

TEST_F(SendPathTest, AnLmsIsWrittenInItsEditorBesideTheWindowPreviewedAndSent) {
    logIn();
    find<QAbstractButton>("kindLms")->click();
    CLMSEditDlg* editor = view->editorWindows().lmsWindow();
    ASSERT_TRUE(editor);
    // The editor keeps its top-left corner at the window's top-right corner, as
    // far as the screen allows, and follows the window when it moves.
    const ScreenRect area = availableArea(editor);
    auto expectedCorner = [&] {
        const QRect f = frame->frameGeometry();
        return QPoint(
            std::max(area.x, std::min(f.right() + 1, area.right() - editor->frameGeometry().width())),
            std::max(area.y, std::min(f.top(), area.bottom() - editor->frameGeometry().height())));
    };
    EXPECT_EQ(editor->frameGeometry().topLeft(), expectedCorner());
    frame->move(frame->x() - 40, frame->y() + 10);
    EXPECT_EQ(editor->frameGeometry().topLeft(), expectedCorner());

    editor->titleEdit()->setFocus();
    editor->activateWindow();
    QCoreApplication::processEvents();
    editor->titleEdit()->clear();
    typeText(editor->titleEdit(), u("봄 세일"));
    editor->bodyEdit()->setFocus();
    QCoreApplication::processEvents();
    ASSERT_EQ(editor->bodyEdit()->toPlainText(), "");
    typeInto(editor->bodyEdit(), u("<@1@>님, 봄맞이 세일\n안내드립니다"));

    view->loadTransferredEntries(ko("김철수\x04") + "01011112222\x02" + ko("이영희\x04") + "01033334444\x02");
    choose("numberColumn", 2);
    find<QCheckBox>("merge1")->click();
    choose("mergeColumn1", 1);
    choose("callbackBox", 0);
    MessageBoxNotifier::clearShown();
    find<QPushButton>("preview")->click();
    EXPECT_EQ(shownBoxes(),
              std::vector<std::string>{" 발송데이터 확인! | 총 데이터 [2] 건\n중복제거 [0] 건\n"
                                       "수신거부 [0] 건\n번호형식오류 [0] 건\n전송할 데이터 [2] "
                                       "건\n예상금액 [100] 원\n잔액 [15,000] 원 | none | 확인"});
    ASSERT_EQ(queued(view->form()), 2u);

    const auto records = sendTwo(1);
    ASSERT_EQ(records.size(), 2u);
    EXPECT_EQ(records[0].record.number, "01011112222");
    EXPECT_EQ(records[0].record.title, ko("봄 세일"));
    EXPECT_EQ(records[0].record.body, ko("김철수님, 봄맞이 세일\n안내드립니다"));
    EXPECT_EQ(records[1].record.body, ko("이영희님, 봄맞이 세일\n안내드립니다"));
    EXPECT_EQ(records[1].record.callback, "0212345678");

    // Closing the program's window takes the editor with it.
    MessageBoxNotifier::setNextAnswer(QMessageBox::Yes);
    frame->close();
    EXPECT_FALSE(view->editorWindows().lmsWindow());
}

// An MMS composed in its window: the preview reads the window's title, body and
// slots; the job uploads the pictures once and every record carries their names
// and sizes.
TEST_F(SendPathTest, AnMmsFromItsWindowIsSentWithItsPictures) {
    logIn();
    TempDir files;
    auto jpeg = [&](const char* name, int w, int h) {
        QImage image(w, h, QImage::Format_RGB32);
        image.fill(QColor(90, 160, 60));
        std::string path = files.file(name);
        EXPECT_TRUE(image.save(QString::fromStdString(path), "JPG"));
        return path;
    };
    const std::string first = jpeg("first.jpg", 320, 240), second = jpeg("second.jpg", 120, 90);
    find<QAbstractButton>("kindMms")->click();
    CMMSEditDlg* editor = view->editorWindows().mmsEditor();
    ASSERT_TRUE(editor);
    view->loadTransferredEntries("01011112222\x02"
                                 "01033334444\x02");
    choose("numberColumn", 1);
    choose("callbackBox", 0);

    // Nothing composed yet: the preview stops at the pictures.
    find<QPushButton>("preview")->click();
    EXPECT_EQ(shownBoxes().back(), "알림 |  [MMS] 사진을 선택해주세요. | error | 확인");

    editor->model().text().focused(EditorText::Box::Title);
    editor->model().text().edited(EditorText::Box::Title, ko("사진 두 장"));
    editor->model().text().focused(EditorText::Box::Body);
    editor->model().text().edited(EditorText::Box::Body, ko("봄 풍경입니다"));
    for (const auto& [k, path] : {std::pair{1, first}, std::pair{2, second}}) {
        FileDialog::setNextFileName(QString::fromStdString(path));
        editor->view()->runSlotAction(k, MmsPictures::Action::Open);
    }
    MessageBoxNotifier::clearShown();
    find<QPushButton>("preview")->click();
    ASSERT_EQ(MessageBoxNotifier::shown().size(), 1u);
    EXPECT_EQ(MessageBoxNotifier::shown()[0].caption, u(" 발송데이터 확인!"));
    ASSERT_EQ(queued(view->form()), 2u);

    const auto records = sendTwo(2);
    ASSERT_EQ(records.size(), 2u);
    // A record's fields end with the picture names and then their sizes.
    auto fields = [](std::string raw) {
        raw.pop_back(); // the closing 0x02
        std::vector<std::string> out(1);
        for (char c : raw) {
            if (c == '\x04')
                out.emplace_back();
            else
                out.back().push_back(c);
        }
        return std::vector<std::string>(out.end() - 9, out.end());
    };
    const std::string stamp = records[0].record.pictures[0].substr(7, 14);
    const std::array<std::string, 3> names{"user01_" + stamp + "_01.jpg", "user01_" + stamp + "_02.jpg", ""};
    for (const auto& r : records) {
        EXPECT_EQ(r.record.title, ko("사진 두 장"));
        EXPECT_EQ(r.record.body, ko("봄 풍경입니다"));
        EXPECT_EQ(fields(r.record.raw),
                  (std::vector<std::string>{names[0], names[1], "", "320", "240", "120", "90", "", ""}));
    }
    const auto uploaded = service.service().webServer().store().sendPictures("user01");
    ASSERT_EQ(uploaded.size(), 2u);
    EXPECT_EQ(uploaded[0].name, names[0]);
    EXPECT_EQ(uploaded[0].data, readFile(first));
    EXPECT_EQ(uploaded[1].name, names[1]);
    EXPECT_EQ(uploaded[1].data, readFile(second));
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

// A fault the service cannot answer for leaves the job pending in the window; once
// the service answers again, the next login in the same window offers exactly the
// rest, as a restart would.
TEST_F(SendPathTest, AJobCutShortIsOfferedAgainInTheSameWindowOnceTheServiceAnswers) {
    constexpr int kCount = 60000; // more than the socket buffers hold: the drop comes mid-job
    previewLongList(kCount);

    qbs::SendQuirks quirks = qbs::SendQuirks::slowReader();
    quirks.closeAfterRecords = 100;
    quirks.closeOnce = true;
    service.service().sendServer().setQuirks(quirks);
    // The status document does not answer in time: the service cannot be asked.
    service.service().webServer().faults().set("sendstatus.jsp", {qbs::WebFault::Slow, 8000});
    MessageBoxNotifier::clearShown();
    MessageBoxNotifier::setNextAnswer(QMessageBox::Yes);
    find<QPushButton>("send")->click();
    ASSERT_TRUE(runUntil([&] { return !view->sendJob().running() && shownBoxes().size() >= 2; }, 60s));
    const std::vector<std::string> boxes = shownBoxes();
    ASSERT_EQ(boxes.size(), 2u) << ::testing::PrintToString(boxes);
    EXPECT_TRUE(boxes[1].starts_with(
        "알림 | 네트워크 에러! 다시 시도해 주시기 바랍니다.\n전송이 중단되었습니다. [0]건 "
        "전송 확인, ["))
        << boxes[1];
    EXPECT_TRUE(boxes[1].ends_with(
        "서버가 응답하지 않아 받은 건수를 확인할 수 없습니다. 서버가 다시 응답하면 로그인하여 "
        "이어서 전송할 수 있습니다. | error | 확인"))
        << boxes[1];
    EXPECT_TRUE(view->sendJob().batch().queue.empty()) << "the journal holds the rest";

    // The service answers again; the user logs in again in the same window.
    service.service().webServer().faults().clear();
    auto& sends = service.service().sendServer().store();
    ASSERT_TRUE(runUntil([&] { return sends.jobs("user01").at(0).result != -1; }, 10s));
    const long long held = sends.jobs("user01").at(0).stored;
    frame->action(Command::Logout)->trigger();
    MessageBoxNotifier::clearShown();
    MessageBoxNotifier::setNextAnswer(QMessageBox::Yes);
    logIn();
    const std::string left = std::to_string(kCount - held);
    EXPECT_EQ(shownBoxes().at(0), "알림 | 이전에 중단된 전송이 있습니다. SMS 전체 [60000]건 중 [" +
                                      std::to_string(held) + "]건 전송 확인, [0]건 확인 불가, [" + left +
                                      "]건 미전송.\n남은 건을 지금 전송하시겠습니까? | none | 예 아니요");
    ASSERT_TRUE(
        runUntil([&] { return sends.jobs("user01").size() == 2 && !view->sendJob().running(); }, 60s));
    ASSERT_TRUE(runUntil([&] { return shownBoxes().size() == 2; }, 10s));
    EXPECT_EQ(shownBoxes().at(1), "알림 | 총 [" + left + "] 건 전송이 완료되었습니다. | none | 확인");
    expectEveryNumberOnceInOrder(kCount);
}

// "전송중지" asks once and stops the job as a fault would; "이어서 전송" then sends
// exactly the rest.
TEST_F(SendPathTest, AStoppedJobGoesOnWithExactlyTheRest) {
    constexpr int kCount = 60000;
    previewLongList(kCount);
    service.service().sendServer().setQuirks(qbs::SendQuirks::slowReader());
    auto& sends = service.service().sendServer().store();
    EXPECT_FALSE(find<QPushButton>("stopSend")->isEnabled());
    MessageBoxNotifier::setNextAnswer(QMessageBox::Yes);
    find<QPushButton>("send")->click();
    ASSERT_TRUE(
        runUntil([&] { return !sends.jobs("user01").empty() && sends.jobs("user01")[0].received > 0; }, 30s))
        << ::testing::PrintToString(shownBoxes());
    ASSERT_TRUE(find<QPushButton>("stopSend")->isEnabled());
    MessageBoxNotifier::clearShown();
    MessageBoxNotifier::setNextAnswer(QMessageBox::Yes);
    find<QPushButton>("stopSend")->click();
    ASSERT_TRUE(runUntil([&] { return !view->sendJob().running() && shownBoxes().size() >= 2; }, 30s));
    const std::vector<std::string> boxes = shownBoxes();
    EXPECT_EQ(boxes[0],
              "알림 | 전송을 중지하시겠습니까?\n서버가 받은 건까지 전송된 것으로 하고, 남은 건은 이어서 "
              "전송할 수 있습니다. | none | 예 아니요");
    EXPECT_TRUE(boxes[1].starts_with("알림 | 전송을 중지했습니다.\n전송이 중단되었습니다. [")) << boxes[1];
    EXPECT_TRUE(boxes[1].ends_with("이어서 전송을 누르면 남은 건을 전송합니다. | error | 확인")) << boxes[1];
    EXPECT_EQ(find<QPushButton>("send")->text(), u("이어서 전송"));
    EXPECT_FALSE(find<QPushButton>("stopSend")->isEnabled());

    service.service().sendServer().clearQuirks();
    ASSERT_TRUE(runUntil([&] { return sends.jobs("user01").at(0).result != -1; }, 10s));
    MessageBoxNotifier::clearShown();
    MessageBoxNotifier::setNextAnswer(QMessageBox::Yes);
    find<QPushButton>("send")->click();
    ASSERT_TRUE(
        runUntil([&] { return sends.jobs("user01").size() == 2 && !view->sendJob().running(); }, 60s));
    ASSERT_TRUE(runUntil([&] { return sends.jobs("user01")[1].result != -1; }, 10s));
    EXPECT_EQ(find<QPushButton>("send")->text(), u("전송하기"));
    expectEveryNumberOnceInOrder(kCount);
}

} // namespace qb::test
