#include "send/JobJournal.h"

#include "common/Clock.h"

#include <zlib.h>

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

const std::string kMagic = "QBJOURNAL1\n";
const std::string kSuffix = ".qbj";
constexpr std::size_t kRecordChunk = 8u << 20;
constexpr std::uint32_t kMaxEntry = 64u << 20;
// The payload of a mark or of a count; every other entry is larger.
constexpr std::uint32_t kLargestSmallEntry = 16;

enum EntryType : unsigned char { Head = 1, Records = 2, Segment = 3, Allow = 4, Taken = 5, Reached = 6 };

void putU32(std::string& out, std::uint32_t v) {
    for (int i = 0; i < 4; ++i)
        out += static_cast<char>(v >> (8 * i) & 0xFF);
}

void putI64(std::string& out, long long value) {
    const auto v = static_cast<std::uint64_t>(value);
    for (int i = 0; i < 8; ++i)
        out += static_cast<char>(v >> (8 * i) & 0xFF);
}

void putText(std::string& out, const std::string& text) {
    putU32(out, static_cast<std::uint32_t>(text.size()));
    out += text;
}

// Reads the fields of one entry's payload; any read past its end fails them all.
class Fields {
public:
    explicit Fields(std::string_view bytes) : m_bytes(bytes) {}
    bool ok() const { return m_ok && m_at == m_bytes.size(); }

    std::uint64_t u(int width) {
        if (m_bytes.size() - m_at < static_cast<std::size_t>(width)) {
            m_ok = false;
            return 0;
        }
        std::uint64_t v = 0;
        for (int i = 0; i < width; ++i)
            v |= static_cast<std::uint64_t>(static_cast<unsigned char>(m_bytes[m_at + i])) << (8 * i);
        m_at += static_cast<std::size_t>(width);
        return v;
    }
    long long i64() { return static_cast<long long>(u(8)); }
    std::string text() {
        const std::size_t n = u(4);
        if (m_bytes.size() - m_at < n) {
            m_ok = false;
            return {};
        }
        std::string t(m_bytes.substr(m_at, n));
        m_at += n;
        return t;
    }

private:
    std::string_view m_bytes;
    std::size_t m_at = 0;
    bool m_ok = true;
};

std::uint32_t crcOf(std::string_view bytes, std::uint32_t start = 0) {
    uLong crc = start;
    // zlib takes at most 4 GiB a call.
    while (!bytes.empty()) {
        const std::size_t n = std::min<std::size_t>(bytes.size(), 1u << 30);
        crc = crc32(crc, reinterpret_cast<const Bytef*>(bytes.data()), static_cast<uInt>(n));
        bytes.remove_prefix(n);
    }
    return static_cast<std::uint32_t>(crc);
}

std::string entry(int type, std::string_view payload) {
    std::string e;
    e.reserve(payload.size() + 9);
    e += static_cast<char>(type);
    putU32(e, static_cast<std::uint32_t>(payload.size()));
    e.append(payload);
    putU32(e, crcOf(e));
    return e;
}

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

} // namespace

JobJournal::~JobJournal() {
    discardPrepared();
    close();
}

std::string JobJournal::folderOf(const std::string& workingFolder) {
    return workingFolder + "/sendjob";
}

namespace {

std::string headOf(const std::string& userId, MessageKind kind, const PictureSlots& pictures,
                   int pictureCount, std::size_t records, std::size_t recordBytes) {
    std::string head;
    putText(head, userId);
    putI64(head, static_cast<int>(kind));
    putI64(head, pictureCount);
    for (const PictureSlot& slot : pictures) {
        putText(head, slot.path);
        putI64(head, slot.width);
        putI64(head, slot.height);
        putI64(head, static_cast<long long>(slot.fingerprint.bytes));
        putText(head, slot.fingerprint.sha256);
    }
    putI64(head, static_cast<long long>(records));
    putI64(head, static_cast<long long>(recordBytes));
    return head;
}

// The time first, so that names sort oldest first; never the name of another journal.
std::string newJournalPath(const std::string& folder) {
    static std::atomic<unsigned> made{0};
    return folder + "/" + formatLocalNow("%Y%m%d%H%M%S") + "-" + std::to_string(::getpid()) + "-" +
           std::to_string(++made) + kSuffix;
}

// An entry framed around bytes kept elsewhere: megabytes of records are not copied.
bool writeEntry(int fd, int type, std::string_view payload) {
    std::string frame(1, static_cast<char>(type));
    putU32(frame, static_cast<std::uint32_t>(payload.size()));
    std::string crc;
    putU32(crc, crcOf(payload, crcOf(frame)));
    return writeAll(fd, frame) && writeAll(fd, payload) && writeAll(fd, crc);
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
    bool ok = ::flock(fd, LOCK_EX | LOCK_NB) == 0 && writeAll(fd, kMagic) && writeEntry(fd, Head, head);
    for (std::size_t at = 0; ok && at < records.size(); at += kRecordChunk)
        ok = writeEntry(fd, Records, records.substr(at, kRecordChunk));
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
    p->head = headOf(userId, kind, pictures, pictureCount, queue.size(), records->size());
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
    const std::string head = headOf(userId, kind, pictures, pictureCount, queue.size(), records.size());
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

bool JobJournal::append(int type, const std::string& payload) {
    if (m_fd < 0)
        return false;
    const off_t end = ::lseek(m_fd, 0, SEEK_END);
    if (!writeAtEnd(entry(type, payload)))
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

bool JobJournal::beginSegment(const JournalSegment& s) {
    std::string p;
    putI64(p, s.first);
    putI64(p, s.count);
    putText(p, s.sendCode);
    putText(p, s.sendTime);
    putText(p, s.sendTag);
    putText(p, s.pictureStamp);
    return append(Segment, p);
}

bool JobJournal::allow(long long upTo) {
    std::string p;
    putI64(p, upTo);
    return append(Allow, p);
}

bool JobJournal::allowAhead(long long upTo) {
    if (m_fd < 0 || !allowSettled())
        return false;
    std::string p;
    putI64(p, upTo);
    if (!writeAtEnd(entry(Allow, p)))
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

bool JobJournal::appendCount(int type, std::size_t segment, long long count) {
    std::string p;
    putI64(p, static_cast<long long>(segment));
    putI64(p, count);
    return append(type, p);
}

bool JobJournal::recordTaken(std::size_t segment, long long count) {
    return appendCount(Taken, segment, count);
}

bool JobJournal::recordReached(std::size_t segment, long long count) {
    return appendCount(Reached, segment, count);
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
            const std::size_t at = kMagic.size() + 5;
            // Unreadable journals are shown to their user as broken.
            if (start.starts_with(kMagic) && start.size() >= at + 4)
                mine = Fields(start.substr(at)).text() == userId;
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
    JournalContents c = parse(bytes);
    c.path = path;
    if (!c.problem.empty())
        c.problem = path + ": " + c.problem;
    return c;
}

JournalContents JobJournal::parse(const std::string& bytes) {
    JournalContents c;
    const auto broken = [&](const char* why) {
        c.problem = why;
        c.segments.clear();
        c.queue.clear();
        return std::move(c);
    };
    if (!std::string_view(bytes).starts_with(kMagic))
        return broken("not a send job journal");
    std::size_t at = kMagic.size();
    c.fileSize = bytes.size();
    c.validEnd = at;
    bool haveHead = false;
    bool skippedLast = false;
    long long recordCount = 0, arenaSize = 0;
    std::string arena;
    while (at < bytes.size()) {
        // A last entry cut short was never synced: what it would allow never happened.
        if (bytes.size() - at < 9)
            break;
        const auto type = static_cast<unsigned char>(bytes[at]);
        const std::uint32_t size =
            static_cast<std::uint32_t>(Fields(std::string_view(bytes).substr(at + 1, 4)).u(4));
        if (size > kMaxEntry)
            return broken("an entry of impossible size");
        if (bytes.size() - at - 5 < static_cast<std::size_t>(size) + 4)
            break;
        const std::string_view whole(bytes.data() + at, 5 + size);
        const auto crc =
            static_cast<std::uint32_t>(Fields(std::string_view(bytes).substr(at + 5 + size, 4)).u(4));
        at += 9 + static_cast<std::size_t>(size);
        if (crcOf(whole) != crc) {
            if (at == bytes.size())
                break; // a torn last entry
            // Only marks and counts are this small. One lost makes the journal's
            // bounds on what was handed over unknown, not the job: the entry after
            // it must check out, so a damaged size never takes the reader off course.
            if (size > kLargestSmallEntry || skippedLast)
                return broken("a damaged entry (checksum)");
            ++c.lostEntries;
            skippedLast = true;
            c.validEnd = at;
            continue;
        }
        skippedLast = false;
        Fields f(whole.substr(5));
        switch (type) {
        case Head: {
            if (haveHead)
                return broken("two heads");
            haveHead = true;
            c.userId = f.text();
            const long long kind = f.i64();
            c.pictureCount = static_cast<int>(f.i64());
            for (PictureSlot& slot : c.pictures) {
                slot.path = f.text();
                slot.width = static_cast<int>(f.i64());
                slot.height = static_cast<int>(f.i64());
                slot.fingerprint.bytes = static_cast<std::uint64_t>(f.i64());
                slot.fingerprint.sha256 = f.text();
            }
            recordCount = f.i64();
            arenaSize = f.i64();
            if (!f.ok() || kind < 0 || kind > 2 || c.pictureCount < 0 || c.pictureCount > 3 ||
                recordCount < 0 || arenaSize < 0)
                return broken("a damaged head");
            c.kind = static_cast<MessageKind>(kind);
            break;
        }
        case Records:
            if (!haveHead || !c.segments.empty())
                return broken("records out of place");
            arena.append(whole.substr(5));
            break;
        case Segment: {
            JournalSegment s;
            s.first = f.i64();
            s.count = f.i64();
            s.sendCode = f.text();
            s.sendTime = f.text();
            s.sendTag = f.text();
            s.pictureStamp = f.text();
            if (!f.ok() || !haveHead || s.first < 0 || s.count < 0 || s.first + s.count > recordCount)
                return broken("a damaged segment");
            // A resume starts again from what the service holds: its marks start
            // at its first record, below the marks of the segment before.
            c.allowed = s.first;
            c.segments.push_back(std::move(s));
            break;
        }
        case Allow: {
            const long long upTo = f.i64();
            if (!f.ok() || upTo < c.allowed || upTo > recordCount)
                return broken("a damaged mark");
            c.allowed = upTo;
            break;
        }
        case Taken:
        case Reached: {
            const long long segment = f.i64();
            const long long count = f.i64();
            if (!f.ok() || segment < 0 || segment >= static_cast<long long>(c.segments.size()) || count < 0 ||
                count > c.segments[static_cast<std::size_t>(segment)].count)
                return broken("a damaged count");
            JournalSegment& s = c.segments[static_cast<std::size_t>(segment)];
            (type == Taken ? s.taken : s.reached) = count;
            break;
        }
        default:
            return broken("an entry of unknown type");
        }
        c.validEnd = at;
    }
    if (!haveHead)
        return broken("no head");
    if (static_cast<long long>(arena.size()) != arenaSize)
        return broken("records missing");
    if (!SendQueue::fromArena(std::move(arena), c.queue) ||
        static_cast<long long>(c.queue.size()) != recordCount)
        return broken("damaged records");
    return c;
}

ResumePlan planResume(const JournalContents& journal, const ServiceJobStatus& last) {
    ResumePlan plan;
    plan.total = static_cast<long long>(journal.queue.total());
    if (!journal.segments.empty()) {
        const JournalSegment& s = journal.segments.back();
        // Records at or past the last write-ahead mark never reached a socket.
        long long handed = std::clamp(journal.allowed - s.first, 0LL, s.count);
        if (s.reached)
            handed = std::min(handed, *s.reached);
        // A mark or count was lost: any record of the segment may have gone.
        if (journal.lostEntries > 0)
            handed = s.count;
        long long taken = 0;
        if ((last.final() || last.state == ServiceJobStatus::State::NoSuchJob) && last.stored > s.count) {
            plan.serviceClaimed = last.stored;
            plan.uncertain = handed;
        } else if (last.final() || last.state == ServiceJobStatus::State::NoSuchJob) {
            // The journal may have lost its tail (a backup put back, a cut file):
            // the service knows better than its marks.
            taken = std::max(0LL, last.stored);
            const long long rest = plan.total - s.first - taken;
            const long long restPastReached = plan.total - s.first - (s.reached ? *s.reached : handed);
            for (long long later : last.laterJobs)
                plan.maybeOlderCopy =
                    plan.maybeOlderCopy || (later > 0 && (later == rest || later == restPastReached));
            if (plan.maybeOlderCopy)
                plan.uncertain = rest;
        } else if (s.taken && journal.lostEntries == 0) {
            taken = std::clamp(*s.taken, 0LL, s.count);
        } else {
            plan.uncertain = handed;
            plan.serviceUnreachable = last.state == ServiceJobStatus::State::Unreachable;
        }
        plan.lastTaken = taken;
        plan.lastCount = s.count;
        plan.sure = s.first + taken;
    }
    plan.left = plan.total - plan.sure - plan.uncertain;
    return plan;
}

} // namespace qb
