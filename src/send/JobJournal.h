#pragma once

#include "common/SendQueue.h"
#include "common/SendTypes.h"
#include "web/SendStatus.h"

#include <future>
#include <memory>
#include <optional>
#include <string>
#include <vector>

// A send job kept in the working folder from before its first record goes until
// the service has taken all of it, so that a crash of the client, of qbsend or of
// the machine neither loses nor repeats a record.
//
// One append-only file per job under "<working folder>/sendjob": a head (user,
// kind, pictures), the queue's packed records in wire order, then one entry per
// event: a segment (one send connection: where it starts in the job, the check
// reply that names it), a write-ahead mark (records at or past it were never
// handed to a socket), and what the service said it took. Every entry carries a
// CRC-32 and is on disk (fdatasync) before the step it allows is taken; the file
// is written whole under a temporary name first and renamed. A process that
// works on a journal holds an flock on it, so a second process leaves it alone.
//
// Reading takes a torn last entry as never written (it was not synced, so what
// it would allow never happened); anything else that does not check out makes
// the whole journal untrustworthy: `problem` says why and nothing is sent from it.
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
    std::string path;
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

// Where a journaled job goes on, from what the journal and the service say.
struct ResumePlan {
    long long total = 0;     // records of the job
    long long sure = 0;      // known held by the service: the job's first records
    long long uncertain = 0; // after those, handed over but not known held
    long long left = 0;      // after those, never handed over
    long long lastTaken = 0; // of the last segment, what `sure` counts of it
    // The service could not be asked: the uncertain span waits until it can.
    bool serviceUnreachable = false;
    // The service claimed more records than the last segment has (`lastCount`):
    // its count is not believed, and the span stays uncertain. -1 when not.
    long long serviceClaimed = -1;
    long long lastCount = 0;
    // A later job of the user announced exactly what a resume of this journal
    // would have: the journal may be an older copy that does not know of it, so
    // everything after what the service holds is uncertain.
    bool maybeOlderCopy = false;
    bool serviceError() const { return serviceClaimed >= 0; }
    bool complete() const { return uncertain == 0 && left == 0; }
    // The queue index to go on from.
    long long from(bool resendUncertain) const { return resendUncertain ? sure : sure + uncertain; }
};

// `last` is what the service says of the journal's last segment (Unknown when it
// cannot say or there is none). A final count from the service decides, bounded by
// the segment's size; the journal's marks only bound what can be uncertain.
ResumePlan planResume(const JournalContents& journal, const ServiceJobStatus& last);

class JobJournal {
public:
    JobJournal();
    ~JobJournal();
    JobJournal(const JobJournal&) = delete;
    JobJournal& operator=(const JobJournal&) = delete;

    static std::string folderOf(const std::string& workingFolder);

    // Writes a new journal holding every record left in `queue` (from its front),
    // on disk before it returns. False with `error` set when it cannot.
    bool create(const std::string& folder, const std::string& userId, MessageKind kind,
                const PictureSlots& pictures, int pictureCount, const SendQueue& queue, std::string& error);
    // Writes the file of a journal for `queue` on a helper thread, while the user
    // reads the preview, so that create() for the same records only has to
    // publish it: pressing send does not wait for megabytes to reach the disk. A
    // queue refilled since, another user or other pictures make create() write
    // anew and the prepared file goes.
    void prepare(const std::string& folder, const std::string& userId, MessageKind kind,
                 const PictureSlots& pictures, int pictureCount, const SendQueue& queue);
    void waitForPrepared() const;
    // Takes over a journal read back (it must still be locked by nobody, and
    // unchanged since it was read); a torn last entry is cut off first.
    bool adopt(const JournalContents& contents, std::string& error);

    bool isOpen() const { return m_fd >= 0; }
    const std::string& path() const { return m_path; }

    // Each is on disk when it returns true.
    bool beginSegment(const JournalSegment& segment);
    bool allow(long long upTo);
    // The same mark, made durable on a helper thread while the writer goes on with
    // what is allowed already; allowSettled() waits for it and says whether it held.
    bool allowAhead(long long upTo);
    bool allowSettled();
    bool recordTaken(std::size_t segment, long long count);
    bool recordReached(std::size_t segment, long long count);
    // Why the last write failed (errno), 0 when none did.
    int lastError() const { return m_lastError; }

    // The whole job is with the service: the journal goes.
    void finish();
    // The process lets go of the journal and keeps it for a later resume.
    void close();

    // The journals in `folder` of `userId` that no other process holds, oldest first.
    static std::vector<std::string> pending(const std::string& folder, const std::string& userId);
    // Every journal file in `folder`, oldest first: damaged ones, other users' and
    // those another process holds included.
    struct Listed {
        std::string path;
        bool inUse = false; // another process works on it
    };
    static std::vector<Listed> list(const std::string& folder);
    // Moves a journal into "<folder>/set-aside", never deleting it; refused while
    // another process holds it. The new path, or empty with `error` set.
    static std::string setAside(const std::string& path, std::string& error);
    static JournalContents read(const std::string& path);
    // The same from bytes (for the fuzz target and the tests).
    static JournalContents parse(const std::string& bytes);
    static bool remove(const std::string& path);

private:
    struct Prepared;
    bool append(int type, const std::string& payload);
    bool appendCount(int type, std::size_t segment, long long count);
    // Writes one entry at the end; a write that fails is cut back, so the next
    // entry never lies behind a torn one.
    bool writeAtEnd(const std::string& bytes);
    // The prepared file's descriptor when it was written for exactly this, else -1
    // (and it is gone).
    int takePrepared(const std::string& folder, const std::string& head, const SendQueue& queue,
                     std::string& path);
    void discardPrepared();

    int m_fd = -1;
    int m_lastError = 0;
    std::future<bool> m_sync; // a mark written ahead, until durable
    std::string m_path;
    std::unique_ptr<Prepared> m_prepared;
};

} // namespace qb
