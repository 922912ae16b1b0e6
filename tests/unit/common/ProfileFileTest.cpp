#include "common/ProfileFile.h"

#include "common/Cp949.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

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

// Names compare without case, values keep theirs; CR LF or LF; and where files
// saved by other programs differ from what the profile functions read.
TEST(ProfileFile, ValuesReadAsTheProfileFunctionsReadThem) {
    test::TempDir dir;
    const std::string bom = "\xEF\xBB\xBF";
    const std::string names = "[Login]\nIdCheck = y \nID=Abc\n[other]\nID=zzz\n";
    const std::string crlf = "[S]\r\nA=1\r\nB=\"two words\"\r\n", lf = "[S]\nA=1\nB=\"two words\"";
    struct Case {
        const char* name;
        std::string content;
        const char* section;
        const char* key;
        std::string value;
    } cases[] = {
        {"names without case", names, "LOGIN", "IDCHECK", "y"},
        {"value with its case", names, "login", "id", "Abc"},
        {"another section", names, "OTHER", "Id", "zzz"},
        {"crlf", crlf, "S", "A", "1"},
        {"crlf, quoted", crlf, "S", "B", "two words"},
        {"lf", lf, "S", "A", "1"},
        {"lf, quoted at the end", lf, "S", "B", "two words"},
        {"bom before the first section", bom + "[SERVICE]\r\nHOST=example.org\r\n", "SERVICE", "HOST",
         "example.org"},
        {"bom, lf only", bom + "[PROGRAM]\nVERSION=2.1.5\n", "PROGRAM", "VERSION", "2.1.5"},
        {"zero-filled tail", "[LOGIN]\r\nID=abc\r\nIDCHECK=Y" + std::string(512, '\0'), "LOGIN", "IDCHECK",
         "Y"},
        {"zero-filled lines after", "[LOGIN]\r\nIDCHECK=Y\r\n" + std::string(64, '\0'), "LOGIN", "IDCHECK",
         "Y"},
        {"nul inside a value", std::string("[A]\nk=ab\0cd\n", 12), "A", "k", "ab"},
        {"nul inside a key", std::string("[A]\nkey\0junk=v\n", 15), "A", "key", "v"},
    };
    for (const Case& c : cases) {
        const ProfileFile ini(dir.write("case.ini", c.content));
        EXPECT_EQ(ini.read(c.section, c.key, "default"), c.value) << c.name;
    }

    // A rewrite keeps the mark and changes the section it hid, instead of adding a second one.
    const ProfileFile ini(dir.write("service.ini", bom + "[SERVICE]\r\nHOST=a\r\n"));
    ASSERT_TRUE(ini.write("SERVICE", "HOST", "b"));
    EXPECT_EQ(readFile(ini.path()), bom + "[SERVICE]\r\nHOST=b\r\n");
}

TEST(ProfileFile, LineBreaksAndNulsAreNeverWritten) {
    test::TempDir dir;
    const ProfileFile ini(dir.write("Env.cfg", "[LOGIN]\r\nID=abc\r\n"));
    EXPECT_FALSE(ini.write("LOGIN", "PASSWD", "pw\r\nID=evil"));
    EXPECT_FALSE(ini.write("LOGIN", "ID\n", "x"));
    EXPECT_FALSE(ini.write("LOG\rIN", "ID", "x"));
    EXPECT_FALSE(ini.write("LOGIN", "ID", std::string("a\0b", 3)));
    EXPECT_EQ(readFile(ini.path()), "[LOGIN]\r\nID=abc\r\n");
}

TEST(ProfileFile, ALinkIsUpdatedThroughTheLink) {
    test::TempDir dir;
    dir.mkdir("real");
    const std::string target = dir.write("real/update.ini", "[PROGRAM]\r\nVERSION=1.0\r\n");
    ASSERT_EQ(::chmod(target.c_str(), 0640), 0);
    ASSERT_EQ(::symlink("real/update.ini", dir.file("update.ini").c_str()), 0);
    const ProfileFile ini(dir.file("update.ini"));
    ASSERT_TRUE(ini.write("PROGRAM", "VERSION", "2.0"));
    struct stat st {};
    ASSERT_EQ(::lstat(dir.file("update.ini").c_str(), &st), 0);
    EXPECT_TRUE(S_ISLNK(st.st_mode));
    EXPECT_EQ(readFile(target), "[PROGRAM]\r\nVERSION=2.0\r\n");
    ASSERT_EQ(::stat(target.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0640u);

    // A link to a file not there yet creates it where the link points.
    ASSERT_EQ(::symlink("real/Env.cfg", dir.file("Env.cfg").c_str()), 0);
    ASSERT_TRUE(ProfileFile(dir.file("Env.cfg")).write("LOGIN", "ID", "abc"));
    EXPECT_EQ(readFile(dir.file("real/Env.cfg")), "[LOGIN]\r\nID=abc\r\n");
}

TEST(ProfileFile, AFileOverOneMebibyteIsNeitherReadNorRewritten) {
    test::TempDir dir;
    const std::string head = "[SERVICE]\r\nHOST=far.example\r\n";
    struct Case {
        std::size_t size;
        bool read;
    };
    for (const Case c : {Case{ProfileFile::kMaxBytes, true}, Case{ProfileFile::kMaxBytes + 1, false},
                         Case{20u * 1024 * 1024, false}}) {
        // Blank lines after the section: what a file grown by accident holds.
        const std::string bytes = head + std::string(c.size - head.size(), '\n');
        const ProfileFile ini(dir.write("service.ini", bytes));
        const ProfileFile::Contents contents = ini.load();
        EXPECT_EQ(contents.tooLarge(), !c.read) << c.size;
        EXPECT_EQ(contents.read("service", "host", "dflt"), c.read ? "far.example" : "dflt") << c.size;
        EXPECT_EQ(ini.readSection("SERVICE").size(), c.read ? 1u : 0u) << c.size;
        EXPECT_EQ(ini.write("SERVICE", "HOST", "near.example"), c.read) << c.size;
        if (!c.read) {
            EXPECT_EQ(readFile(ini.path()), bytes) << c.size;
        }
    }
    EXPECT_EQ(cp949::toUtf8(ProfileFile::tooLargeMessage(dir.file("service.ini"))),
              dir.file("service.ini") + "\n설정 파일이 너무 큽니다(1MB 초과). 이 파일은 읽지 않습니다.");
}
