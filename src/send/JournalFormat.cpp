#include "send/JournalFormat.h"

#include <zlib.h>

#include <algorithm>
#include <cstdint>
#include <utility>

namespace qb {
namespace {

constexpr std::uint32_t kMaxEntry = 64u << 20;
// The payload of a mark or of a count; every other entry is larger.
constexpr std::uint32_t kLargestSmallEntry = 16;
// Type and size before the payload, CRC after it.
constexpr std::size_t kFrontSize = 5;
constexpr std::size_t kFrameSize = kFrontSize + 4;

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

std::uint32_t u32At(std::string_view bytes, std::size_t at) {
    return static_cast<std::uint32_t>(Fields(bytes.substr(at, 4)).u(4));
}

std::string countEntry(JournalEntry type, std::size_t segment, long long count) {
    std::string p;
    putI64(p, static_cast<long long>(segment));
    putI64(p, count);
    return journalEntry(type, p);
}

// Reads a journal entry by entry. Each step returns why the journal cannot be
// trusted, or nullptr when what it read checks out.
class JournalReader {
public:
    explicit JournalReader(std::string_view bytes) : m_bytes(bytes) {}
    JournalContents read();

private:
    const char* readEntries();
    const char* readEntry(JournalEntry type, std::string_view payload);
    const char* readHead(Fields& f);
    const char* readSegment(Fields& f);
    const char* readMark(Fields& f);
    const char* readCount(JournalEntry type, Fields& f);
    const char* readQueue();

    std::string_view m_bytes;
    JournalContents m_c;
    bool m_haveHead = false;
    long long m_recordCount = 0, m_arenaSize = 0;
    std::string m_arena; // the records entries so far
};

JournalContents JournalReader::read() {
    const char* problem = "not a send job journal";
    if (m_bytes.starts_with(kJournalMagic)) {
        m_c.fileSize = m_bytes.size();
        m_c.validEnd = kJournalMagic.size();
        problem = readEntries();
        if (!problem)
            problem = readQueue();
    }
    if (problem) {
        m_c.problem = problem;
        m_c.segments.clear();
        m_c.queue.clear();
    }
    return std::move(m_c);
}

const char* JournalReader::readEntries() {
    std::size_t at = kJournalMagic.size();
    bool skippedLast = false;
    while (at < m_bytes.size()) {
        // A last entry cut short was never synced: what it would allow never happened.
        if (m_bytes.size() - at < kFrameSize)
            break;
        const auto type = static_cast<JournalEntry>(static_cast<unsigned char>(m_bytes[at]));
        const std::uint32_t size = u32At(m_bytes, at + 1);
        if (size > kMaxEntry)
            return "an entry of impossible size";
        if (m_bytes.size() - at - kFrontSize < static_cast<std::size_t>(size) + 4)
            break;
        const std::string_view whole = m_bytes.substr(at, kFrontSize + size);
        const std::uint32_t crc = u32At(m_bytes, at + kFrontSize + size);
        at += kFrameSize + static_cast<std::size_t>(size);
        if (crcOf(whole) != crc) {
            if (at == m_bytes.size())
                break; // a torn last entry
            // Only marks and counts are this small. One lost makes the journal's
            // bounds on what was handed over unknown, not the job: the entry after
            // it must check out, so a damaged size never takes the reader off course.
            if (size > kLargestSmallEntry || skippedLast)
                return "a damaged entry (checksum)";
            ++m_c.lostEntries;
            skippedLast = true;
            m_c.validEnd = at;
            continue;
        }
        skippedLast = false;
        if (const char* problem = readEntry(type, whole.substr(kFrontSize)))
            return problem;
        m_c.validEnd = at;
    }
    return nullptr;
}

const char* JournalReader::readEntry(JournalEntry type, std::string_view payload) {
    Fields f(payload);
    switch (type) {
    case JournalEntry::Head:
        return readHead(f);
    case JournalEntry::Records:
        if (!m_haveHead || !m_c.segments.empty())
            return "records out of place";
        m_arena.append(payload);
        return nullptr;
    case JournalEntry::Segment:
        return readSegment(f);
    case JournalEntry::Allow:
        return readMark(f);
    case JournalEntry::Taken:
    case JournalEntry::Reached:
        return readCount(type, f);
    }
    return "an entry of unknown type";
}

const char* JournalReader::readHead(Fields& f) {
    if (m_haveHead)
        return "two heads";
    m_haveHead = true;
    m_c.userId = f.text();
    const long long kind = f.i64();
    m_c.pictureCount = static_cast<int>(f.i64());
    for (PictureSlot& slot : m_c.pictures) {
        slot.path = f.text();
        slot.width = static_cast<int>(f.i64());
        slot.height = static_cast<int>(f.i64());
        slot.fingerprint.bytes = static_cast<std::uint64_t>(f.i64());
        slot.fingerprint.sha256 = f.text();
    }
    m_recordCount = f.i64();
    m_arenaSize = f.i64();
    if (!f.ok() || kind < 0 || kind > 2 || m_c.pictureCount < 0 || m_c.pictureCount > 3 ||
        m_recordCount < 0 || m_arenaSize < 0)
        return "a damaged head";
    m_c.kind = static_cast<MessageKind>(kind);
    return nullptr;
}

const char* JournalReader::readSegment(Fields& f) {
    JournalSegment s;
    s.first = f.i64();
    s.count = f.i64();
    s.sendCode = f.text();
    s.sendTime = f.text();
    s.sendTag = f.text();
    s.pictureStamp = f.text();
    // Compared without adding: two huge counts would overflow.
    if (!f.ok() || !m_haveHead || s.first < 0 || s.count < 0 || s.count > m_recordCount - s.first)
        return "a damaged segment";
    // A resume starts again from what the service holds: its marks start at its
    // first record, below the marks of the segment before.
    m_c.allowed = s.first;
    m_c.segments.push_back(std::move(s));
    return nullptr;
}

const char* JournalReader::readMark(Fields& f) {
    const long long upTo = f.i64();
    if (!f.ok() || upTo < m_c.allowed || upTo > m_recordCount)
        return "a damaged mark";
    m_c.allowed = upTo;
    return nullptr;
}

const char* JournalReader::readCount(JournalEntry type, Fields& f) {
    const long long segment = f.i64();
    const long long count = f.i64();
    if (!f.ok() || segment < 0 || segment >= static_cast<long long>(m_c.segments.size()) || count < 0 ||
        count > m_c.segments[static_cast<std::size_t>(segment)].count)
        return "a damaged count";
    JournalSegment& s = m_c.segments[static_cast<std::size_t>(segment)];
    (type == JournalEntry::Taken ? s.taken : s.reached) = count;
    return nullptr;
}

// After the last entry: the head and every record it announced.
const char* JournalReader::readQueue() {
    if (!m_haveHead)
        return "no head";
    if (static_cast<long long>(m_arena.size()) != m_arenaSize)
        return "records missing";
    if (!SendQueue::fromArena(std::move(m_arena), m_c.queue) ||
        static_cast<long long>(m_c.queue.size()) != m_recordCount)
        return "damaged records";
    return nullptr;
}

} // namespace

std::string journalHead(const std::string& userId, MessageKind kind, const PictureSlots& pictures,
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

std::string journalEntry(JournalEntry type, std::string_view payload) {
    std::string e;
    e.reserve(payload.size() + kFrameSize);
    e += static_cast<char>(type);
    putU32(e, static_cast<std::uint32_t>(payload.size()));
    e.append(payload);
    putU32(e, crcOf(e));
    return e;
}

JournalFrame journalFrame(JournalEntry type, std::string_view payload) {
    JournalFrame frame;
    frame.front = static_cast<char>(type);
    putU32(frame.front, static_cast<std::uint32_t>(payload.size()));
    putU32(frame.back, crcOf(payload, crcOf(frame.front)));
    return frame;
}

std::string segmentEntry(const JournalSegment& segment) {
    std::string p;
    putI64(p, segment.first);
    putI64(p, segment.count);
    putText(p, segment.sendCode);
    putText(p, segment.sendTime);
    putText(p, segment.sendTag);
    putText(p, segment.pictureStamp);
    return journalEntry(JournalEntry::Segment, p);
}

std::string allowEntry(long long upTo) {
    std::string p;
    putI64(p, upTo);
    return journalEntry(JournalEntry::Allow, p);
}

std::string takenEntry(std::size_t segment, long long count) {
    return countEntry(JournalEntry::Taken, segment, count);
}

std::string reachedEntry(std::size_t segment, long long count) {
    return countEntry(JournalEntry::Reached, segment, count);
}

JournalContents parseJournal(std::string_view bytes) {
    return JournalReader(bytes).read();
}

std::optional<std::string> journalUserId(std::string_view start) {
    // The head's payload starts with the user's name.
    const std::size_t at = kJournalMagic.size() + kFrontSize;
    if (!start.starts_with(kJournalMagic) || start.size() < at + 4)
        return std::nullopt;
    return Fields(start.substr(at)).text();
}

} // namespace qb
