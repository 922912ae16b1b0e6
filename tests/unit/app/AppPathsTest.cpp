#include "app/AppPaths.h"
#include "app/LoginSettings.h"

#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <sys/stat.h>

using namespace qb;

TEST(AppPaths, PathsDeriveFromTheStartFolder) {
    const AppPaths p("/work/qb/");
    EXPECT_EQ(p.workingFolder(), "/work/qb");
    EXPECT_EQ(p.envCfgPath(), "/work/qb/Env.cfg");
    EXPECT_EQ(p.updateIniPath(), "/work/qb/update.ini");
    EXPECT_EQ(p.imageTempPath(), "/work/qb/imgtemp");
    EXPECT_EQ(p.logFolder(), "/work/qb/LOG");
    EXPECT_EQ(p.rejectIniPath(), "/work/qb/msg/RAZIDODU.ini");
}

TEST(AppPaths, ReadVersion) {
    test::TempDir dir;
    const AppPaths p(dir.path());
    EXPECT_EQ(p.readVersion(), "");
    dir.write("update.ini", "[PROGRAM]\r\nVERSION=2.1.5\r\n");
    EXPECT_EQ(p.readVersion(), "2.1.5");
    dir.write("update.ini", "[program]\nversion = 2.1.6\n");
    EXPECT_EQ(p.readVersion(), "2.1.6");
    dir.write("update.ini", "[OTHER]\r\nVERSION=9\r\n");
    EXPECT_EQ(p.readVersion(), "");
}

TEST(AppPaths, ClearImageTempDeletesFilesOnly) {
    test::TempDir dir;
    const AppPaths p(dir.path());
    p.clearImageTemp(); // no folder: nothing to do
    EXPECT_FALSE(test::fileExists(p.imageTempPath()));

    dir.write("imgtemp/a.jpg", "jpeg");
    dir.write("imgtemp/no-extension", "x");
    dir.write("imgtemp/.hidden", "x");
    dir.write("imgtemp/sub/inner.jpg", "kept");
    dir.write("outside.jpg", "kept");
    p.clearImageTemp();
    EXPECT_FALSE(test::fileExists(dir.file("imgtemp/a.jpg")));
    EXPECT_FALSE(test::fileExists(dir.file("imgtemp/no-extension")));
    EXPECT_FALSE(test::fileExists(dir.file("imgtemp/.hidden")));
    EXPECT_EQ(test::readFile(dir.file("imgtemp/sub/inner.jpg")), "kept");
    EXPECT_EQ(test::readFile(dir.file("outside.jpg")), "kept");
}

TEST(LoginSettings, DefaultsAndOwnerOnlyFile) {
    test::TempDir dir;
    const std::string env = dir.file("Env.cfg");
    const LoginSettings none = LoginSettings::read(env);
    EXPECT_EQ(none.id, "");
    EXPECT_EQ(none.password, "");
    EXPECT_EQ(none.idCheck, "N");
    EXPECT_EQ(none.passwordCheck, "N");

    ASSERT_TRUE(LoginSettings::remember("abc", false, "pw", false).write(env));
    EXPECT_EQ(test::readFile(env), "[LOGIN]\r\nID=0000\r\nIDCHECK=N\r\nPASSWD=0000\r\nPASSCHECK=N\r\n");
    struct stat st {};
    ASSERT_EQ(::stat(env.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0600u);

    ASSERT_TRUE(LoginSettings::remember("abc", true, "pw", true).write(env));
    const LoginSettings saved = LoginSettings::read(env);
    EXPECT_EQ(saved.id, "abc");
    EXPECT_EQ(saved.password, "pw");
    EXPECT_EQ(saved.idCheck, "Y");
    EXPECT_EQ(saved.passwordCheck, "Y");
}
