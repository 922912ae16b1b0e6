#include "common/RegularFile.h"

#include "common/HugePages.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace qb {

bool readRegularFile(const std::string& path, std::string& out) {
    out.clear();
    // Non-blocking, so opening a FIFO does not wait for a writer; the check is on
    // what was opened, not on the name, which may change in between.
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NOCTTY | O_NONBLOCK);
    if (fd < 0)
        return false;
    struct stat st {};
    bool ok = ::fstat(fd, &st) == 0 && S_ISREG(st.st_mode);
    if (ok && st.st_size > 0) {
        out.reserve(static_cast<std::size_t>(st.st_size));
        adviseHugePages(out);
    }
    char buf[1 << 16];
    while (ok) {
        const ssize_t n = ::read(fd, buf, sizeof buf);
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0)
            ok = false;
        if (n <= 0)
            break;
        out.append(buf, static_cast<std::size_t>(n));
    }
    ::close(fd);
    if (!ok)
        out.clear();
    return ok;
}

} // namespace qb
