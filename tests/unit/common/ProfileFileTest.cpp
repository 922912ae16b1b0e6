#include "common/ProfileFile.h"

#include "common/Cp949.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

using namespace qb;
using test::readFile;

TEST(ProfileFile, MissingFileSectionOrKeyGivesTheDefault) {
    test::TempDir dir;
    const ProfileFile missing(dir.file("none.ini"));
    EXPECT_EQ(missing.read("LOGIN", "ID", "dflt"), "dflt");
    EXPECT_TRUE(missing.readSection("LOGIN").empty());

    const ProfileFile ini(dir.write("a.ini", "[PROGRAM]\r\nVERSION=2.1.5\r\n"));
    EXPECT_EQ(ini.read("LOGIN", "VERSION", "x"), "x");
    EXPECT_EQ(ini.read("PROGRAM", "MISSING", "y"), "y");
    EXPECT_EQ(ini.read("PROGRAM", "VERSION"), "2.1.5");

    // A folder where the file should be reads as missing and cannot be written.
    const ProfileFile folder(dir.mkdir("folder.ini"));
    EXPECT_EQ(folder.read("LOGIN", "ID", "dflt"), "dflt");
    EXPECT_TRUE(folder.readSection("LOGIN").empty());
    EXPECT_FALSE(folder.write("LOGIN", "ID", "x"));
}

TEST(ProfileFile, NamesCompareCaseInsensitivelyValuesDoNot) {
    test::TempDir dir;
    const ProfileFile ini(dir.write("a.ini", "[Login]\nIdCheck = y \nID=Abc\n[other]\nID=zzz\n"));
    EXPECT_EQ(ini.read("LOGIN", "IDCHECK"), "y");
    EXPECT_EQ(ini.read("login", "id"), "Abc");
    EXPECT_EQ(ini.read("OTHER", "Id"), "zzz");
}

TEST(ProfileFile, ReadsCrLfAndLfAndQuotedValues) {
    test::TempDir dir;
    const ProfileFile crlf(dir.write("c.ini", "[S]\r\nA=1\r\nB=\"two words\"\r\n"));
    const ProfileFile lf(dir.write("l.ini", "[S]\nA=1\nB=\"two words\""));
    for (const ProfileFile* f : {&crlf, &lf}) {
        EXPECT_EQ(f->read("S", "A"), "1");
        EXPECT_EQ(f->read("S", "B"), "two words");
    }
}

TEST(ProfileFile, WriteCreatesFileSectionAndKey) {
    test::TempDir dir;
    const ProfileFile ini(dir.file("Env.cfg"));
    ASSERT_TRUE(
        ini.write("LOGIN", {{"ID", "0000"}, {"IDCHECK", "N"}, {"PASSWD", "0000"}, {"PASSCHECK", "N"}}));
    EXPECT_EQ(readFile(ini.path()), "[LOGIN]\r\nID=0000\r\nIDCHECK=N\r\nPASSWD=0000\r\nPASSCHECK=N\r\n");

    ASSERT_TRUE(ini.write("login", "idcheck", "Y"));
    ASSERT_TRUE(ini.write("PROGRAM", "VERSION", "1.0"));
    EXPECT_EQ(
        readFile(ini.path()),
        "[LOGIN]\r\nID=0000\r\nidcheck=Y\r\nPASSWD=0000\r\nPASSCHECK=N\r\n[PROGRAM]\r\nVERSION=1.0\r\n");
}

TEST(ProfileFile, WriteKeepsOtherLinesAndTheFilesLineEnds) {
    test::TempDir dir;
    const ProfileFile ini(dir.write("r.ini", "; kept\n[Reject]\nReject_001=NONE,\n\n[Other]\nx=1\n"));
    ASSERT_TRUE(ini.write("Reject", "Reject_002", "TRUE,a,/tmp/a.txt"));
    EXPECT_EQ(readFile(ini.path()),
              "; kept\n[Reject]\nReject_001=NONE,\nReject_002=TRUE,a,/tmp/a.txt\n\n[Other]\nx=1\n");
}

TEST(ProfileFile, Cp949ValuesAreStoredByteForByte) {
    test::TempDir dir;
    const ProfileFile ini(dir.file("k.ini"));
    const std::string value = ko("TRUE,거부목록,/home/사용자/거부.txt");
    ASSERT_TRUE(ini.write("Reject", "Reject_001", value));
    EXPECT_EQ(ini.read("Reject", "Reject_001"), value);
    const auto section = ini.readSection("REJECT");
    ASSERT_EQ(section.size(), 1u);
    EXPECT_EQ(section[0].second, value);
}

TEST(ProfileFile, OwnerOnlyFileAndFailedWrite) {
    test::TempDir dir;
    const ProfileFile env(dir.file("Env.cfg"), ProfileFile::Access::OwnerOnly);
    ASSERT_TRUE(env.write("LOGIN", "PASSWD", "secret"));
    struct stat st {};
    ASSERT_EQ(::stat(env.path().c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0600u);

    const ProfileFile nowhere(dir.file("no/such/folder/x.ini"));
    EXPECT_FALSE(nowhere.write("A", "B", "C"));
    EXPECT_FALSE(test::fileExists(nowhere.path()));
}
