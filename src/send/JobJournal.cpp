#include "send/JobJournal.h"

#include "common/Clock.h"

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <cstdint>
#include <cstring>
#include <ctime>
#include <dirent.h>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <system_error>
#include <unistd.h>

namespace qb {
namespace {

const std::string kSuffix = ".qbj";

bool writeAll(int fd, std::string_view bytes) {
    while (!bytes.empty()) {
        const ssize_t n = ::write(fd, bytes.data(), bytes.size());
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return false;
        bytes.remove_prefix(static_cast<std::size_t>(n));
    }
    return true;
}

bool syncFolder(const std::string& folder) {
    const int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0)
        return false;
    const bool ok = ::fsync(fd) == 0;
    ::close(fd);
    return ok;
}

std::string folderOfPath(const std::string& path) {
    const std::size_t slash = path.rfind('/');
    return slash == std::string::npos ? "." : path.substr(0, slash);
}

// The time first, so that names sort oldest first; never the name of another journal.
std::string newJournalPath(const std::string& folder) {
    static std::atomic<unsigned> made{0};
    return folder + "/" + formatLocalNow("%Y%m%d%H%M%S") + "-" + std::to_string(::getpid()) + "-" +
           std::to_string(++made) + kSuffix;
}

// An entry framed around bytes kept elsewhere: megabytes of records are not copied.
bool writeEntry(int fd, JournalEntry type, std::string_view payload) {
    const JournalFrame frame = journalFrame(type, payload);
    return writeAll(fd, frame.front) && writeAll(fd, payload) && writeAll(fd, frame.back);
}

// The whole file of a new journal under `part`, locked and on disk: its
// descriptor, or -1 with `error` set and nothing left behind.
int writeJournalFile(const std::string& part, const std::string& head, std::string_view records,
                     std::string& error) {
    const int fd = ::open(part.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
    if (fd < 0) {
        error = part + ": " + std::strerror(errno);
        return -1;
    }
    bool ok = ::flock(fd, LOCK_EX | LOCK_NB) == 0 && writeAll(fd, kJournalMagic) &&
              writeEntry(fd, JournalEntry::Head, head);
    for (std::size_t at = 0; ok && at < records.size(); at += kJournalRecordsPerEntry)
        ok = writeEntry(fd, JournalEntry::Records, records.substr(at, kJournalRecordsPerEntry));
    if (ok && ::fdatasync(fd) == 0)
        return fd;
    const int why = errno;
    error = part + ": " + std::strerror(why);
    ::close(fd);
    ::unlink(part.c_str());
    errno = why;
    return -1;
}

constexpr std::string_view kPartSuffix = ".qbj.part";

// A crash while a journal was being written leaves its part behind; one nobody
// holds and nobody touched for a while is such a leftover.
void removeAbandonedParts(const std::string& folder) {
    DIR* dir = ::opendir(folder.c_str());
    if (!dir)
        return;
    const time_t before = ::time(nullptr) - 60;
    while (const dirent* e = ::readdir(dir)) {
        const std::string_view name = e->d_name;
        if (!name.ends_with(kPartSuffix))
            continue;
        const std::string path = folder + "/" + std::string(name);
        const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NOFOLLOW);
        if (fd < 0)
            continue;
        struct stat st {};
        if (::fstat(fd, &st) == 0 && S_ISREG(st.st_mode) && st.st_mtime < before &&
            ::flock(fd, LOCK_EX | LOCK_NB) == 0)
            ::unlink(path.c_str());
        ::close(fd);
    }
    ::closedir(dir);
}

} // namespace

struct JobJournal::Prepared {
    std::string folder, head, path;
    std::uint64_t generation = 0; // the fill of the queue it was written from
    std::future<int> file;        // the locked, synced part, or -1
};

JobJournal::JobJournal() = default;

JobJournal::~JobJournal() {
    discardPrepared();
    close();
}

std::string JobJournal::folderOf(const std::string& workingFolder) {
    return workingFolder + "/sendjob";
}

void JobJournal::prepare(const std::string& folder, const std::string& userId, MessageKind kind,
                         const PictureSlots& pictures, int pictureCount, const SendQueue& queue) {
    discardPrepared();
    if (queue.empty() || queue.taken() > 0 || (::mkdir(folder.c_str(), 0700) != 0 && errno != EEXIST))
        return;
    removeAbandonedParts(folder);
    auto p = std::make_unique<Prepared>();
    p->folder = folder;
    p->generation = queue.generation();
    std::shared_ptr<const std::string> records = queue.sharedArena();
    p->head = journalHead(userId, kind, pictures, pictureCount, queue.size(), records->size());
    p->path = newJournalPath(folder);
    // The records are let go once written: a queue filled anew frees them.
    try {
        p->file = std::async(std::launch::async,
                             [part = p->path + ".part", head = p->head, held = std::move(records)]() mutable {
                                 const std::shared_ptr<const std::string> records = std::move(held);
                                 std::string error;
                                 return writeJournalFile(part, head, *records, error);
                             });
    } catch (const std::system_error&) {
        return; // no thread to be had: the journal is written at "전송하기"
    }
    m_prepared = std::move(p);
}

void JobJournal::waitForPrepared() const {
    if (m_prepared)
        m_prepared->file.wait();
}

int JobJournal::takePrepared(const std::string& folder, const std::string& head, const SendQueue& queue,
                             std::string& path) {
    if (!m_prepared)
        return -1;
    // Within one fill the queue only grows, and the head holds its size.
    const Prepared& p = *m_prepared;
    if (p.folder != folder || p.head != head || queue.taken() > 0 || queue.generation() != p.generation) {
        discardPrepared();
        return -1;
    }
    const int fd = m_prepared->file.get();
    path = p.path;
    m_prepared.reset();
    return fd;
}

void JobJournal::discardPrepared() {
    if (!m_prepared)
        return;
    const std::unique_ptr<Prepared> p = std::move(m_prepared);
    if (const int fd = p->file.get(); fd >= 0) {
        ::close(fd);
        ::unlink((p->path + ".part").c_str());
    }
}

bool JobJournal::create(const std::string& folder, const std::string& userId, MessageKind kind,
                        const PictureSlots& pictures, int pictureCount, const SendQueue& queue,
                        std::string& error) {
    close();
    m_lastError = 0;
    if (::mkdir(folder.c_str(), 0700) != 0 && errno != EEXIST) {
        m_lastError = errno;
        discardPrepared();
        error = folder + ": " + std::strerror(errno);
        return false;
    }
    // Only what is left of the queue goes in: the records before it were an
    // earlier job's, and the ones left may refer back into them, so they are
    // packed anew.
    SendQueue rest;
    std::string_view records(queue.arena());
    if (queue.taken() > 0) {
        for (std::size_t i = 0; i < queue.size(); ++i)
            rest.push_back(queue.at(i));
        records = rest.arena();
    }
    const std::string head = journalHead(userId, kind, pictures, pictureCount, queue.size(), records.size());
    std::string path;
    int fd = takePrepared(folder, head, queue, path);
    if (fd < 0) {
        path = newJournalPath(folder);
        fd = writeJournalFile(path + ".part", head, records, error);
        if (fd < 0) {
            m_lastError = errno;
            return false;
        }
    }
    const std::string part = path + ".part";
    if (::rename(part.c_str(), path.c_str()) != 0 || !syncFolder(folder)) {
        m_lastError = errno;
        error = path + ": " + std::strerror(errno);
        ::close(fd);
        ::unlink(part.c_str());
        return false;
    }
    m_fd = fd;
    m_path = path;
    return true;
}

bool JobJournal::adopt(const JournalContents& contents, std::string& error) {
    close();
    const std::string& path = contents.path;
    const int fd = ::open(path.c_str(), O_WRONLY | O_APPEND | O_CLOEXEC);
    if (fd < 0 || ::flock(fd, LOCK_EX | LOCK_NB) != 0) {
        error = path + ": " + (fd < 0 ? std::strerror(errno) : "in use by another program");
        if (fd >= 0)
            ::close(fd);
        return false;
    }
    struct stat st {};
    if (::fstat(fd, &st) != 0 || static_cast<std::size_t>(st.st_size) != contents.fileSize) {
        error = path + ": changed since it was read";
        ::close(fd);
        return false;
    }
    // Entries appended behind a torn one would never be read.
    if (contents.validEnd < contents.fileSize &&
        (::ftruncate(fd, static_cast<off_t>(contents.validEnd)) != 0 || ::fdatasync(fd) != 0)) {
        error = path + ": " + std::strerror(errno);
        ::close(fd);
        return false;
    }
    m_fd = fd;
    m_path = path;
    return true;
}

bool JobJournal::writeAtEnd(const std::string& bytes) {
    const off_t end = ::lseek(m_fd, 0, SEEK_END);
    if (end >= 0 && writeAll(m_fd, bytes))
        return true;
    m_lastError = errno ? errno : EIO;
    if (end >= 0 && ::ftruncate(m_fd, end) != 0) {
        // The torn entry stays; nothing more may follow it.
        ::close(m_fd);
        m_fd = -1;
    }
    return false;
}

bool JobJournal::append(const std::string& entry) {
    if (m_fd < 0)
        return false;
    const off_t end = ::lseek(m_fd, 0, SEEK_END);
    if (!writeAtEnd(entry))
        return false;
    if (::fdatasync(m_fd) == 0)
        return true;
    // Not known to be on disk: the step it allows is not taken, so it goes.
    m_lastError = errno;
    if (::ftruncate(m_fd, end) != 0) {
        ::close(m_fd);
        m_fd = -1;
    }
    return false;
}

bool JobJournal::beginSegment(const JournalSegment& segment) {
    return append(segmentEntry(segment));
}

bool JobJournal::allow(long long upTo) {
    return append(allowEntry(upTo));
}

bool JobJournal::allowAhead(long long upTo) {
    if (m_fd < 0 || !allowSettled())
        return false;
    if (!writeAtEnd(allowEntry(upTo)))
        return false;
    try {
        m_sync = std::async(std::launch::async, [fd = m_fd] { return ::fdatasync(fd) == 0; });
    } catch (const std::system_error&) {
        return ::fdatasync(m_fd) == 0; // no thread to be had: synced here instead
    }
    return true;
}

bool JobJournal::allowSettled() {
    if (!m_sync.valid())
        return true;
    if (m_sync.get())
        return true;
    m_lastError = EIO;
    return false;
}

bool JobJournal::recordTaken(std::size_t segment, long long count) {
    return append(takenEntry(segment, count));
}

bool JobJournal::recordReached(std::size_t segment, long long count) {
    return append(reachedEntry(segment, count));
}

void JobJournal::finish() {
    if (m_fd < 0)
        return;
    ::unlink(m_path.c_str());
    syncFolder(folderOfPath(m_path));
    close();
}

void JobJournal::close() {
    allowSettled(); // the descriptor is the helper's until then
    if (m_fd >= 0)
        ::close(m_fd); // lets go of the lock too
    m_fd = -1;
    m_path.clear();
}

bool JobJournal::remove(const std::string& path) {
    const bool ok = ::unlink(path.c_str()) == 0;
    syncFolder(folderOfPath(path));
    return ok;
}

std::vector<std::string> JobJournal::pending(const std::string& folder, const std::string& userId) {
    std::vector<std::string> paths;
    for (const Listed& listed : list(folder)) {
        if (listed.inUse)
            continue;
        const int fd = ::open(listed.path.c_str(), O_RDONLY | O_CLOEXEC | O_NOFOLLOW);
        if (fd < 0)
            continue;
        struct stat st {};
        bool mine = ::fstat(fd, &st) == 0 && S_ISREG(st.st_mode);
        if (mine) {
            // Only the head is needed to know whose it is.
            char buf[256];
            const ssize_t n = ::pread(fd, buf, sizeof buf, 0);
            const std::string_view start(buf, n > 0 ? static_cast<std::size_t>(n) : 0);
            // Unreadable journals are shown to their user as broken.
            if (const std::optional<std::string> user = journalUserId(start))
                mine = *user == userId;
        }
        ::close(fd);
        if (mine)
            paths.push_back(listed.path);
    }
    return paths;
}

std::vector<JobJournal::Listed> JobJournal::list(const std::string& folder) {
    std::vector<Listed> found;
    DIR* dir = ::opendir(folder.c_str());
    if (!dir)
        return found;
    while (const dirent* e = ::readdir(dir)) {
        const std::string name = e->d_name;
        if (name.size() > kSuffix.size() && name.ends_with(kSuffix))
            found.push_back({folder + "/" + name, false});
    }
    ::closedir(dir);
    std::sort(found.begin(), found.end(), [](const Listed& a, const Listed& b) { return a.path < b.path; });
    for (Listed& l : found) {
        const int fd = ::open(l.path.c_str(), O_RDONLY | O_CLOEXEC | O_NOFOLLOW);
        l.inUse = fd >= 0 && ::flock(fd, LOCK_SH | LOCK_NB) != 0;
        if (fd >= 0)
            ::close(fd);
    }
    return found;
}

std::string JobJournal::setAside(const std::string& path, std::string& error) {
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NOFOLLOW);
    if (fd < 0) {
        error = path + ": " + std::strerror(errno);
        return {};
    }
    if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
        error = path + ": in use by another program";
        ::close(fd);
        return {};
    }
    const std::string from = folderOfPath(path);
    const std::string aside = from + "/set-aside";
    std::string name = path.substr(path.rfind('/') + 1);
    std::string to;
    if (::mkdir(aside.c_str(), 0700) != 0 && errno != EEXIST) {
        error = aside + ": " + std::strerror(errno);
    } else {
        // Never over another set-aside journal of the same name.
        for (int n = 0; to.empty() || ::access(to.c_str(), F_OK) == 0; ++n)
            to = aside + "/" + (n == 0 ? name : name + "." + std::to_string(n));
        if (::rename(path.c_str(), to.c_str()) != 0 || !syncFolder(from) || !syncFolder(aside)) {
            error = path + ": " + std::strerror(errno);
            to.clear();
        }
    }
    ::close(fd);
    return to;
}

JournalContents JobJournal::read(const std::string& path) {
    std::string bytes;
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NOFOLLOW);
    struct stat st {};
    if (fd < 0 || ::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        JournalContents c;
        c.path = path;
        c.problem = path + ": " + std::strerror(errno ? errno : EINVAL);
        if (fd >= 0)
            ::close(fd);
        return c;
    }
    bytes.resize(static_cast<std::size_t>(st.st_size));
    std::size_t got = 0;
    while (got < bytes.size()) {
        const ssize_t n = ::read(fd, bytes.data() + got, bytes.size() - got);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            break;
        got += static_cast<std::size_t>(n);
    }
    ::close(fd);
    bytes.resize(got);
    JournalContents c = parseJournal(bytes);
    c.path = path;
    if (!c.problem.empty())
        c.problem = path + ": " + c.problem;
    return c;
}

} // namespace qb
