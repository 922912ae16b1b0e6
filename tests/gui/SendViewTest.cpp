#include "SendViewFixture.h"

#include "common/Clock.h"
#include "common/QtText.h"
#include "common/ui/FileDialog.h"
#include "compose/AdvertisingSettings.h"
#include "compose/ui/CLMSEditDlg.h"
#include "compose/ui/CMMSEditDlg.h"
#include "import/FileBytes.h"
#include "send/ui/CGridCtrl.h"
#include "send/ui/RecipientItemModel.h"
#include "support/TempDir.h"
#include "support/TestClock.h"

#include <QBrush>
#include <QCheckBox>
#include <QClipboard>
#include <QComboBox>
#include <QDateEdit>
#include <QGuiApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QTest>
#include <gtest/gtest.h>

namespace qb::test {
namespace {

std::string summary(int total, int dup, int rej, int err, int queued) {
    return "총 데이터 [" + std::to_string(total) + "] 건\n중복제거 [" + std::to_string(dup) +
           "] 건\n수신거부 [" + std::to_string(rej) + "] 건\n번호형식오류 [" + std::to_string(err) +
           "] 건\n전송할 데이터 [" + std::to_string(queued) + "] 건";
}

Strings row(const SendViewFixture& f, int r) {
    Strings out;
    for (int c = 0; c < f.view->grid()->model()->columnCount(); ++c)
        out.push_back(f.cell(r, c));
    return out;
}

QColor cellColour(const SendViewFixture& f, int r, int c) {
    const auto* m = f.view->grid()->model();
    return m->data(m->index(r - 1, c), Qt::BackgroundRole).value<QBrush>().color();
}

} // namespace

// The path of an SMS job up to the preview: a comma-separated file, the number
// column marked, a merge field bound, a typed callback number and message.
TEST(SendView, TextFileToPreviewWithMergeAndRowDeletion) {
    SendViewFixture f;
    TempDir files;
    const std::string list = files.write(
        "list.txt",
        ko("01011112222,김철수\r\n01033334444,이영희\r\n0104444,짧은번호\r\n01011112222,중복\r\n"));

    f.choose("delimiterList", 1);
    EXPECT_EQ(f.find<QLineEdit>("delimiterField")->text(), ",");
    FileDialog::setNextFileNames({toQString(list)});
    f.click("textFile");
    EXPECT_EQ(f.texts(), Strings{});
    EXPECT_EQ(row(f, 0), (Strings{" 번 호 ", "수신번호", "2 열"})); // the column of numbers
    EXPECT_EQ(row(f, 2), (Strings{"2", "01033334444", "이영희"}));
    EXPECT_EQ(f.find<QLineEdit>("rangeFrom")->text(), "1");
    EXPECT_EQ(f.find<QLineEdit>("rangeTo")->text(), "4");
    EXPECT_EQ(f.find<QComboBox>("numberColumn")->count(), 11);
    EXPECT_FALSE(f.find<QComboBox>("mergeColumn1")->isEnabled());

    f.choose("numberColumn", 1);
    EXPECT_EQ(f.cell(0, 1), "수신번호");
    EXPECT_EQ(cellColour(f, 3, 1), QColor(234, 234, 243));
    EXPECT_EQ(cellColour(f, 3, 2), QColor(Qt::white));

    f.find<QCheckBox>("merge1")->click();
    EXPECT_TRUE(f.find<QComboBox>("mergeColumn1")->isEnabled());
    f.choose("mergeColumn1", 2);
    // No callback number is longer than 15 bytes: typing stops there.
    QLineEdit* callback = f.find<QComboBox>("callbackBox")->lineEdit();
    typeInto(callback, "02123456789012345678");
    EXPECT_EQ(callback->text(), "021234567890123");
    EXPECT_EQ(f.view->form().callbackNumber(), "021234567890123");
    callback->selectAll();
    typeInto(callback, "0212345678");
    f.view->form().setCallbackChoices({"02-1234-5678"}); // the typed number, as the service lists it
    typeInto(f.find<QPlainTextEdit>("smsBox"), u("<@1@>님\n안녕하세요"));
    EXPECT_EQ(f.state().smsText, ko("<@1@>") + ko("님\r\n안녕하세요"));
    EXPECT_EQ(f.find<QLabel>("smsCounter")->text(), "18 / 90 byte");

    // The summary is shown over the preview, not over the loaded list.
    std::string behindSummary;
    f.notifier.onShow = [&] { behindSummary = f.cell(0, 3) + "|" + f.cell(1, 3); };
    f.click("preview");
    ASSERT_EQ(f.notifier.shown().size(), 1u);
    EXPECT_EQ(f.notifier.shown()[0].utf8(), summary(4, 1, 0, 1, 2));
    EXPECT_EQ(f.notifier.shown()[0].caption, ko(" 발송데이터 확인!"));
    EXPECT_EQ(f.notifier.shown()[0].icon, MessageIcon::None);
    EXPECT_EQ(behindSummary, " 내 용 |김철수님  안녕하세요");
    EXPECT_EQ(row(f, 1), (Strings{"1", "010-1111-2222", "0212345678", "김철수님  안녕하세요", "즉시전송"}));
    EXPECT_EQ(row(f, 2), (Strings{"2", "010-3333-4444", "0212345678", "이영희님  안녕하세요", "즉시전송"}));
    EXPECT_EQ(cellColour(f, 1, 2), QColor(196, 255, 196));
    EXPECT_EQ(f.view->grid()->columnWidth(3), 400);
    EXPECT_EQ(f.find<QProgressBar>("progress")->value(), 0);
    EXPECT_EQ(f.batch().settings.callbackNumber, "0212345678");

    // The next preview is built again from the recipients behind the merged table.
    f.click("preview");
    EXPECT_EQ(f.notifier.shown().back().utf8(), summary(4, 1, 0, 1, 2));
    EXPECT_EQ(row(f, 2), (Strings{"2", "010-3333-4444", "0212345678", "이영희님  안녕하세요", "즉시전송"}));
    EXPECT_EQ(f.batch().queue.size(), 2u);

    // "제외된 행 저장" writes the rows the preview left out where the dialog says.
    FileDialog::setNextFileNames({toQString(files.file("out.csv"))});
    f.click("saveExcluded");
    std::string saved;
    ASSERT_TRUE(readFileBytes(files.file("out.csv"), saved));
    EXPECT_EQ(saved, "\xEF\xBB\xBF행,수신번호,사유\r\n3,0104444,번호형식오류\r\n4,01011112222,중복\r\n");

    // "행삭제" takes the selected block of rows, nothing without a selection.
    auto* grid = f.view->grid();
    f.click("deleteRows");
    EXPECT_EQ(grid->model()->rowCount(), 2);
    grid->selectionModel()->select(QItemSelection(grid->model()->index(0, 1), grid->model()->index(0, 3)),
                                   QItemSelectionModel::ClearAndSelect);
    f.click("deleteRows");
    EXPECT_EQ(grid->model()->rowCount(), 1);
    EXPECT_EQ(f.cell(1, 0), "2");

    // "전송초기화" asks before the table goes; "아니요" keeps it.
    f.click("resetForm");
    EXPECT_EQ(f.texts().back(), "작성한 내용이 지워집니다. 계속하시겠습니까?");
    EXPECT_EQ(grid->model()->rowCount(), 1);
    EXPECT_EQ(f.cell(1, 0), "2");
    f.notifier.answerNext(true);
    f.click("resetForm");
    EXPECT_EQ(grid->model()->rowCount(), 1);
    EXPECT_EQ(f.cell(0, 0), " 번호 ");
    EXPECT_EQ(f.find<QPlainTextEdit>("smsBox")->toPlainText(), "");
    EXPECT_FALSE(f.find<QCheckBox>("merge1")->isChecked());
    EXPECT_EQ(f.find<QComboBox>("numberColumn")->count(), 1);
    EXPECT_EQ(f.find<QComboBox>("callbackBox")->currentText(), "0212345678"); // the box keeps its number
    EXPECT_TRUE(f.batch().queue.empty());
    EXPECT_FALSE(f.find<QPushButton>("saveExcluded")->isEnabled());
}

// A selection belongs to the rows it was made on: a reload of the same size or a
// preview leaves nothing selected, so "행삭제" never takes rows the user did not pick.
TEST(SendView, NoSelectionOutlivesItsRows) {
    SendViewFixture f;
    TempDir files;
    const std::string list =
        files.write("list.txt", "01011112222\n01033334444\n01055556666\n01077778888\n01099990000\n");
    auto* grid = f.view->grid();
    const auto selectRows2To3 = [&] {
        grid->selectionModel()->select(QItemSelection(grid->model()->index(1, 0), grid->model()->index(2, 1)),
                                       QItemSelectionModel::ClearAndSelect);
        ASSERT_EQ(grid->selectedRange().minRow, 2);
    };
    f.choose("delimiterList", 0);
    FileDialog::setNextFileNames({toQString(list)});
    f.click("textFile");
    selectRows2To3();
    FileDialog::setNextFileNames({toQString(list)});
    f.click("textFile");
    EXPECT_FALSE(grid->selectedRange().valid());
    f.click("deleteRows");
    EXPECT_EQ(grid->model()->rowCount(), 5);

    f.choose("numberColumn", 1);
    typeInto(f.find<QComboBox>("callbackBox")->lineEdit(), "0212345678");
    typeInto(f.find<QPlainTextEdit>("smsBox"), "hi");
    selectRows2To3();
    f.click("preview");
    EXPECT_FALSE(grid->selectedRange().valid());
    f.click("deleteRows");
    EXPECT_EQ(grid->model()->rowCount(), 5);
    EXPECT_EQ(f.batch().queue.size(), 5u);
}

TEST(SendView, SmsBoxCountsCutsAtNinetyBytesAndPastesWithCtrlV) {
    SendViewFixture f;
    auto* box = f.find<QPlainTextEdit>("smsBox");
    auto* counter = f.find<QLabel>("smsCounter");
    EXPECT_EQ(counter->text(), "0 / 90 byte");

    typeInto(box, QString(45, QChar(0xAC00))); // 가 × 45: 90 bytes
    EXPECT_EQ(counter->text(), "90 / 90 byte");
    typeInto(box, "a");
    EXPECT_EQ(box->toPlainText(), QString(45, QChar(0xAC00)));
    EXPECT_EQ(counter->text(), "90 / 90 byte");
    EXPECT_EQ(f.state().smsText.size(), 90u);

    box->clear();
    EXPECT_EQ(counter->text(), "0 / 90 byte");
    typeInto(box, "ab\ncd");
    EXPECT_EQ(f.state().smsText, "ab\r\ncd");
    EXPECT_EQ(counter->text(), "5 / 90 byte");

    box->clear();
    QGuiApplication::clipboard()->setText(u("붙여\n넣기"));
    box->setFocus();
    QTest::keyClick(box, Qt::Key_V, Qt::ControlModifier);
    EXPECT_EQ(f.state().smsText, ko("붙여\r\n넣기"));
    EXPECT_EQ(counter->text(), "9 / 90 byte");
    box->selectAll();
    QGuiApplication::clipboard()->clear();
    QTest::keyClick(box, Qt::Key_C, Qt::ControlModifier);
    EXPECT_EQ(QGuiApplication::clipboard()->text(), u("붙여\n넣기"));

    // What cannot be sent as CP949 is shown as what will be sent.
    box->clear();
    typeInto(box, u("a😀"));
    EXPECT_EQ(f.state().smsText, "a?");
    EXPECT_EQ(box->toPlainText(), "a?");
}

TEST(SendView, KindSwitchOpensTheEditorResetsAndComesBackToSms) {
    SendViewFixture f;
    f.view->show();
    f.view->loadTransferredEntries(ko("홍길동\x04") + "01011112222\x02");
    typeInto(f.find<QPlainTextEdit>("smsBox"), "hello");
    ASSERT_EQ(f.view->grid()->model()->rowCount(), 1);
    EXPECT_EQ(f.cell(1, 1), "홍길동");

    // Asked first: "아니요" keeps the table, the text and SMS checked.
    f.find<QAbstractButton>("kindLms")->click();
    EXPECT_EQ(f.texts(), Strings{"작성한 내용이 지워집니다. 계속하시겠습니까?"});
    EXPECT_TRUE(f.find<QAbstractButton>("kindSms")->isChecked());
    EXPECT_EQ(f.cell(1, 1), "홍길동");
    EXPECT_FALSE(f.view->editorWindows().lmsWindow());
    f.notifier.clear();
    f.notifier.answerNext(true);
    f.find<QAbstractButton>("kindLms")->click();
    f.notifier.clear();
    QWidget* lms = f.view->editorWindows().lmsWindow();
    ASSERT_TRUE(lms);
    EXPECT_TRUE(lms->isVisible());
    EXPECT_FALSE(f.find<QPlainTextEdit>("smsBox")->isEnabled());
    EXPECT_EQ(f.find<QPlainTextEdit>("smsBox")->toPlainText(), "");
    EXPECT_EQ(f.cell(1, 0), " 1"); // the table is reset
    EXPECT_EQ(f.state().kind, MessageKind::Lms);

    // The editor's body still shows its placeholder: there is nothing to send.
    f.view->loadTransferredEntries("01011112222\x02");
    f.choose("numberColumn", 1);
    typeInto(f.find<QComboBox>("callbackBox")->lineEdit(), "0212345678");
    f.click("preview");
    EXPECT_EQ(f.texts(), Strings{" [LMS] 전송메세지를 입력해주세요."});

    f.notifier.answerNext(true); // the table goes
    f.find<QAbstractButton>("kindMms")->click();
    EXPECT_FALSE(f.view->editorWindows().lmsWindow());
    ASSERT_TRUE(f.view->editorWindows().mmsEditor());

    // The user closes the window: back to SMS, box enabled.
    f.view->editorWindows().mmsEditor()->close();
    EXPECT_EQ(f.state().kind, MessageKind::Sms);
    EXPECT_TRUE(f.find<QAbstractButton>("kindSms")->isChecked());
    EXPECT_TRUE(f.find<QPlainTextEdit>("smsBox")->isEnabled());

    // Choosing the kind already chosen resets the form as well.
    f.view->loadTransferredEntries("01011112222\x02");
    f.notifier.answerNext(true);
    f.find<QAbstractButton>("kindSms")->click();
    EXPECT_EQ(f.cell(1, 0), " 1");

    // Closed while a job runs: the reset would empty the queue the job reads, so
    // the form goes back to SMS when the job is over.
    f.find<QAbstractButton>("kindLms")->click();
    f.view->session().jobHost().sendRunningChanged(true);
    EXPECT_FALSE(f.find<QAbstractButton>("kindSms")->isEnabled());
    EXPECT_FALSE(f.find<QPushButton>("resetForm")->isEnabled());
    f.view->editorWindows().lmsWindow()->close();
    EXPECT_EQ(f.state().kind, MessageKind::Lms);
    f.view->session().jobHost().sendRunningChanged(false);
    EXPECT_EQ(f.state().kind, MessageKind::Sms);
    EXPECT_TRUE(f.find<QAbstractButton>("kindSms")->isEnabled());

    f.find<QAbstractButton>("kindLms")->click();
    f.view->closeEditorWindows();
    EXPECT_FALSE(f.view->editorWindows().lmsWindow());
    EXPECT_EQ(f.state().kind, MessageKind::Lms); // closing for the program's end changes nothing else
}

TEST(SendView, ReservationAndSplitControlsFollowTheirSwitches) {
    ClockAt at{fromKorean({2024, 3, 5, 14, 37, 0})};
    SendViewFixture f;
    auto* date = f.find<QDateEdit>("reservationDate");
    auto* hour = f.find<QComboBox>("reservationHour");
    auto* minute = f.find<QComboBox>("reservationMinute");
    EXPECT_FALSE(date->isEnabled());
    EXPECT_FALSE(hour->isEnabled());
    EXPECT_EQ(hour->count(), 24);
    EXPECT_EQ(minute->count(), 12);
    EXPECT_EQ(date->date(), QDate(2024, 3, 5));

    f.find<QAbstractButton>("reserved")->click();
    EXPECT_TRUE(date->isEnabled());
    EXPECT_EQ(hour->currentText(), "14");
    EXPECT_EQ(minute->currentText(), "35");
    date->setDate(QDate(2024, 12, 31));
    EXPECT_EQ(f.state().reservationDate.month, 12);

    auto* count = f.find<QLineEdit>("splitCount");
    auto* minutes = f.find<QComboBox>("splitMinutes");
    EXPECT_FALSE(count->isEnabled());
    f.find<QCheckBox>("splitOn")->click();
    EXPECT_TRUE(count->isEnabled());
    EXPECT_TRUE(minutes->isEnabled());
    EXPECT_EQ(minutes->itemText(14), "60");
    typeInto(count, "100");
    EXPECT_EQ(f.state().splitCount, "100");

    f.find<QAbstractButton>("immediate")->click();
    EXPECT_FALSE(hour->isEnabled());
    f.find<QCheckBox>("dedup")->click();
    EXPECT_FALSE(f.state().dedupOn);

    f.click("resetForm");
    EXPECT_EQ(date->date(), QDate(2024, 3, 5));
    EXPECT_EQ(hour->currentIndex(), -1);
    EXPECT_FALSE(f.find<QCheckBox>("splitOn")->isChecked());
    EXPECT_FALSE(count->isEnabled());
    EXPECT_EQ(count->text(), "");
    EXPECT_TRUE(f.find<QCheckBox>("dedup")->isChecked());
    EXPECT_TRUE(f.find<QCheckBox>("selfReject")->isChecked());
}

TEST(SendView, BalanceLineAndCallbackChoicesComeFromTheService) {
    SendViewFixture f;
    qbs::Balance balance;
    balance.balance = "12,500";
    balance.counts = {"625", "250", "62"};
    f.store().setBalance("tester", balance);
    f.store().addCallback("tester", "0211112222", "2024-01-01");
    f.store().addCallback("tester", "0233334444", "2024-02-02");

    f.click("refreshBalance");
    EXPECT_EQ(f.find<QLabel>("balance")->text(), "12,500");
    EXPECT_EQ(f.find<QLabel>("prices")->text(), "[SMS] 20 / [LMS] 50 / [MMS] 200 ");
    EXPECT_EQ(f.find<QLabel>("counts")->text(), "[SMS] 625 / [LMS] 250 / [MMS] 62 ");

    f.view->reloadCallbackNumbers();
    auto* box = f.find<QComboBox>("callbackBox");
    ASSERT_EQ(box->count(), 2);
    EXPECT_EQ(box->itemText(0), "0211112222");
    EXPECT_EQ(box->itemText(1), "0233334444");
    EXPECT_EQ(box->currentText(), "0211112222"); // never empty while numbers exist
    f.choose("callbackBox", 1);
    EXPECT_EQ(f.view->form().callbackNumber(), "0233334444");
    EXPECT_EQ(f.texts(), Strings{});

    f.view->clearBalanceAndCallbacks();
    EXPECT_EQ(f.find<QLabel>("balance")->text(), "");
    EXPECT_EQ(f.find<QLabel>("prices")->text(), "");
    EXPECT_EQ(f.find<QLabel>("counts")->text(), "");
    EXPECT_EQ(box->count(), 0);
    EXPECT_EQ(box->currentText(), "");
}

TEST(SendView, SendingWithoutAPreviewIsRefused) {
    SendViewFixture f;
    f.click("send");
    EXPECT_EQ(f.texts(), Strings{"발송할 데이터가 없습니다. 발송데이터 확인을 눌러주세요!"});
    EXPECT_EQ(f.notifier.shown()[0].icon, MessageIcon::Error);
    EXPECT_FALSE(f.view->sendJob().running());
}

TEST(SendView, WebButtonsStopAtTheLoginGate) {
    SendViewFixture f(false);
    f.view->refreshBalance();
    f.view->reloadCallbackNumbers();
    for (const char* b : {"refreshBalance", "manageCallbacks", "loadMessage", "saveMessage"})
        f.click(b);
    EXPECT_EQ(f.texts(), Strings(6, "로그인이 되어 있지 않습니다."));
    for (const Shown& s : f.notifier.shown())
        EXPECT_EQ(s.icon, MessageIcon::Error);
}

TEST(SendView, SavingTheSmsPostsItEscapedAndKeepsTheBox) {
    SendViewFixture f;
    f.click("saveMessage");
    typeInto(f.find<QPlainTextEdit>("smsBox"), u("a'b\n\\c"));
    f.click("saveMessage");
    EXPECT_EQ(f.texts(), (Strings{"저장할 내용이 없습니다.", "메세지 저장완료!"}));
    const auto stored = f.store().messages("tester", qbs::MessageStore::Sms);
    ASSERT_EQ(stored.size(), 1u);
    EXPECT_EQ(stored[0].msg, "a\\'b\n\\\\c");
    EXPECT_EQ(f.find<QPlainTextEdit>("smsBox")->toPlainText(), u("a'b\n\\c"));
}

TEST(SendView, LongWorkMovesTheProgressBarAndEndsAtZero) {
    SendViewFixture f;
    TempDir files;
    std::string text;
    for (int i = 0; i < 20000; ++i)
        text += "0101" + std::to_string(1000000 + i) + "\n";
    const std::string path = files.write("many.txt", text);
    std::vector<int> values;
    auto* bar = f.find<QProgressBar>("progress");
    QObject::connect(bar, &QProgressBar::valueChanged, [&](int v) { values.push_back(v); });
    FileDialog::setNextFileNames({toQString(path)});
    f.click("textFile");
    ASSERT_FALSE(values.empty());
    EXPECT_GT(*std::max_element(values.begin(), values.end()), 0);
    EXPECT_EQ(bar->value(), 0);
    EXPECT_EQ(f.view->grid()->model()->rowCount(), 20000);
    EXPECT_EQ(f.cell(20000, 1), "01011019999");
}

// Past 90 bytes the box offers LMS: "예" carries the whole text into the LMS
// editor and keeps the recipients.
TEST(SendView, TheSmsBoxOffersLmsAndCarriesItsTextThere) {
    SendViewFixture f;
    f.view->show();
    f.view->loadTransferredEntries("01011112222\x02");
    auto* box = f.find<QPlainTextEdit>("smsBox");
    typeInto(box, QString(90, 'a'));
    EXPECT_EQ(f.texts(), Strings{});
    f.notifier.answerNext(true);
    typeInto(box, "b");
    EXPECT_EQ(f.texts(), Strings{"[SMS] 90바이트를 넘었습니다. LMS로 전환하시겠습니까?"});
    CLMSEditDlg* lms = f.view->editorWindows().lmsWindow();
    ASSERT_TRUE(lms);
    EXPECT_EQ(lms->bodyEdit()->toPlainText(), QString(90, 'a') + "b");
    EXPECT_TRUE(lms->model().text().bodyTouched());
    EXPECT_TRUE(f.find<QAbstractButton>("kindLms")->isChecked());
    EXPECT_EQ(box->toPlainText(), "");
    EXPECT_FALSE(box->isEnabled());
    EXPECT_EQ(f.view->grid()->model()->rowCount(), 1); // the recipients stay
}

// Ctrl-click cannot make a selection with gaps: "행삭제" takes what is selected.
TEST(SendView, TheGridSelectsOneBlockOfRows) {
    SendViewFixture f;
    f.view->show();
    f.view->loadTransferredEntries("01011111111\x02"
                                   "01022222222\x02"
                                   "01033333333\x02"
                                   "01044444444\x02");
    auto* grid = f.view->grid();
    const auto rowCenter = [&](int row) { return grid->visualRect(grid->model()->index(row, 1)).center(); };
    QTest::mouseClick(grid->viewport(), Qt::LeftButton, {}, rowCenter(0));
    QTest::mouseClick(grid->viewport(), Qt::LeftButton, Qt::ControlModifier, rowCenter(3));
    f.click("deleteRows");
    EXPECT_EQ(grid->model()->rowCount(), 3);
    EXPECT_EQ(f.cell(1, 1), "01011111111");
    EXPECT_EQ(f.cell(3, 1), "01033333333");
}

// "광고 문구 넣기" in a well-filled SMS box: the box offers LMS and the editor
// takes the whole text; the switch is kept in Env.cfg.
TEST(SendView, AdvertisingTextGoesInAndAFullSmsBecomesLms) {
    SendViewFixture f;
    f.view->show();
    f.state().adName = ko("홍길동상회");
    f.state().adOptOut = "080-123-4567";
    EXPECT_FALSE(f.find<QPushButton>("adInsert")->isEnabled());
    f.find<QCheckBox>("adSwitch")->click();
    EXPECT_TRUE(AdvertisingSettings::read(f.service.workdir() + "/Env.cfg").on);
    typeInto(f.find<QPlainTextEdit>("smsBox"), QString(60, 'a'));
    f.notifier.answerNext(true);
    f.click("adInsert");
    EXPECT_EQ(f.texts(), Strings{"[SMS] 90바이트를 넘었습니다. LMS로 전환하시겠습니까?"});
    CLMSEditDlg* lms = f.view->editorWindows().lmsWindow();
    ASSERT_TRUE(lms);
    EXPECT_EQ(lms->bodyEdit()->toPlainText(), QString::fromUtf8("(광고)홍길동상회\n") + QString(60, 'a') +
                                                  QString::fromUtf8("\n무료수신거부 080-123-4567"));
    EXPECT_EQ(lms->counter()->text(), "103 / 2000 byte");
}

} // namespace qb::test
