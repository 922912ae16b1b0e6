#include "GuiTestSupport.h"

#include "app/SingleInstanceLock.h"
#include "client/CQuillbank2App.h"
#include "frame/ui/CMainFrame.h"
#include "support/RunUntil.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <sys/stat.h>

using namespace qb;
using test::u;

namespace {

class StartUpTest : public ::testing::Test {
protected:
    void SetUp() override {
        MessageBoxNotifier::clearShown();
        dir.mkdir("imgtemp");
        dir.write("imgtemp/left.jpg", "jpeg");
        // Stands in for qbupdater: notes the folder it was started in, whole or not at all.
        updater = tools.write("qbupdater", "#!/bin/sh\npwd > \"$0.part\" && mv \"$0.part\" \"$0.started\"\n");
        ::chmod(updater.c_str(), 0755);
    }
    QString folder() const { return QString::fromStdString(dir.path()); }

    test::TempDir dir;
    test::TempDir tools;
    std::string updater;
};

} // namespace

TEST_F(StartUpTest, SecondInstanceIsRefused) {
    SingleInstanceLock running(dir.path());
    ASSERT_EQ(running.tryLock(), SingleInstanceLock::Result::Acquired);

    CQuillbank2App second({"/u"}, folder(), QString::fromStdString(updater));
    EXPECT_EQ(second.initInstance(), 0);
    EXPECT_EQ(second.mainFrame(), nullptr);
    EXPECT_EQ(test::shownBoxes(),
              std::vector<std::string>{"알림 | 프로그램이 이미 실행중입니다. | none | 확인"});
    EXPECT_EQ(MessageBoxNotifier::shown()[0].owner, nullptr);
    // The first keeps its lock and its files.
    EXPECT_TRUE(running.isLocked());
    EXPECT_TRUE(test::fileExists(dir.file("imgtemp/left.jpg")));
}

TEST_F(StartUpTest, WithoutTheSwitchTheUpdaterTakesOver) {
    CQuillbank2App app({"-u", "/U"}, folder(), QString::fromStdString(updater));
    EXPECT_EQ(app.initInstance(), 0);
    EXPECT_EQ(app.mainFrame(), nullptr);
    ASSERT_TRUE(test::runUntil([&] { return test::fileExists(updater + ".started"); }));
    EXPECT_EQ(test::readFile(updater + ".started"), dir.path() + "\n");
    // The client the updater starts must find the lock free.
    SingleInstanceLock next(dir.path());
    EXPECT_EQ(next.tryLock(), SingleInstanceLock::Result::Acquired);
    EXPECT_TRUE(MessageBoxNotifier::shown().isEmpty());
}

TEST_F(StartUpTest, WithTheSwitchTheMainWindowOpens) {
    CQuillbank2App app({"x/uy"}, folder(), QString::fromStdString(updater));
    EXPECT_EQ(app.initInstance(), std::nullopt);
    ASSERT_NE(app.mainFrame(), nullptr);
    EXPECT_TRUE(app.mainFrame()->isVisible());
    EXPECT_EQ(app.mainFrame()->windowTitle(), u("퀼뱅크문자 [quillbank2.example]"));
    EXPECT_FALSE(test::fileExists(dir.file("imgtemp/left.jpg")));
    EXPECT_FALSE(test::fileExists(updater + ".started"));

    EXPECT_TRUE(MessageBoxNotifier::shown().isEmpty());

    // While it runs, another start in the same folder is refused.
    CQuillbank2App second({"/u"}, folder(), QString::fromStdString(updater));
    EXPECT_EQ(second.initInstance(), 0);
    EXPECT_EQ(test::shownBoxes(),
              std::vector<std::string>{"알림 | 프로그램이 이미 실행중입니다. | none | 확인"});
}

TEST_F(StartUpTest, PortsOutOfRangeInServiceIniAreReportedOnce) {
    dir.write("service.ini", "[SERVICE]\r\nHOST=127.0.0.1\r\nLOGIN_PORT=0\r\nSEND_PORT=-1\r\n");
    CQuillbank2App app({"/u"}, folder(), QString::fromStdString(updater));
    EXPECT_EQ(app.initInstance(), std::nullopt);
    ASSERT_NE(app.mainFrame(), nullptr);
    EXPECT_EQ(test::shownBoxes(),
              std::vector<std::string>{
                  "알림 | service.ini [SERVICE] LOGIN_PORT=0 : 포트 번호(1~65535)가 아닙니다. 기본값 40001을 "
                  "사용합니다.\nservice.ini [SERVICE] SEND_PORT=-1 : 포트 번호(1~65535)가 아닙니다. 기본값 "
                  "40000을 사용합니다. | error | 확인"});
    EXPECT_EQ(MessageBoxNotifier::shown()[0].owner, app.mainFrame());
}
