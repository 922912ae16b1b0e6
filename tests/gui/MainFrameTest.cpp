#include "GuiTestSupport.h"

#include "common/Cp949.h"
#include "frame/ui/BannerLabel.h"
#include "frame/ui/CMainFrame.h"
#include "net/ui/LoginDialog.h"
#include "net/ui/WaitWindow.h"
#include "support/RunUntil.h"
#include "support/ServiceHarness.h"
#include "views/ui/CChargeMoney.h"
#include "views/ui/CMemberInfoDlg.h"
#include "views/ui/CNoticeDlg.h"
#include "views/ui/CViewReserved.h"
#include "views/ui/CViewResult.h"

#include <QDesktopServices>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QPushButton>
#include <QScreen>
#include <QSignalSpy>
#include <QStackedWidget>
#include <QStatusBar>
#include <QTableView>
#include <QTest>
#include <QToolBar>
#include <QWebEngineView>
#include <QWindow>
#include <gtest/gtest.h>

using namespace qb;
using namespace std::chrono_literals;
using test::u;

namespace {

const char* const kBase = "퀼뱅크문자 [127.0.0.1]";

QString titleOf(const std::string& utf8) {
    return QString::fromStdString(utf8);
}

class UrlRecorder : public QObject {
    Q_OBJECT

public:
    QList<QUrl> opened;

public slots: // NOLINT(readability-redundant-access-specifiers): a section of its own to moc
    void open(const QUrl& url) { opened << url; }
};

class MainFrameTest : public ::testing::Test {
protected:
    void SetUp() override {
        service.addAccount("user01", "pass01", 7, "TAG");
        service.dir().write("update.ini", "[PROGRAM]\r\nVERSION=2.1.5\r\n");
        // 1,234 reject numbers in an active reject file.
        std::string numbers;
        for (int i = 0; i < 1234; ++i)
            numbers += "0101234" + std::to_string(1000 + i) + "\r\n";
        const std::string all = service.dir().write("reject.txt", numbers);
        service.dir().write("msg/RAZIDODU.ini", "[Reject]\r\nReject_007=TRUE,reject.txt," + all + "\r\n");
        MessageBoxNotifier::clearShown();
        frame = std::make_unique<CMainFrame>(AppPaths(service.workdir()), service.config());
        frame->show();
    }
    void TearDown() override {
        frame.reset();
        MessageBoxNotifier::clearShown();
    }

    // Fills the login dialog as a user would and presses "로그인".
    void startLogin(const char* id = "user01", const char* password = "pass01") {
        test::startLogin(*frame, id, password);
    }
    void logIn() {
        startLogin();
        ASSERT_TRUE(test::runUntil([&] { return frame->windowTitle() == afterLoginTitle(); }));
    }
    QString afterLoginTitle() const {
        return titleOf(std::string(" ") + kBase +
                       " - 아이디 : [user01] Ver - 2.1.5 ::수신거부 데이터 [1234] 개");
    }
    std::string web() const { return service.config().webBase(); }
    std::vector<WaitWindow*> waitWindows() const {
        std::vector<WaitWindow*> out;
        for (WaitWindow* w : frame->findChildren<WaitWindow*>())
            if (w->isVisible())
                out.push_back(w);
        return out;
    }

    test::ServiceHarness service;
    std::unique_ptr<CMainFrame> frame;
};

} // namespace

TEST_F(MainFrameTest, LoggedOutWindow) {
    EXPECT_EQ(frame->size(), QSize(750, 850));
    EXPECT_EQ(frame->minimumSize(), QSize(750, 640));
    EXPECT_TRUE(frame->windowFlags() & Qt::WindowMaximizeButtonHint);
    EXPECT_EQ(frame->windowTitle(), titleOf(kBase));
    EXPECT_EQ(test::enabledCommands(*frame), test::loggedOutCommands());
    EXPECT_EQ(frame->currentView(), frame->sendFormWidget());
    EXPECT_EQ(frame->statusBar()->currentMessage(), u("준비"));

    std::vector<std::string> menus;
    for (QAction* m : frame->menuBar()->actions()) {
        std::string line = m->text().toStdString() + ":";
        for (QAction* a : m->menu()->actions())
            line += " " + a->text().toStdString() + "=" + std::to_string(a->data().toInt()) +
                    (a->shortcut().isEmpty() ? "" : "[" + a->shortcut().toString().toStdString() + "]");
        menus.push_back(line);
    }
    // Every menu and item has its key; the usual commands their shortcuts.
    EXPECT_EQ(menus, (std::vector<std::string>{
                         "로그인/아웃(&L): 로그인(&I)=32783[Ctrl+L] 로그아웃(&O)=32784[Ctrl+Shift+L]",
                         "전송/조회(&S): 문자전송(&S)=32772[Ctrl+1] 결과조회(&R)=32774[Ctrl+2] "
                         "예약조회(&V)=32776[Ctrl+3] 주소록(&A)=32794[Ctrl+B]",
                         "충전(&C): 사이버머니충전(&C)=32778",
                         "보기(&V): 공지사항(&N)=32780 회원정보수정(&M)=32791 도움말(&H)=57664[F1]",
                         "종료(&X): 종료(&X)=57665[Ctrl+Q]",
                     }));

    std::vector<std::string> tools;
    for (QAction* a : frame->toolBar()->actions()) {
        if (a->isSeparator())
            tools.push_back("|");
        else if (a->data().isValid())
            tools.push_back(std::to_string(a->data().toInt()));
        else
            tools.push_back(frame->toolBar()->widgetForAction(a)->objectName().toStdString());
    }
    EXPECT_EQ(tools, (std::vector<std::string>{"32783", "32784", "|", "32772", "32774", "32776", "32794",
                                               "32778", "|", "32780", "57665", "|", "banner"}));
    EXPECT_EQ(frame->toolBar()->iconSize(), QSize(55, 55));
    EXPECT_EQ(frame->banner()->pixmap().size(), QSize(173, 55));
    // Every button and the banner fit: nothing is pushed into an overflow menu.
    const QRect bar = frame->toolBar()->contentsRect();
    EXPECT_TRUE(bar.contains(frame->banner()->geometry())) << frame->banner()->geometry().right();
    EXPECT_TRUE(frame->banner()->isVisible());
}

TEST_F(MainFrameTest, EveryLoginStateSetsTitleAndCommands) {
    startLogin();
    // Waiting: the wait window, centred; the commands and title still logged out.
    const std::vector<WaitWindow*> waits = waitWindows();
    ASSERT_EQ(waits.size(), 1u);
    EXPECT_EQ(frame->waitWindow(), waits[0]);
    EXPECT_EQ(waits[0]->windowTitle(), u("로그인 시도중....."));
    EXPECT_EQ(waits[0]->findChild<QLabel*>("waitText")->text(), u("로그인 중입니다..........."));
    EXPECT_FALSE(waits[0]->isModal());
    EXPECT_LE((waits[0]->frameGeometry().center() - frame->frameGeometry().center()).manhattanLength(), 2);
    EXPECT_EQ(frame->windowTitle(), titleOf(kBase));
    EXPECT_EQ(test::enabledCommands(*frame), test::loggedOutCommands());

    // Logged in, with the reject count; the notice window is up.
    ASSERT_TRUE(test::runUntil([&] { return frame->windowTitle() == afterLoginTitle(); }));
    EXPECT_TRUE(waitWindows().empty());
    EXPECT_EQ(frame->waitWindow(), nullptr);
    EXPECT_EQ(test::enabledCommands(*frame), test::loggedInCommands());
    ASSERT_NE(frame->noticeWindow(), nullptr);
    EXPECT_TRUE(frame->noticeWindow()->isVisible());
    EXPECT_EQ(frame->noticeWindow()->lastUrl().toString().toStdString(),
              web() + "/ClientNoticeReader.jsp?mode=init&kind=smsadmin");
    EXPECT_TRUE(MessageBoxNotifier::shown().isEmpty());

    // Closed by the server.
    ASSERT_TRUE(service.loginServer().disconnect("user01"));
    ASSERT_TRUE(test::runUntil([] { return !MessageBoxNotifier::shown().isEmpty(); }));
    EXPECT_EQ(frame->windowTitle(), titleOf(std::string(" ") + kBase));
    EXPECT_EQ(test::enabledCommands(*frame), test::loggedOutCommands());
    EXPECT_EQ(test::shownBoxes(),
              std::vector<std::string>{"알림 | 서버연결이 종료되었습니다.! | error | 확인"});
    EXPECT_EQ(MessageBoxNotifier::shown()[0].owner, frame.get());

    // In again, then out from a page view.
    MessageBoxNotifier::clearShown();
    logIn();
    frame->action(Command::Results)->trigger();
    frame->action(Command::Logout)->trigger();
    EXPECT_EQ(frame->windowTitle(), titleOf(std::string(" ") + kBase + " "));
    EXPECT_EQ(test::enabledCommands(*frame), test::loggedOutCommands());
    EXPECT_EQ(frame->currentView(), frame->sendFormWidget());
    EXPECT_TRUE(service.loginServer().waitForLogout("user01", 5s));
    EXPECT_TRUE(MessageBoxNotifier::shown().isEmpty());
}

TEST_F(MainFrameTest, RefusedLoginStaysLoggedOut) {
    startLogin("user01", "wrong");
    ASSERT_TRUE(test::runUntil([] { return !MessageBoxNotifier::shown().isEmpty(); }));
    EXPECT_EQ(test::shownBoxes(),
              std::vector<std::string>{"알림 | 로그인 실패. 계정정보를 확인하세요! | error | 확인"});
    EXPECT_TRUE(waitWindows().empty());
    EXPECT_EQ(frame->windowTitle(), titleOf(kBase));
    EXPECT_EQ(test::enabledCommands(*frame), test::loggedOutCommands());
}

TEST_F(MainFrameTest, WaitWindowIsSingle) {
    // The reply is held back long enough to ask for a second login meanwhile.
    qbs::LoginQuirks slow;
    slow.splitReplyAt = 4;
    slow.splitPause = 1500ms;
    service.loginServer().setQuirks(slow);
    startLogin();
    ASSERT_EQ(waitWindows().size(), 1u);
    WaitWindow* first = waitWindows()[0];
    startLogin();
    EXPECT_EQ(waitWindows(), std::vector<WaitWindow*>{first});

    // Closed by the user: a later login gets a fresh one.
    first->close();
    EXPECT_TRUE(test::runUntil([&] { return frame->waitWindow() == nullptr; }));
    EXPECT_TRUE(waitWindows().empty());
}

TEST_F(MainFrameTest, PageViewsAndSideWindows) {
    logIn();
    frame->noticeWindow()->closeButton()->click();
    ASSERT_TRUE(test::runUntil([&] { return frame->noticeWindow() == nullptr; }));

    frame->action(Command::Results)->trigger();
    auto* results = qobject_cast<CViewResult*>(frame->pageView(ViewId::Results));
    ASSERT_NE(results, nullptr);
    EXPECT_EQ(frame->currentView(), results);
    EXPECT_EQ(results->lastUrl().toString().toStdString(),
              web() + "/ClientStatMgrd.jsp?mode=init&cid=user01");
    frame->action(Command::Results)->trigger();
    EXPECT_EQ(results->navigations(), 1);
    frame->action(Command::SendForm)->trigger();
    EXPECT_EQ(frame->currentView(), frame->sendFormWidget());
    frame->action(Command::Results)->trigger();
    EXPECT_EQ(results->navigations(), 2);
    EXPECT_EQ(frame->pageView(ViewId::Results), results); // created once, kept

    frame->action(Command::Reserved)->trigger();
    ASSERT_NE(qobject_cast<CViewReserved*>(frame->currentView()), nullptr);
    frame->action(Command::Charge)->trigger();
    auto* charge = qobject_cast<CChargeMoney*>(frame->currentView());
    ASSERT_NE(charge, nullptr);
    EXPECT_EQ(charge->lastUrl().toString().toStdString(),
              web() + "/ClientStatMgr.jsp?mode=view_acc_client&cid=user01");

    // Single side windows: a second command only brings the open one forward.
    frame->action(Command::Notice)->trigger();
    frame->action(Command::Notice)->trigger();
    frame->action(Command::MemberInfo)->trigger();
    frame->action(Command::MemberInfo)->trigger();
    EXPECT_EQ(frame->findChildren<CNoticeDlg*>().size(), 1);
    EXPECT_EQ(frame->findChildren<CMemberInfoDlg*>().size(), 1);
    CMemberInfoDlg* member = frame->memberInfoWindow();
    ASSERT_NE(member, nullptr);
    EXPECT_EQ(member->windowTitle(), u("회원정보수정"));
    EXPECT_EQ(member->closeButton()->text(), u("닫기"));
    EXPECT_EQ(member->navigations(), 1);
    EXPECT_EQ(member->lastUrl().toString().toStdString(), web() + "/ClientUserinit.jsp?mode=init&cid=user01");
    EXPECT_FALSE(member->isModal());
    member->closeButton()->click();
    ASSERT_TRUE(test::runUntil([&] { return frame->memberInfoWindow() == nullptr; }));
    frame->action(Command::MemberInfo)->trigger();
    EXPECT_NE(frame->memberInfoWindow(), nullptr);
}

TEST_F(MainFrameTest, MaximisedTheGridGrowsThePlaceStaysAndIsKept) {
    auto* grid = frame->sendFormWidget()->findChild<QTableView*>("grid");
    ASSERT_NE(grid, nullptr);
    const QRect normal(40, 30, 800, 860);
    frame->setGeometry(normal);
    ASSERT_TRUE(test::runUntil([&] { return frame->height() == 860; }));
    QApplication::processEvents();
    const int gridTop = grid->y(), viewport = grid->viewport()->height();
    const auto rowsShown = [&] {
        return grid->viewport()->height() / grid->verticalHeader()->defaultSectionSize();
    };
    const int rows = rowsShown();

    frame->showMaximized();
    ASSERT_TRUE(test::runUntil([&] { return frame->isMaximized() && frame->height() > normal.height(); }));
    EXPECT_EQ(frame->frameGeometry(), frame->screen()->availableGeometry());
    // All the height it gains goes to the grid.
    EXPECT_TRUE(test::runUntil([&] {
        return grid->viewport()->height() - viewport == frame->height() - 860;
    })) << grid->viewport()->height();
    EXPECT_EQ(grid->y(), gridTop);
    EXPECT_GE(rowsShown(), rows + 6);

    // A page view and back: the same window, where it was.
    frame->showNormal();
    ASSERT_TRUE(test::runUntil([&] { return frame->geometry() == normal; }));
    logIn();
    const QWindow* window = frame->windowHandle();
    frame->action(Command::Results)->trigger();
    QSignalSpy loaded(frame->pageView(ViewId::Results)->browser(), &QWebEngineView::loadFinished);
    ASSERT_TRUE(test::runUntil([&] { return !loaded.isEmpty(); }));
    EXPECT_EQ(frame->geometry(), normal);
    frame->action(Command::SendForm)->trigger();
    QApplication::processEvents();
    EXPECT_EQ(frame->geometry(), normal);
    EXPECT_EQ(frame->windowHandle(), window);

    // Closed maximised, it opens maximised, over the same normal place.
    frame->showMaximized();
    ASSERT_TRUE(test::runUntil([&] { return frame->isMaximized(); }));
    MessageBoxNotifier::setNextAnswer(QMessageBox::Yes);
    frame->action(Command::Exit)->trigger();
    frame.reset();
    frame = std::make_unique<CMainFrame>(AppPaths(service.workdir()), service.config());
    frame->show();
    EXPECT_TRUE(test::runUntil([&] { return frame->isMaximized(); }));
    EXPECT_EQ(frame->normalGeometry(), normal);
}

TEST_F(MainFrameTest, CloseQuestionNoThenYes) {
    logIn();
    service.dir().write("imgtemp/pic.jpg", "jpeg");
    MessageBoxNotifier::clearShown();

    MessageBoxNotifier::setNextAnswer(QMessageBox::No);
    EXPECT_FALSE(frame->close());
    EXPECT_TRUE(frame->isVisible());
    EXPECT_EQ(frame->windowTitle(), afterLoginTitle());
    EXPECT_EQ(test::enabledCommands(*frame), test::loggedInCommands());
    EXPECT_TRUE(service.loginServer().isLoggedIn("user01"));
    EXPECT_TRUE(test::fileExists(service.dir().file("imgtemp/pic.jpg")));

    // "종료" takes the same path.
    MessageBoxNotifier::setNextAnswer(QMessageBox::Yes);
    frame->action(Command::Exit)->trigger();
    EXPECT_FALSE(frame->isVisible());
    EXPECT_EQ(frame->windowTitle(), titleOf(std::string(" ") + kBase + " "));
    EXPECT_FALSE(frame->model().loginState().loggedIn);
    EXPECT_FALSE(test::fileExists(service.dir().file("imgtemp/pic.jpg")));
    EXPECT_EQ(frame->noticeWindow(), nullptr);
    EXPECT_TRUE(service.loginServer().waitForLogout("user01", 5s));
    EXPECT_EQ(test::shownBoxes(), (std::vector<std::string>{"알림 | 종료하시겠습니까? | error | 예 아니요",
                                                            "알림 | 종료하시겠습니까? | error | 예 아니요"}));
}

TEST_F(MainFrameTest, BannerOpensTheHomePageOnLeftOrRightPress) {
    UrlRecorder browser;
    QDesktopServices::setUrlHandler("http", &browser, "open");
    QTest::mouseClick(frame->banner(), Qt::LeftButton);
    QTest::mouseClick(frame->banner(), Qt::MiddleButton);
    QTest::mouseClick(frame->banner(), Qt::RightButton);
    QDesktopServices::unsetUrlHandler("http");
    const QUrl home(QString::fromStdString(service.config().homeUrl));
    EXPECT_EQ(browser.opened, (QList<QUrl>{home, home}));
}

#include "MainFrameTest.moc"
