#include "SendViewFixture.h"

#include "common/ProfileFile.h"
#include "common/ui/FileDialog.h"
#include "common/ui/SheetChoiceDialog.h"
#include "send/RejectList.h"
#include "send/ui/CGridCtrl.h"
#include "send/ui/DirectEntryDialog.h"
#include "send/ui/FormWidgetDialogs.h"
#include "send/ui/RejectListDialog.h"
#include "support/TempDir.h"

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTableWidget>
#include <QTest>
#include <gtest/gtest.h>

namespace qb::test {
namespace {

QStringList rowTexts(const QTableWidget& list, int row) {
    QStringList out;
    for (int c = 0; c < list.columnCount(); ++c)
        out << list.item(row, c)->text();
    return out;
}

} // namespace

TEST(DirectEntryDialog, EnterMakesLinesEscapeIsIgnoredAndInputLoadsTheNumbers) {
    SendViewFixture f;
    f.view->show();
    f.transferText = "stale";
    bool stillOpenAfterEscape = false;
    QStringList hints;
    whenModal<DirectEntryDialog>([&](DirectEntryDialog& d) {
        EXPECT_EQ(d.size(), QSize(310, 270));
        EXPECT_EQ(d.windowTitle(), u("직접입력"));
        for (const QLabel* l : d.findChildren<QLabel*>())
            hints << l->text();
        auto* edit = d.edit();
        typeInto(edit, "01011112222\n\n01033334444");
        QTest::keyClick(edit, Qt::Key_Enter);
        QTest::keyClick(&d, Qt::Key_Escape);
        stillOpenAfterEscape = d.isVisible();
        typeInto(edit, "0105555");
        d.findChild<QPushButton*>("ok")->click();
    });
    f.click("directEntry");
    EXPECT_TRUE(stillOpenAfterEscape);
    EXPECT_EQ(hints.size(), 2);
    EXPECT_EQ(f.cell(0, 1), "수신번호");
    EXPECT_EQ(f.cell(1, 1), "01011112222");
    EXPECT_EQ(f.cell(2, 1), "01033334444");
    EXPECT_EQ(f.cell(3, 1), "0105555");
    EXPECT_EQ(f.view->grid()->model()->rowCount(), 3);
    EXPECT_EQ(f.find<QLineEdit>("rangeTo")->text(), "3");
    EXPECT_EQ(f.transferText, ""); // used up
    EXPECT_EQ(f.texts(), Strings{});

    // "취소" changes nothing; "입력" with nothing typed says so and keeps the table.
    whenModal<DirectEntryDialog>([&](DirectEntryDialog& d) {
        typeInto(d.edit(), "01099999999");
        d.findChild<QPushButton*>("cancel")->click();
    });
    f.click("directEntry");
    whenModal<DirectEntryDialog>([&](DirectEntryDialog& d) { d.findChild<QPushButton*>("ok")->click(); });
    f.click("directEntry");
    EXPECT_EQ(f.texts(), Strings{"전화번호 데이터가 없습니다."});
    EXPECT_EQ(f.view->grid()->model()->rowCount(), 3);
}

TEST(DirectEntryDialog, HoldsAtMostOneAndAHalfMillionCharacters) {
    DirectEntryDialog d;
    const QString line = QString("01012345678\n");
    QString big;
    while (big.size() < DirectEntryDialog::kMaxCharacters + 20)
        big += line;
    d.edit()->setPlainText(big);
    EXPECT_EQ(d.edit()->toPlainText().size(), DirectEntryDialog::kMaxCharacters);
    EXPECT_EQ(d.edit()->toPlainText(), big.left(DirectEntryDialog::kMaxCharacters));
    d.edit()->setPlainText("0101\n0102");
    EXPECT_EQ(d.text(), "0101\r\n0102");
}

TEST(SheetChoiceDialog, ADoubleClickChoosesAndClosingCancels) {
    SendViewFixture f;
    f.view->show();
    QStringList listed;
    whenModal<SheetChoiceDialog>([&](SheetChoiceDialog& d) {
        EXPECT_EQ(d.windowTitle(), u("사용하실 엑셀시트를 선택하세요"));
        for (int i = 0; i < d.list()->count(); ++i)
            listed << d.list()->item(i)->text();
        QListWidgetItem* first = d.list()->item(0);
        const QRect r = d.list()->visualItemRect(first);
        // A double-click as the window system delivers it: a click, then the second press.
        QTest::mouseClick(d.list()->viewport(), Qt::LeftButton, {}, r.center());
        QTest::mouseDClick(d.list()->viewport(), Qt::LeftButton, {}, r.center());
    });
    FileDialog::setNextFileName(QString::fromStdString(dataPath("excel/recipients.xlsx")));
    // Its first row is taken as the header row: the captions name the columns, the
    // number column is found, and the message is the next step.
    f.notifier.answerNext(true);
    f.click("excelFile");
    EXPECT_EQ(listed, (QStringList{u("수신자"), "Sheet2", u("빈 시트")}));
    EXPECT_EQ(f.texts(), Strings{"첫 줄을 제목 줄로 쓸까요?"});
    f.notifier.clear();
    EXPECT_EQ(f.find<QLineEdit>("sheetName")->text(), u("수신자"));
    EXPECT_EQ(f.find<QComboBox>("sheetChooser")->currentText(), u("수신자"));
    EXPECT_EQ(f.find<QComboBox>("sheetChooser")->count(), 4);
    EXPECT_EQ(f.cell(0, 1), "1 열 (이름)");
    EXPECT_EQ(f.find<QComboBox>("numberColumn")->currentText(), u("2 열 (전화번호)"));
    EXPECT_EQ(f.cell(1, 2), "01012345678");
    EXPECT_EQ(f.find<QLineEdit>("rangeTo")->text(), "4");
    EXPECT_EQ(f.view->focusWidget(), f.find<QWidget>("smsBox"));

    // Another sheet from the chooser, then "시트선택" empties the table.
    f.choose("sheetChooser", 2);
    EXPECT_EQ(f.find<QLineEdit>("sheetName")->text(), "Sheet2");
    EXPECT_EQ(f.view->grid()->model()->rowCount(), 1);
    f.choose("sheetChooser", 0);
    EXPECT_EQ(f.cell(1, 0), " 1");
    EXPECT_EQ(f.find<QLineEdit>("sheetName")->text(), "");

    // Closing the sheet dialog: "취소 되었습니다.", the table as it was.
    f.view->loadTransferredEntries("01011112222\x02");
    whenModal<SheetChoiceDialog>([](SheetChoiceDialog& d) { d.close(); });
    FileDialog::setNextFileName(QString::fromStdString(dataPath("excel/recipients.xls")));
    f.click("excelFile");
    EXPECT_EQ(f.texts(), Strings{"취소 되었습니다."});
    EXPECT_EQ(f.notifier.shown().back().icon, MessageIcon::None);
    EXPECT_EQ(f.cell(1, 1), "01011112222");
    EXPECT_EQ(f.find<QComboBox>("sheetChooser")->count(), 4);
}

TEST(FormFileDialogs, FiltersReadAsWrittenAndPathsReachTheCoreAsFileNames) {
    EXPECT_EQ(fileFilter("엑셀화일 (*.xls, *.xlsx)", "*.xls;*.xlsx"),
              u("엑셀화일 (*.xls, *.xlsx) (*.xls *.xlsx)"));
    EXPECT_EQ(fileFilter("텍스트화일 (*.txt)", "*.txt"), u("텍스트화일 (*.txt) (*.txt)"));

    SendViewFixture f;
    TempDir files;
    const std::string hangul = files.write("수신자 목록.txt", "01011112222\n01033334444\n");
    FileDialog::setNextFileName(QString::fromUtf8(hangul.c_str()));
    f.click("textFile");
    EXPECT_EQ(f.texts(), Strings{});
    EXPECT_EQ(f.cell(0, 1), "수신번호");
    EXPECT_EQ(f.cell(2, 1), "01033334444");
    EXPECT_EQ(f.state().textFileName, "수신자 목록.txt"); // offered by the next dialog

    // Cancelled dialogs change nothing.
    FileDialog::setNextFileNames({});
    f.click("textFile");
    FileDialog::setNextFileName("");
    f.click("excelFile");
    EXPECT_EQ(f.texts(), Strings{});
    EXPECT_EQ(f.cell(2, 1), "01033334444");
}

TEST(RejectListDialog, AddTickDeleteAndApplyWriteTheIniAndRetitle) {
    SendViewFixture f;
    f.view->show();
    TempDir files;
    const std::string a = files.write("거부A.txt", "01011112222 01033334444\n01055556666");
    const std::string b = files.write("b.dat", "01077778888");
    const std::string c = files.write("c.txt", "0109");
    ProfileFile(f.service.dir().file("msg/RAZIDODU.ini")).write("Reject", rejectKey(1), "FALSE,c.txt," + c);

    QStringList before, after, headers;
    bool closed = false;
    whenModal<RejectListDialog>([&](RejectListDialog& d) {
        EXPECT_EQ(d.windowTitle(), u("수신거부 목록"));
        QTableWidget* list = d.list();
        for (int col = 0; col < 3; ++col)
            headers << list->horizontalHeaderItem(col)->text();
        EXPECT_EQ(list->columnWidth(1), 150);
        before = rowTexts(*list, 0);
        EXPECT_EQ(list->item(0, 0)->checkState(), Qt::Unchecked);

        FileDialog::setNextFileName(QString::fromUtf8(a.c_str()));
        d.findChild<QPushButton*>("add")->click();
        FileDialog::setNextFileName(QString::fromUtf8(a.c_str()));
        d.findChild<QPushButton*>("add")->click(); // already listed
        FileDialog::setNextFileName(QString::fromUtf8(b.c_str()));
        d.findChild<QPushButton*>("add")->click();
        FileDialog::setNextFileName("");
        d.findChild<QPushButton*>("add")->click(); // cancelled
        list->clearSelection();
        d.findChild<QPushButton*>("remove")->click(); // nothing selected

        // b is on top; its tick goes off and the column follows.
        ASSERT_EQ(list->rowCount(), 3);
        list->item(0, 0)->setCheckState(Qt::Unchecked);
        EXPECT_EQ(list->item(0, 0)->text(), "");
        list->item(2, 0)->setCheckState(Qt::Checked); // c back on ...
        EXPECT_EQ(list->item(2, 0)->text(), u("적용"));
        list->selectRow(2); // ... and then deleted
        d.findChild<QPushButton*>("remove")->click();
        for (int r = 0; r < list->rowCount(); ++r)
            after << rowTexts(*list, r).join("|");
        d.findChild<QPushButton*>("apply")->click();
        closed = !d.isVisible();
    });
    f.click("rejectLists");

    EXPECT_EQ(headers, (QStringList{u("적용"), u("명칭"), u("수신거부 화일명")}));
    EXPECT_EQ(before, (QStringList{"", "c.txt", QString::fromUtf8(c.c_str())}));
    EXPECT_EQ(after, (QStringList{"|b.dat|" + QString::fromUtf8(b.c_str()),
                                  u("적용|거부A.txt|") + QString::fromUtf8(a.c_str())}));
    EXPECT_TRUE(closed);
    EXPECT_EQ(f.texts(), (Strings{"중복화일이 존재합니다!", "삭제할 항목이 없습니다.",
                                  "[거부A.txt] - [3] 개\n\n--------------------\n[Total] - [3] 개"}));
    EXPECT_EQ(cp949::toUtf8(f.notifier.shown().back().caption), "수신거부 등록");
    EXPECT_EQ(f.rejectTotals, std::vector<long long>{3});
    const ProfileFile ini(f.service.dir().file("msg/RAZIDODU.ini"));
    EXPECT_EQ(ini.read("Reject", rejectKey(1)), "FALSE,b.dat," + b);
    EXPECT_EQ(ini.read("Reject", rejectKey(2)), "TRUE,거부A.txt," + a);
    EXPECT_EQ(ini.read("Reject", rejectKey(3)), "NONE,");

    // "닫기" loses what was not applied; logged out, "적용" does not retitle.
    whenModal<RejectListDialog>([&](RejectListDialog& d) {
        d.list()->selectRow(0);
        d.findChild<QPushButton*>("remove")->click();
        d.findChild<QPushButton*>("close")->click();
    });
    f.click("rejectLists");
    EXPECT_EQ(ini.read("Reject", rejectKey(1)), "FALSE,b.dat," + b);
    f.login.loggedIn = false;
    whenModal<RejectListDialog>([&](RejectListDialog& d) { d.findChild<QPushButton*>("apply")->click(); });
    f.click("rejectLists");
    EXPECT_EQ(f.rejectTotals, std::vector<long long>{3});
}

} // namespace qb::test
