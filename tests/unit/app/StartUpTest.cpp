#include "app/StartUp.h"
#include "app/SingleInstanceLock.h"

#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/stat.h>
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

TEST(StartUp, UpdaterBesideTheClientElseOnThePath) {
    test::TempDir root;
    const std::string bin = root.mkdir("bin"), local = root.mkdir("local"), tools = root.mkdir("tools"),
                      empty = root.mkdir("empty");
    auto program = [](const std::string& path, mode_t mode) {
        ASSERT_EQ(::close(::open(path.c_str(), O_CREAT | O_WRONLY, mode)), 0);
        ASSERT_EQ(::chmod(path.c_str(), mode), 0);
    };
    program(bin + "/qbupdater", 0755);
    program(local + "/qbupdater", 0644); // not executable
    program(tools + "/qbupdater", 0755);
    ::mkdir((empty + "/qbupdater").c_str(), 0755); // a folder of that name

    struct Row {
        std::string folder, path, expected;
    };
    const Row rows[] = {
        {bin, tools, bin + "/qbupdater"},                                       // beside the client first
        {root.path(), local + ":" + empty + ":" + tools, tools + "/qbupdater"}, // skips what cannot run
        {root.path(), "::" + tools + ":", tools + "/qbupdater"},
        {root.path(), "", root.path() + "/qbupdater"}, // none: the place it should be
        {root.path(), local, root.path() + "/qbupdater"},
    };
    for (const Row& r : rows)
        EXPECT_EQ(startup::updaterPath(r.folder, r.path), r.expected) << r.folder << " " << r.path;
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
