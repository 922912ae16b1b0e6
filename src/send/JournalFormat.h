#pragma once

#include "common/SendQueue.h"
#include "common/SendTypes.h"

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

// How a send job's journal is laid out in bytes, written and read back.
//
// The file starts with a magic line; every entry after it is framed as its type
// (one byte), its payload's size (4 bytes), the payload and a CRC-32 of all
// before it (4 bytes), numbers little-endian, texts as a size and their bytes.
// A head (user, kind, pictures, how many records and bytes) comes first, then
// the queue's packed records in wire order, then one entry per event: a segment
// (one send connection: where it starts in the job, the check reply that names
// it), a write-ahead mark (records at or past it were never handed to a socket),
// and what the service said it took or can have reached of a segment.
//
// Reading takes a torn last entry as never written (it was not synced, so what
// it would allow never happened), and skips a damaged mark or count whose next
// entry checks out (`lostEntries`); anything else that does not check out makes
// the whole journal untrustworthy: `problem` says why, and it holds no records
// and no segments.
namespace qb {

struct JournalSegment {
    long long first = 0; // index in the job of the segment's first record
    long long count = 0; // records its check announced
    std::string sendCode, sendTime, sendTag, pictureStamp;
    std::optional<long long> taken; // records of the segment the service took, once known
    // At most this many of its records can have reached the service: the rest were
    // still in the system when the connection was reset, and that drops them.
    std::optional<long long> reached;
};

struct JournalContents {
    std::string path; // set by the reader of the file
    std::string userId;
    MessageKind kind = MessageKind::Sms;
    PictureSlots pictures;
    int pictureCount = 0;
    SendQueue queue; // every record of the job, none taken
    std::vector<JournalSegment> segments;
    // Records of the job at or past this index were never handed over by the last
    // segment (each segment's marks start again at its first record).
    long long allowed = 0;
    std::string problem; // empty when the journal can be trusted
    // Damaged marks or counts skipped: the marks no longer bound what was handed
    // over, and only the service's final count settles the last segment.
    int lostEntries = 0;
    // The bytes that check out; a torn last entry lies past them.
    std::size_t validEnd = 0;
    std::size_t fileSize = 0;
};

inline constexpr std::string_view kJournalMagic = "QBJOURNAL1\n";

enum class JournalEntry : unsigned char {
    Head = 1,
    Records = 2,
    Segment = 3,
    Allow = 4,
    Taken = 5,
    Reached = 6
};

// The job's records go in entries of at most this many bytes each.
inline constexpr std::size_t kJournalRecordsPerEntry = 8u << 20;

// The head's payload: the same job gives the same bytes.
std::string journalHead(const std::string& userId, MessageKind kind, const PictureSlots& pictures,
                        int pictureCount, std::size_t records, std::size_t recordBytes);

// One whole entry.
std::string journalEntry(JournalEntry type, std::string_view payload);
// The frame of an entry whose payload is kept elsewhere, so that megabytes of
// records are not copied: the entry is `front`, the payload, then `back`.
struct JournalFrame {
    std::string front, back;
};
JournalFrame journalFrame(JournalEntry type, std::string_view payload);

std::string segmentEntry(const JournalSegment& segment);
std::string allowEntry(long long upTo);
std::string takenEntry(std::size_t segment, long long count);
std::string reachedEntry(std::size_t segment, long long count);

// A journal's bytes read back; `path` stays empty.
JournalContents parseJournal(std::string_view bytes);

// The user named by a journal's first bytes (a few hundred are enough), without
// reading the rest: nullopt when they do not start like a journal, empty when
// they end before the name does.
std::optional<std::string> journalUserId(std::string_view start);

} // namespace qb
