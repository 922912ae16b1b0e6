#include "app/SystemLog.h"

#include "common/Clock.h"

#include <cerrno>
#include <cstdio>
#include <fcntl.h>
#include <unistd.h>

namespace qb {
namespace {

std::string filePath(const std::string& folder, const LocalTime& t) {
    char name[64];
    std::snprintf(name, sizeof name, "LOG/%d_%02d_%02d_SYS.log", t.year, t.month, t.day);
    return folder + "/" + name;
}

} // namespace

SystemLog::SystemLog(std::string workingFolder) : m_folder(std::move(workingFolder)) {}

std::string SystemLog::currentFilePath() const {
    return filePath(m_folder, localNow());
}

void SystemLog::write(std::string_view text) const {
    // One clock reading for both the file name and the stamp, so a line written
    // at midnight cannot land in the previous day's file.
    const LocalTime t = localNow();
    char stamp[32];
    const int n = std::snprintf(stamp, sizeof stamp, "%d-%02d-%02d %02d:%02d:%02d ", t.year, t.month, t.day,
                                t.hour, t.minute, t.second);
    std::string line(stamp, static_cast<std::size_t>(n));
    line.append(text);
    line.append("\r\n");

    const int fd = ::open(filePath(m_folder, t).c_str(), O_WRONLY | O_APPEND | O_CREAT | O_CLOEXEC, 0644);
    if (fd < 0)
        return;
    // A line goes in whole or not at all: after a short write (a full disk) the file is
    // cut back to where it ended, so the next line does not continue a broken one.
    const off_t end = ::lseek(fd, 0, SEEK_END);
    std::size_t written = 0;
    while (written < line.size()) {
        const ssize_t w = ::write(fd, line.data() + written, line.size() - written);
        if (w < 0 && errno == EINTR)
            continue;
        if (w <= 0)
            break;
        written += static_cast<std::size_t>(w);
    }
    if (written < line.size() && written > 0 && end >= 0 && ::ftruncate(fd, end) != 0) {
        // Nothing more to try; the caller never learns of log failures.
    }
    ::close(fd);
}

} // namespace qb
