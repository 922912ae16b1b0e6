#include "app/AppPaths.h"
#include "support/TempDir.h"

#include <QFile>
#include <QProcess>

#include <gtest/gtest.h>

using namespace qb;

namespace {

// qbupdater for `folder`, starting a client that only notes it ran.
int runUpdater(const test::TempDir& tools, const std::string& folder) {
    const std::string client = tools.write("client", "#!/bin/sh\ntouch \"$0.started\"\n");
    QFile::setPermissions(QString::fromStdString(client), QFile::ReadOwner | QFile::ExeOwner);
    QProcess p;
    p.start(QBUPDATER_PATH,
            {"--workdir", QString::fromStdString(folder), "--client", QString::fromStdString(client)});
    EXPECT_TRUE(p.waitForFinished(30000));
    return p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1;
}

} // namespace

// The title's "Ver - x.y.z" needs update.ini; a new working folder gets one.
TEST(Qbupdater, WritesItsVersionIntoAFolderThatHasNone) {
    test::TempDir tools, dir;
    const std::string fresh = dir.file("new/Quillbank2");
    ASSERT_EQ(runUpdater(tools, fresh), 0);
    EXPECT_EQ(test::readFile(fresh + "/update.ini"),
              std::string("[PROGRAM]\r\nVERSION=") + QB_VERSION + "\r\n");
    EXPECT_EQ(AppPaths(fresh).readVersion(), QB_VERSION);

    // A version already there stays; an update.ini without one gets it.
    dir.write("kept/update.ini", "[PROGRAM]\r\nVERSION=2.1.5\r\n");
    ASSERT_EQ(runUpdater(tools, dir.file("kept")), 0);
    EXPECT_EQ(AppPaths(dir.file("kept")).readVersion(), "2.1.5");
    dir.write("empty/update.ini", "[PROGRAM]\r\nVERSION=\r\n");
    ASSERT_EQ(runUpdater(tools, dir.file("empty")), 0);
    EXPECT_EQ(AppPaths(dir.file("empty")).readVersion(), QB_VERSION);
}
