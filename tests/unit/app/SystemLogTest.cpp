#include "app/SystemLog.h"

#include "common/Clock.h"
#include "common/Cp949.h"
#include "support/FailingWrites.h"
#include "support/TempDir.h"
#include "support/TestClock.h"

#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

using namespace qb;

namespace {

class SystemLogTest : public ::testing::Test {
protected:
    test::ClockAt m_at{LocalTime{2016, 9, 10, 9, 5, 7}};
    test::TempDir dir;
    FixedClock* m_clock = &m_at.clock();
};

} // namespace

TEST_F(SystemLogTest, LinesAreStampedAndEndWithCrLf) {
    dir.mkdir("LOG");
    const SystemLog log(dir.path());
    log.write(ko("Socket 연결성공..."));
    m_clock->advance(1);
    log.write(ko("Socket 연결실패...다시 시도바랍니다. "));
    EXPECT_EQ(test::readFile(dir.file("LOG/2016_09_10_SYS.log")),
              "2016-09-10 09:05:07 " + ko("Socket 연결성공...") + "\r\n" + "2016-09-10 09:05:08 " +
                  ko("Socket 연결실패...다시 시도바랍니다. ") + "\r\n");
    EXPECT_EQ(log.currentFilePath(), dir.file("LOG/2016_09_10_SYS.log"));
}

TEST_F(SystemLogTest, TextIsWrittenUnchanged) {
    dir.mkdir("LOG");
    const std::string raw("a%s%d\x04\x02\xFF\r\nb\0", 12);
    SystemLog(dir.path()).write(raw);
    SystemLog(dir.path()).write("");
    EXPECT_EQ(test::readFile(dir.file("LOG/2016_09_10_SYS.log")),
              "2016-09-10 09:05:07 " + raw + "\r\n2016-09-10 09:05:07 \r\n");
}

TEST_F(SystemLogTest, ALineThatDoesNotFitLeavesNoTrace) {
    dir.mkdir("LOG");
    const SystemLog log(dir.path());
    log.write("first");
    const std::string first = "2016-09-10 09:05:07 first\r\n";
    {
        // A disk with room for ten more bytes.
        const test::FailingWrites full(first.size() + 10);
        log.write("a line longer than the room that is left");
    }
    log.write("third");
    EXPECT_EQ(test::readFile(dir.file("LOG/2016_09_10_SYS.log")), first + "2016-09-10 09:05:07 third\r\n");
}

TEST_F(SystemLogTest, NewFileAfterMidnightAndSingleDigitFields) {
    dir.mkdir("LOG");
    const SystemLog log(dir.path());
    m_clock->set(fromLocal({2016, 12, 31, 23, 59, 59}));
    log.write("last");
    m_clock->advance(1);
    log.write("first");
    EXPECT_EQ(test::readFile(dir.file("LOG/2016_12_31_SYS.log")), "2016-12-31 23:59:59 last\r\n");
    EXPECT_EQ(test::readFile(dir.file("LOG/2017_01_01_SYS.log")), "2017-01-01 00:00:00 first\r\n");
}

TEST_F(SystemLogTest, FollowsTheStartFolderNotTheCurrentDirectory) {
    dir.mkdir("LOG");
    dir.mkdir("elsewhere/LOG");
    const SystemLog log(dir.path());
    char* before = ::getcwd(nullptr, 0);
    ASSERT_EQ(::chdir(dir.file("elsewhere").c_str()), 0);
    log.write("x");
    ASSERT_EQ(::chdir(before), 0);
    ::free(before);
    EXPECT_TRUE(test::fileExists(dir.file("LOG/2016_09_10_SYS.log")));
    EXPECT_FALSE(test::fileExists(dir.file("elsewhere/LOG/2016_09_10_SYS.log")));
}

TEST_F(SystemLogTest, SilentWhenTheFileCannotBeWritten) {
    // No LOG folder: nothing is created.
    SystemLog(dir.path()).write("x");
    EXPECT_FALSE(test::fileExists(dir.file("LOG")));
    // LOG is a file, not a folder.
    dir.write("LOG", "");
    SystemLog(dir.path()).write("x");
    EXPECT_EQ(test::readFile(dir.file("LOG")), "");
    // The day's file is a folder.
    test::TempDir other;
    other.mkdir("LOG/2016_09_10_SYS.log");
    SystemLog(other.path()).write("x");
    // A working folder that does not exist.
    SystemLog(dir.file("missing")).write("x");
    EXPECT_FALSE(test::fileExists(dir.file("missing")));
}
