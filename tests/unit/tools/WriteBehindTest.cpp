#include "WriteBehind.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/mman.h>
#include <unistd.h>

#include <string>
#include <vector>

using namespace qb;
using namespace qb::test;

namespace {

constexpr off_t kStep = 64 << 10;

void put(int fd, WriteBehind& behind, const std::string& bytes) {
    ASSERT_EQ(::write(fd, bytes.data(), bytes.size()), static_cast<ssize_t>(bytes.size()));
    behind.wrote(bytes.size());
}

// Pages of [from, to) in the page cache, whole pages only.
int residentPages(int fd, off_t from, off_t to) {
    const long page = ::sysconf(_SC_PAGESIZE);
    void* map = ::mmap(nullptr, static_cast<std::size_t>(to), PROT_READ, MAP_SHARED, fd, 0);
    if (map == MAP_FAILED)
        return -1;
    std::vector<unsigned char> in(static_cast<std::size_t>((to + page - 1) / page));
    const int rc = ::mincore(map, static_cast<std::size_t>(to), in.data());
    ::munmap(map, static_cast<std::size_t>(to));
    if (rc != 0)
        return -1;
    int count = 0;
    for (off_t p = (from + page - 1) / page; p < to / page; ++p)
        count += in[static_cast<std::size_t>(p)] & 1;
    return count;
}

// Whether this file system lets clean pages be dropped at all (tmpfs does not).
bool pagesCanBeDropped(const TempDir& dir) {
    const int fd = ::open(dir.file("probe").c_str(), O_RDWR | O_CREAT | O_TRUNC, 0600);
    const std::string bytes(kStep, 'p');
    const bool dropped = fd >= 0 && ::write(fd, bytes.data(), bytes.size()) == kStep &&
                         ::fdatasync(fd) == 0 && residentPages(fd, 0, kStep) > 0 &&
                         ::posix_fadvise(fd, 0, kStep, POSIX_FADV_DONTNEED) == 0 &&
                         residentPages(fd, 0, kStep) == 0;
    if (fd >= 0)
        ::close(fd);
    return dropped;
}

} // namespace

TEST(WriteBehind, LetsGoOfWhatWasWrittenAStepBackAndLeavesOtherOutputAlone) {
    int pipeFds[2];
    ASSERT_EQ(::pipe(pipeFds), 0);
    EXPECT_FALSE(WriteBehind(pipeFds[1]).active());
    EXPECT_FALSE(WriteBehind(-1).active());
    ::close(pipeFds[0]);
    ::close(pipeFds[1]);

    TempDir dir;
    if (!pagesCanBeDropped(dir))
        GTEST_SKIP() << "this file system keeps its pages";
    const int fd = ::open(dir.file("out.txt").c_str(), O_RDWR | O_CREAT | O_TRUNC, 0600);
    ASSERT_GE(fd, 0);
    const std::string header(100, 'h');
    ASSERT_EQ(::write(fd, header.data(), header.size()), 100);
    WriteBehind behind(fd, kStep); // counts from where the output stands
    ASSERT_TRUE(behind.active());

    std::string expected = header;
    auto piece = [&](char c) {
        std::string bytes(kStep / 4, c);
        put(fd, behind, bytes);
        expected += bytes;
    };
    for (char c : {'a', 'b', 'c', 'd'}) // one step: sent to the disk
        piece(c);
    ASSERT_EQ(::fdatasync(fd), 0);
    const off_t firstStepEnd = 100 + kStep;
    for (char c : {'e', 'f', 'g'}) // not yet a step: the first one is kept
        piece(c);
    EXPECT_GT(residentPages(fd, 100, firstStepEnd), 0);
    piece('h'); // the second step: the first one, written back, is let go
    EXPECT_EQ(residentPages(fd, 100, firstStepEnd), 0);
    EXPECT_GT(residentPages(fd, firstStepEnd, firstStepEnd + kStep), 0);

    ::close(fd);
    EXPECT_EQ(readFile(dir.file("out.txt")), expected);
}
