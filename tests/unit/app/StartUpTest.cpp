#include "app/StartUp.h"
#include "app/SingleInstanceLock.h"

#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <sys/wait.h>
#include <unistd.h>

using namespace qb;
using startup::StartAction;

TEST(StartUp, UpdaterSwitchIsAPlainSubstringOfTheArguments) {
    struct Row {
        std::vector<std::string> args;
        bool expected;
    };
    const Row rows[] = {
        {{"/u"}, true},           {{"-x", "/u"}, true}, {{"x/uy"}, true}, // inside a longer word
        {{"/usr/share/x"}, true}, {{}, false},          {{"-u"}, false},
        {{"/U"}, false},          {{"/", "u"}, false}, // joined with a blank
        {{"u/"}, false},
    };
    for (const Row& r : rows) {
        std::string shown;
        for (const auto& a : r.args)
            shown += "[" + a + "]";
        EXPECT_EQ(startup::hasUpdaterSwitch(r.args), r.expected) << shown;
    }
}

TEST(SingleInstanceLock, OneHolderPerFolder) {
    test::TempDir dir;
    test::TempDir other;
    SingleInstanceLock first(dir.path());
    ASSERT_EQ(first.tryLock(), SingleInstanceLock::Result::Acquired);
    EXPECT_EQ(first.path(), dir.file("Quillbank2.lock"));
    EXPECT_TRUE(test::fileExists(first.path()));

    {
        SingleInstanceLock second(dir.path());
        EXPECT_EQ(second.tryLock(), SingleInstanceLock::Result::HeldByAnother);
        SingleInstanceLock elsewhere(other.path());
        EXPECT_EQ(elsewhere.tryLock(), SingleInstanceLock::Result::Acquired);
    }
    // Refusing the second did not disturb the first.
    EXPECT_TRUE(first.isLocked());
    EXPECT_TRUE(test::fileExists(first.path()));

    first.unlock();
    EXPECT_FALSE(test::fileExists(first.path()));
    SingleInstanceLock third(dir.path());
    EXPECT_EQ(third.tryLock(), SingleInstanceLock::Result::Acquired);
}

TEST(SingleInstanceLock, CrashedHolderLeavesNoLockBehind) {
    test::TempDir dir;
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        // Takes the lock and dies without releasing it, as a crash would.
        SingleInstanceLock lock(dir.path());
        ::_exit(lock.tryLock() == SingleInstanceLock::Result::Acquired ? 0 : 1);
    }
    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFEXITED(status));
    ASSERT_EQ(WEXITSTATUS(status), 0);
    ASSERT_TRUE(test::fileExists(dir.file("Quillbank2.lock"))); // left behind

    SingleInstanceLock lock(dir.path());
    EXPECT_EQ(lock.tryLock(), SingleInstanceLock::Result::Acquired);
}

TEST(SingleInstanceLock, ForeignProcessIdIsStale) {
    // The file names a live process of this very program (ourselves), but
    // nobody holds the file lock: a leftover whose process id was reused.
    test::TempDir dir;
    dir.write("Quillbank2.lock", std::to_string(::getpid()) + "\nunit_tests\n" + "\n");
    SingleInstanceLock lock(dir.path());
    EXPECT_EQ(lock.tryLock(), SingleInstanceLock::Result::Acquired);
}

TEST(SingleInstanceLock, FolderWithoutRoomForTheFile) {
    test::TempDir dir;
    SingleInstanceLock lock(dir.file("missing"));
    EXPECT_EQ(lock.tryLock(), SingleInstanceLock::Result::Unavailable);
    // Nothing tells that another client runs, so this one does.
    EXPECT_EQ(startup::decide(false, true), StartAction::Run);
}
