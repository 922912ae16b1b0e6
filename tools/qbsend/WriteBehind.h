#pragma once

#include <cstddef>
#include <sys/types.h>

namespace qb {

// For output of hundreds of megabytes that is written once and not read back soon
// (a dry run of millions of rows): as it grows, what was written is handed to the
// disk and, a step later, its page cache let go. The output then holds a few tens
// of megabytes of memory instead of all of it, and takes pages that were just
// freed instead of fresh ones, which on a virtual machine can cost more than the
// writing itself. Only hints to the kernel: nothing is waited for, a failure is
// ignored, and anything but a regular file is left alone.
class WriteBehind {
public:
    static constexpr off_t kDefaultStep = off_t{32} << 20;

    explicit WriteBehind(int fd, off_t step = kDefaultStep);
    bool active() const { return m_fd >= 0; }

    // `bytes` more have reached the file descriptor (flushed, not just buffered).
    void wrote(std::size_t bytes);

private:
    int m_fd = -1;
    off_t m_step;
    off_t m_written = 0; // the file offset the output has reached
    off_t m_sent = 0;    // written back from here on ...
    off_t m_dropped = 0; // ... and let go up to here
};

} // namespace qb
