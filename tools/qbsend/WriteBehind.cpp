#include "WriteBehind.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace qb {

WriteBehind::WriteBehind(int fd, off_t step) : m_step(step) {
    struct stat st {};
    if (fd < 0 || ::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode))
        return;
    const off_t at = ::lseek(fd, 0, SEEK_CUR);
    if (at < 0)
        return;
    m_fd = fd;
    m_written = m_sent = m_dropped = at;
}

void WriteBehind::wrote(std::size_t bytes) {
    if (m_fd < 0)
        return;
    m_written += static_cast<off_t>(bytes);
    if (m_written - m_sent < m_step)
        return;
    // The step sent last time has had a whole step's writing to reach the disk; pages
    // still dirty or under writeback are simply kept.
    if (m_sent > m_dropped) {
        ::posix_fadvise(m_fd, m_dropped, m_sent - m_dropped, POSIX_FADV_DONTNEED);
        m_dropped = m_sent;
    }
    ::sync_file_range(m_fd, m_sent, m_written - m_sent, SYNC_FILE_RANGE_WRITE);
    m_sent = m_written;
}

} // namespace qb
