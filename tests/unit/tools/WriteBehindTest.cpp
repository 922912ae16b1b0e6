#include "WriteBehind.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/mman.h>
#include <unistd.h>

#include <string>
#include <vector>

using namespace qb;

namespace {

constexpr off_t kStep = 64 << 10;

// Whole pages of the file's [from, to) in the page cache, -1 when it cannot be told.
int residentPages(int fd, off_t from, off_t to) {
    const long page = ::sysconf(_SC_PAGESIZE);
    const auto length = static_cast<std::size_t>(to);
    void* map = ::mmap(nullptr, length, PROT_READ, MAP_SHARED, fd, 0);
    std::vector<unsigned char> in(length / static_cast<std::size_t>(page) + 1);
    const bool ok = map != MAP_FAILED && ::mincore(map, length, in.data()) == 0;
    if (map != MAP_FAILED)
        ::munmap(map, length);
    int count = 0;
    for (off_t p = (from + page - 1) / page; ok && p < to / page; ++p)
        count += in[static_cast<std::size_t>(p)] & 1;
    return ok ? count : -1;
}

} // namespace

TEST(WriteBehind, LetsGoOfWhatWasWrittenAStepBack) {
    EXPECT_FALSE(WriteBehind(-1).active());
    test::TempDir dir;
    const int fd = ::open(dir.file("out.txt").c_str(), O_RDWR | O_CREAT | O_TRUNC, 0600);
    ASSERT_GE(fd, 0);
    const long page = ::sysconf(_SC_PAGESIZE);
    const std::string header(static_cast<std::size_t>(page) + 100, 'h'); // the steps count from here
    ASSERT_EQ(::write(fd, header.data(), header.size()), static_cast<ssize_t>(header.size()));
    WriteBehind behind(fd, kStep);
    ASSERT_TRUE(behind.active());
    const off_t first = static_cast<off_t>(header.size());
    for (char c = 'a'; c <= 'h'; ++c) {
        const std::string piece(kStep / 4, c);
        ASSERT_EQ(::write(fd, piece.data(), piece.size()), kStep / 4);
        behind.wrote(piece.size());
        if (c == 'd') { // the first step is handed to the disk; written back, it waits for the next
            ASSERT_EQ(::fdatasync(fd), 0);
            ::posix_fadvise(fd, 0, page, POSIX_FADV_DONTNEED);
            if (residentPages(fd, 0, page) != 0) {
                ::close(fd);
                GTEST_SKIP() << "this file system keeps its pages";
            }
            EXPECT_GT(residentPages(fd, first, first + kStep), 0);
        }
    }
    EXPECT_EQ(residentPages(fd, first, first + kStep), 0);
    EXPECT_GT(residentPages(fd, first + kStep, first + 2 * kStep), 0);
    ::close(fd);
}
