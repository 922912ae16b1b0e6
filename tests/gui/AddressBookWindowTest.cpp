// The address book window in the main window, against qb-service on loopback:
// opened from its command, driven through its tree, list, menus and dialogs,
// and handing its entries to the send form.
#include "AccessibleNames.h"
#include "GuiTestSupport.h"

#include "common/Cp949.h"
#include "common/ui/FileDialog.h"
#include "common/ui/SheetChoiceDialog.h"
#include "frame/ui/CMainFrame.h"
#include "send/ui/CGridCtrl.h"
#include "send/ui/CQuillbank2View.h"
#include "support/RunUntil.h"
#include "support/ServiceHarness.h"
#include "support/TempDir.h"
#include "web/ui/AddressBookDialogs.h"
#include "web/ui/AddressBookWindow.h"
#include "web/ui/AddressItemModel.h"
#include "web/ui/AddressRegisterDialog.h"

#include <QBrush>
#include <QComboBox>
#include <QHeaderView>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QPushButton>
#include <QTableView>
#include <QTest>
#include <QTreeWidget>
#include <gtest/gtest.h>

namespace qb::test {
namespace {

using Strings = std::vector<std::string>;

class AddressBookWindowTest : public ::testing::Test {
protected:
    void SetUp() override {
        service.addAccount("user01", "pass01", 7, "TAG");
        service.dir().write("update.ini", "[PROGRAM]\r\nVERSION=2.1.5\r\n");
        store().addGroup("user01", ko("친구"));
        store().addGroup("user01", ko("가족"));
        for (const auto& [group, hpno, name] :
             std::vector<std::array<const char*, 3>>{{"친구", "01011110001", "김민수"},
                                                     {"친구", "01011110002", "이영희"},
                                                     {"친구", "01011110003", "박철수"},
                                                     {"가족", "01022220001", "엄마"}})
            store().addEntry("user01", {0, ko(group), hpno, ko(name), ko("메모"),
                                        "2024-01-0" + std::string(hpno).substr(10)});
        MessageBoxNotifier::clearShown();
        frame = std::make_unique<CMainFrame>(AppPaths(service.workdir()), service.config());
        frame->show();
    }
    void TearDown() override {
        // Every window a scenario opened has a name for each of its controls.
        EXPECT_EQ(lines(audit.problems()), "");
        frame.reset();
        MessageBoxNotifier::clearShown();
    }

    qbs::WebStore& store() { return service.service().webServer().store(); }
    void logIn() {
        startLogin(*frame);
        ASSERT_TRUE(runUntil([&] { return frame->windowTitle().contains(u("수신거부 데이터")); }));
        MessageBoxNotifier::clearShown();
    }
    // Runs `act` in the window opened by the command; the window is closed with
    // "닫기" afterwards unless `act` closed it.
    void inWindow(const std::function<void(AddressBookWindow&)>& act) {
        bool ran = false;
        whenModal<AddressBookWindow>([&](AddressBookWindow& w) {
            ran = true;
            act(w);
            if (w.isVisible())
                w.closeButton()->click();
        });
        frame->action(Command::AddressBook)->trigger();
        ASSERT_TRUE(ran);
    }
    static Strings rows(AddressBookWindow& w) {
        Strings out;
        const QAbstractItemModel* m = w.list()->model();
        for (int r = 0; r < m->rowCount(); ++r) {
            std::string row = m->index(r, 0).data(Qt::CheckStateRole).toInt() == Qt::Checked ? "[x]" : "[ ]";
            for (int c = 0; c < 3; ++c)
                row += " " + m->index(r, c).data().toString().toStdString();
            out.push_back(row);
        }
        return out;
    }
    static Strings tree(AddressBookWindow& w) {
        Strings out;
        for (int i = 0; w.treeItem(i); ++i)
            out.push_back((w.tree()->currentItem() == w.treeItem(i) ? "*" : "") +
                          w.treeItem(i)->text(0).toStdString());
        return out;
    }
    static void select(AddressBookWindow& w, int item) { w.tree()->setCurrentItem(w.treeItem(item)); }
    static void tick(AddressBookWindow& w, int row) {
        QAbstractItemModel* m = w.list()->model();
        m->setData(m->index(row, 0), Qt::Checked, Qt::CheckStateRole);
    }
    static void clickHeader(AddressBookWindow& w, int section) {
        QHeaderView* h = w.list()->horizontalHeader();
        QTest::mouseClick(h->viewport(), Qt::LeftButton, {},
                          QPoint(h->sectionViewportPosition(section) + 8, 6));
    }
    // Runs the pop-up menu item of a tree item whose text is `text`.
    static void menu(AddressBookWindow& w, int item, const char* text) {
        select(w, item);
        const std::unique_ptr<QMenu> m = w.menuFor(item);
        for (QAction* a : m->actions())
            if (a->text() == u(text)) {
                a->trigger();
                return;
            }
        ADD_FAILURE() << "no menu item " << text;
    }
    QString cell(int row, int column) const {
        const auto* m = frame->findChild<CQuillbank2View*>()->grid()->model();
        return row == 0 ? m->headerData(column, Qt::Horizontal).toString()
                        : m->data(m->index(row - 1, column)).toString();
    }

    ServiceHarness service;
    AccessibleNamesAudit audit;
    std::unique_ptr<CMainFrame> frame;
    TempDir files;
};

} // namespace

TEST_F(AddressBookWindowTest, PickedEntriesFromTwoGroupsFillTheSendFormsTable) {
    logIn();
    frame->action(Command::Results)->trigger(); // the hand-over brings the send form forward
    inWindow([&](AddressBookWindow& w) {
        EXPECT_EQ(w.windowTitle(), u(":::: 주소록"));
        EXPECT_TRUE(w.isModal());
        EXPECT_EQ(tree(w), (Strings{"주소록", "친구", "가족"}));
        EXPECT_TRUE(w.treeItem(0)->isExpanded());
        QHeaderView* header = w.list()->horizontalHeader();
        Strings columns;
        for (int c = 0; c < 5; ++c)
            columns.push_back(w.listModel()->headerData(c, Qt::Horizontal).toString().toStdString() + "/" +
                              std::to_string(header->sectionSize(c)));
        EXPECT_EQ(columns, (Strings{" /60", "이 름/90", " 전화번호/120", " 메 모 /240", " 등록일 /170"}));

        select(w, 1);
        EXPECT_EQ(tree(w), (Strings{"주소록", "*친구", "가족"}));
        EXPECT_EQ(rows(w), (Strings{"[ ] 1 김민수 01011110001", "[ ] 2 이영희 01011110002",
                                    "[ ] 3 박철수 01011110003"}));
        const QModelIndex first = w.list()->model()->index(0, 3);
        EXPECT_EQ(first.data(Qt::BackgroundRole).value<QBrush>().color(), QColor(253, 255, 193));
        EXPECT_EQ(first.data(Qt::ForegroundRole).value<QBrush>().color(), QColor(Qt::black));
        EXPECT_EQ(first.data(Qt::TextAlignmentRole).toInt(), int(Qt::AlignCenter));

        // Sorted by name, descending on the second click: the ordinals stay with their rows.
        clickHeader(w, 1);
        clickHeader(w, 1);
        EXPECT_EQ(rows(w), (Strings{"[ ] 2 이영희 01011110002", "[ ] 3 박철수 01011110003",
                                    "[ ] 1 김민수 01011110001"}));
        clickHeader(w, 3); // the memo does not sort
        clickHeader(w, 0); // the tick-all header
        EXPECT_EQ(w.listModel()->headerData(0, Qt::Horizontal, Qt::CheckStateRole).toInt(), int(Qt::Checked));
        EXPECT_EQ(rows(w)[2], "[x] 1 김민수 01011110001");
        w.list()->model()->setData(w.list()->model()->index(1, 0), Qt::Unchecked, Qt::CheckStateRole);
        w.inputButton()->click();

        select(w, 2);
        w.inputButton()->click(); // nothing ticked here
        tick(w, 0);
        w.inputButton()->click();
        EXPECT_TRUE(w.isVisible()); // the user may go on picking
    });
    EXPECT_EQ(shownBoxes(), (Strings{"알림 |  2 건 데이터이동 완료!\n\n  총 [2] 건  | none | 확인",
                                     "알림 | 발송 데이터을 선택하세요. | error | 확인",
                                     "알림 |  1 건 데이터이동 완료!\n\n  총 [3] 건  | none | 확인"}));

    EXPECT_EQ(frame->currentView(), frame->sendFormWidget());
    Strings table;
    for (int r = 1; r <= 3; ++r)
        table.push_back(cell(r, 0).toStdString() + " " + cell(r, 1).toStdString() + " " +
                        cell(r, 2).toStdString());
    EXPECT_EQ(table, (Strings{"1 이영희 01011110002", "2 김민수 01011110001", "3 엄마 01022220001"}));
    EXPECT_EQ(frame->findChild<CQuillbank2View*>()->grid()->model()->rowCount(), 3);

    // Opened again: the transfer text starts empty, the total goes on; closed
    // without picking, the send form keeps its table.
    MessageBoxNotifier::clearShown();
    inWindow([&](AddressBookWindow& w) {
        select(w, 2);
        tick(w, 0);
        w.inputButton()->click();
        EXPECT_EQ(frame->model().transferText(), ko("엄마") + "\x04"
                                                              "01022220001\x02");
    });
    EXPECT_EQ(shownBoxes(), Strings{"알림 |  1 건 데이터이동 완료!\n\n  총 [4] 건  | none | 확인"});
    EXPECT_EQ(frame->findChild<CQuillbank2View*>()->grid()->model()->rowCount(), 1);
    inWindow([](AddressBookWindow&) {});
    EXPECT_EQ(frame->findChild<CQuillbank2View*>()->grid()->model()->rowCount(), 1);
}

TEST_F(AddressBookWindowTest, NewGroupRegisterAndImportFromATextFileAndAWorkbook) {
    logIn();
    const std::string text =
        files.write("list.txt", ko("가,01033330001,텍스트\n나,,빈칸\n다,01033330002,셋\n"));
    inWindow([&](AddressBookWindow& w) {
        Strings menuTexts;
        for (int item : {0, 1}) {
            const std::unique_ptr<QMenu> m = w.menuFor(item);
            for (QAction* a : m->actions())
                menuTexts.push_back(a->text().toStdString());
        }
        EXPECT_EQ(menuTexts, (Strings{"신규그룹생성", "신규 주소록 등록", "주소록 이동", "주소록 삭제"}));

        whenModal<AddressGroupDialog>([](AddressGroupDialog& d) {
            EXPECT_EQ(d.windowTitle(), u(":::: 추가할 그룹명을 입력하세요"));
            d.addButton()->click(); // empty: stays open
            EXPECT_TRUE(d.isVisible());
            typeText(d.nameEdit(), u("동호회"));
            d.addButton()->click();
        });
        menu(w, 0, "신규그룹생성");
        EXPECT_EQ(tree(w), (Strings{"*주소록", "친구", "가족", "동호회"}));

        whenModal<AddressRegisterDialog>([](AddressRegisterDialog& d) {
            EXPECT_EQ(d.windowTitle(), u(":::: 주소록 등록 "));
            d.inputButton()->click(); // nothing typed: stays open
            typeText(d.nameEdit(0), u("홍길동"));
            typeText(d.phoneEdit(0), "01044440001");
            typeText(d.memoEdit(0), u("회장"));
            typeText(d.nameEdit(5), u("전화없음"));
            typeText(d.phoneEdit(9), "01044440002");
            d.inputButton()->click();
        });
        menu(w, 3, "신규 주소록 등록");
        EXPECT_EQ(rows(w), (Strings{"[ ] 1 홍길동 01044440001", "[ ] 2  01044440002"}));

        whenModal<AddressRegisterDialog>([&](AddressRegisterDialog& d) {
            FileDialog::setNextFileName(QString::fromStdString(text));
            d.fileButton()->click();
        });
        menu(w, 3, "신규 주소록 등록");
        whenModal<AddressRegisterDialog>([&](AddressRegisterDialog& d) {
            whenModal<SheetChoiceDialog>([](SheetChoiceDialog& s) {
                EXPECT_EQ(s.windowTitle(), u(":::: 엑셀시트선택"));
                ASSERT_EQ(s.list()->count(), 2);
                emit s.list()->itemDoubleClicked(s.list()->item(0));
            });
            FileDialog::setNextFileName(QString::fromStdString(dataPath("excel/addresses.xlsx")));
            d.fileButton()->click();
        });
        menu(w, 3, "신규 주소록 등록");
        EXPECT_EQ(rows(w), (Strings{"[ ] 1 홍길동 01044440001", "[ ] 2  01044440002", "[ ] 3 가 01033330001",
                                    "[ ] 4 다 01033330002", "[ ] 5 홍길동 01011112222",
                                    "[ ] 6 Kim 01033334444", "[ ] 7  01055556666"}));

        // The buttons under the tree run what the selected item's menu offers; a
        // disabled one would not open its dialog.
        int dialogs = 0;
        whenModal<AddressGroupDialog>([&](AddressGroupDialog& d) { ++dialogs, d.reject(); });
        select(w, 0);
        EXPECT_FALSE(w.addEntryButton()->isEnabled() || w.importButton()->isEnabled());
        w.addGroupButton()->click();
        whenModal<AddressRegisterDialog>([&](AddressRegisterDialog& d) { ++dialogs, d.reject(); });
        select(w, 3);
        EXPECT_FALSE(w.addGroupButton()->isEnabled());
        w.addEntryButton()->click();
        FileDialog::setNextFileName(
            QString::fromStdString(files.write("bad.txt", "ok,01033330003,x\nno,abc,y\n")));
        w.importButton()->click();
        EXPECT_EQ(dialogs, 2);
        EXPECT_EQ(rows(w).back(), "[ ] 8 ok 01033330003");
    });
    EXPECT_EQ(
        shownBoxes(),
        (Strings{"알림 | 그룹이름을 입력하세요! | error | 확인",
                 "알림 | 데이터를 입력해 주세요. | error | 확인",
                 "알림 | 2 개의 데이터가 입력되었습니다.\n쉼표로 나눈 값이 세 개가 아닌 1 줄은 "
                 "건너뛰었습니다. | none | 확인",
                 "알림 | 3 개의 데이터가 입력되었습니다.\n전화번호가 없는 1 행은 건너뛰었습니다. | "
                 "none | 확인",
                 "알림 | 1 개의 데이터가 입력되었습니다.\n전화번호가 올바르지 않은 1 건은 건너뛰었습니다. | "
                 "none | 확인"}));
    EXPECT_EQ(store().groups("user01").back().grpname, ko("동호회"));
    EXPECT_EQ(store().entries("user01").size(), 12u);
}

TEST_F(AddressBookWindowTest, MoveModifyAndDeleteWithItsQuestion) {
    logIn();
    inWindow([&](AddressBookWindow& w) {
        select(w, 1);
        tick(w, 0);
        tick(w, 2);
        whenModal<AddressMoveDialog>([](AddressMoveDialog& d) {
            EXPECT_EQ(d.windowTitle(), u(":::: 주소록을 이동할 그룹명을 입력하세요"));
            EXPECT_EQ(d.groupBox()->currentText(), u("친구"));
            d.moveButton()->click(); // the same group: stays open
            d.groupBox()->setCurrentIndex(1);
            d.moveButton()->click();
        });
        menu(w, 1, "주소록 이동");
        EXPECT_EQ(tree(w), (Strings{"주소록", "친구", "*가족"}));
        EXPECT_EQ(rows(w), (Strings{"[ ] 1 김민수 01011110001", "[ ] 2 박철수 01011110003",
                                    "[ ] 3 엄마 01022220001"}));

        whenModal<AddressModifyDialog>([](AddressModifyDialog& d) {
            EXPECT_EQ(d.windowTitle(), u(":::: 주소록 수정하기"));
            EXPECT_EQ(d.nameEdit()->text(), u("박철수"));
            d.phoneEdit()->clear();
            d.modifyButton()->click(); // empty phone: stays open
            typeText(d.phoneEdit(), "01099990000");
            d.memoEdit()->setText(u("이사"));
            d.modifyButton()->click();
        });
        emit w.list()->doubleClicked(w.list()->model()->index(1, 1));
        EXPECT_EQ(rows(w)[1], "[ ] 2 박철수 01099990000");
        EXPECT_EQ(w.list()->model()->index(1, 3).data().toString(), u("이사"));

        tick(w, 1);
        MessageBoxNotifier::setNextAnswer(QMessageBox::No);
        menu(w, 2, "주소록 삭제");
        EXPECT_EQ(rows(w).size(), 3u);
        MessageBoxNotifier::setNextAnswer(QMessageBox::Yes);
        menu(w, 2, "주소록 삭제");
        EXPECT_EQ(tree(w), (Strings{"주소록", "친구", "*가족"}));
        EXPECT_EQ(rows(w), (Strings{"[ ] 1 김민수 01011110001", "[ ] 2 엄마 01022220001"}));

        menu(w, 2, "주소록 이동"); // nothing ticked
    });
    EXPECT_EQ(shownBoxes(),
              (Strings{"알림 | 이동할 그룹이 동일합니다. | error | 확인",
                       "알림 | [친구] --> [가족] 로 2 건 이동완료.! | none | 확인",
                       "알림 | 데이터를 입력해주세요!. | error | 확인",
                       "알림 | 가족 그룹의 선택된 1 개 데이터를 삭제하시겠습니까? | error | 예 아니요",
                       "알림 | 가족 그룹의 선택된 1 개 데이터를 삭제하시겠습니까? | error | 예 아니요",
                       "알림 | [가족] 그룹 1 건 삭제완료.! | none | 확인",
                       "알림 | 선택된 데이터가 없습니다. | error | 확인"}));
    Strings remote;
    for (const auto& e : store().entries("user01"))
        remote.push_back(cp949::toUtf8(e.groupname) + " " + cp949::toUtf8(e.name) + " " + e.hpno);
    EXPECT_EQ(remote,
              (Strings{"가족 김민수 01011110001", "친구 이영희 01011110002", "가족 엄마 01022220001"}));
}

// An entry whose name is longer than the field shows cut, and every change
// through the window still reaches it on the service.
TEST_F(AddressBookWindowTest, AFortyByteNameIsShownCutAndChangedWhole) {
    std::string longName;
    for (int i = 0; i < 20; ++i)
        longName += ko("가");
    store().addGroup("user01", "long");
    store().addEntry("user01", {0, "long", "01077770001", longName, "m", "2024-02-01"});
    store().addEntry("user01", {0, "long", "01077770002", longName + "b", "m", "2024-02-02"});
    logIn();
    inWindow([&](AddressBookWindow& w) {
        select(w, 3);
        EXPECT_EQ(w.list()->model()->index(0, 1).data().toString().toStdString(),
                  cp949::toUtf8(longName.substr(0, 30)));
        whenModal<AddressModifyDialog>([&](AddressModifyDialog& d) {
            EXPECT_EQ(d.nameEdit()->text().toStdString(), cp949::toUtf8(longName));
            d.memoEdit()->setText(u("새 메모"));
            d.modifyButton()->click();
        });
        w.modifyRow(0);
        tick(w, 1);
        MessageBoxNotifier::setNextAnswer(QMessageBox::Yes);
        menu(w, 3, "주소록 삭제");
        tick(w, 0);
        w.inputButton()->click();
    });
    const auto remote = store().entries("user01");
    ASSERT_EQ(remote.size(), 5u);
    EXPECT_EQ(remote.back().name, longName);
    EXPECT_EQ(remote.back().etc, ko("새 메모"));
    EXPECT_EQ(cell(1, 1).toStdString(), cp949::toUtf8(longName));
}

TEST_F(AddressBookWindowTest, TheCommandInEveryLoginState) {
    // Logged out: the command is off and does nothing.
    EXPECT_FALSE(frame->action(Command::AddressBook)->isEnabled());
    EXPECT_FALSE(frame->model().execute(Command::AddressBook));
    EXPECT_EQ(QApplication::activeModalWidget(), nullptr);

    // Logged in: the window, then closed by the server while it is open. The
    // next action says so and closes the window; the command is off again.
    logIn();
    EXPECT_TRUE(frame->action(Command::AddressBook)->isEnabled());
    inWindow([&](AddressBookWindow& w) {
        select(w, 1);
        tick(w, 0);
        w.inputButton()->click();
        ASSERT_TRUE(service.loginServer().disconnect("user01"));
        ASSERT_TRUE(runUntil([] { return MessageBoxNotifier::shown().size() == 2; }));
        tick(w, 1);
        w.inputButton()->click();
        EXPECT_FALSE(w.isVisible());
    });
    EXPECT_EQ(shownBoxes(), (Strings{"알림 |  1 건 데이터이동 완료!\n\n  총 [1] 건  | none | 확인",
                                     "알림 | 서버연결이 종료되었습니다.! | error | 확인",
                                     "알림 | 로그인이 되어 있지 않습니다. | error | 확인"}));
    EXPECT_EQ(frame->model().transferText(), "");
    EXPECT_FALSE(frame->action(Command::AddressBook)->isEnabled());

    // Opened while the flag is down (a stale button): the message, no window.
    MessageBoxNotifier::clearShown();
    frame->model().openAddressBook();
    EXPECT_EQ(shownBoxes(), Strings{"알림 | 로그인이 되어 있지 않습니다. | error | 확인"});
    EXPECT_EQ(QApplication::activeModalWidget(), nullptr);
}

} // namespace qb::test
