#include "common/AtomicFile.h"

#include "support/FailingWrites.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <filesystem>

using namespace qb;

// A write the disk cuts short leaves the old file whole and no temporary file
// behind; one that just fits replaces it.
TEST(AtomicFile, AShortWriteKeepsTheOldFile) {
    const std::string next(4096, 'n');
    struct Case {
        std::size_t room;
        bool written;
    } cases[] = {
        {0, false},
        {next.size() - 1, false},
        {next.size(), true},
    };
    for (const Case& c : cases) {
        test::TempDir dir;
        const std::string path = dir.write("Env.cfg", "old contents");
        bool ok = false;
        {
            const test::FailingWrites full(c.room);
            ok = writeFileAtomically(path, next);
        }
        EXPECT_EQ(ok, c.written) << c.room;
        EXPECT_EQ(test::readFile(path), c.written ? next : "old contents") << c.room;
        const auto entries = std::distance(std::filesystem::directory_iterator(dir.path()), {});
        EXPECT_EQ(entries, 1) << c.room;
    }
}
