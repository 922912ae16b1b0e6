#include "common/RegularFile.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace qb {
namespace {

// Non-blocking, so opening a FIFO does not wait for a writer; the checks are on what
// was opened, not on the name, which may change in between.
int openRegular(const std::string& path, struct stat& st) {
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NOCTTY | O_NONBLOCK);
    if (fd < 0)
        return -1;
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        ::close(fd);
        return -1;
    }
    return fd;
}

} // namespace

FileRead readRegularFile(const std::string& path, std::string& out, std::size_t maxBytes) {
    out.clear();
    struct stat st {};
    const int fd = openRegular(path, st);
    if (fd < 0)
        return FileRead::Missing;
    if (static_cast<unsigned long long>(st.st_size) > maxBytes) {
        ::close(fd);
        return FileRead::TooLarge;
    }
    if (st.st_size > 0) {
        out.reserve(static_cast<std::size_t>(st.st_size));
    }
    FileRead result = FileRead::Ok;
    char buf[1 << 16];
    for (;;) {
        const ssize_t n = ::read(fd, buf, sizeof buf);
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0)
            result = FileRead::Missing;
        if (n <= 0)
            break;
        if (static_cast<std::size_t>(n) > maxBytes - out.size()) {
            result = FileRead::TooLarge;
            break;
        }
        out.append(buf, static_cast<std::size_t>(n));
    }
    ::close(fd);
    if (result != FileRead::Ok) {
        out.clear();
        out.shrink_to_fit();
    }
    return result;
}

bool readRegularFileBlocksFrom(const std::string& path, std::uint64_t from,
                               bool (*sink)(void*, std::string_view), void* context) {
    struct stat st {};
    const int fd = openRegular(path, st);
    if (fd < 0)
        return false;
    std::string buf(1 << 20, '\0');
    bool ok = true;
    auto at = static_cast<off_t>(from);
    for (;;) {
        const ssize_t n = ::pread(fd, buf.data(), buf.size(), at);
        if (n < 0 && errno == EINTR)
            continue;
        ok = n >= 0;
        if (n <= 0 || !sink(context, std::string_view(buf.data(), static_cast<std::size_t>(n))))
            break;
        at += n;
    }
    ::close(fd);
    return ok;
}

bool regularFileReadable(const std::string& path) {
    struct stat st {};
    const int fd = openRegular(path, st);
    if (fd < 0)
        return false;
    ::close(fd);
    return true;
}

std::string_view baseName(std::string_view path) {
    const std::size_t slash = path.rfind('/');
    return slash == std::string_view::npos ? path : path.substr(slash + 1);
}

} // namespace qb
