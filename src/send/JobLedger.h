#pragma once

#include "common/SendQueue.h"
#include "send/JobJournal.h"
#include "send/SendBatch.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

// A send job's account of its records: the connections it sent them on (segments),
// what the service said it holds of each, and the journal that keeps all of it on
// disk. The job decides; the ledger remembers, and lets no record go that its
// journal has not allowed first.
//
// Records are counted by queue index. A ledger is for one fill of the queue (its
// generation): `begin` for another starts a new job and ends the last one's
// journal. Without a journal folder it keeps the same account in memory only.
namespace qb {

class JobLedger {
public:
    // One segment's result the service has still to report.
    struct Due {
        std::size_t index = 0; // of the segment
        long long count = 0;   // records its check announced
        std::size_t start = 0; // queue index of its first record
        std::string sendTag;
        bool last = false; // the job's last segment so far
    };

    // Where jobs are journaled (`JobJournal::folderOf`); empty: nowhere.
    void setFolder(std::string folder) { m_folder = std::move(folder); }
    const std::string& folder() const { return m_folder; }

    // Before "전송하기": the journal for `batch`, written while the preview is read.
    void prepare(const SendBatch& batch, const std::string& userId);
    void waitForPrepared() const { m_journal.waitForPrepared(); }
    // "전송하기": the same queue fill goes on in its journal; another one starts a
    // new job. False when the journal cannot be written (`failure()`).
    bool begin(const SendBatch& batch, const std::string& userId);
    // Goes on with a journal read back, whose records `queue` holds from where it
    // stands. `lastTaken`: what the service holds of its last segment.
    bool adopt(const SendQueue& queue, const JournalContents& contents, long long lastTaken,
               std::string& error);
    // The queue holds the records this ledger is for (no refill since).
    bool isFor(const SendQueue& queue) const { return queue.generation() == m_generation; }

    bool journaled() const { return m_journal.isOpen(); }
    const std::string& journalPath() const { return m_journal.path(); }
    // What a journal write that failed tells the user: a full disk, or a folder
    // the program may not write to.
    std::string failure() const;

    // A connection's records start at the queue's front. `s` names it (its `first`
    // is set here). False when the journal cannot record it.
    bool openSegment(JournalSegment s, const SendQueue& queue);
    bool segmentOpen() const { return m_segmentOpen; }
    // Queue index of the open segment's first record.
    std::size_t segmentStart() const { return m_segmentStarts.back(); }
    // How many records from the queue's front may be handed over now, asking the
    // journal for more as needed; `most` when there is no journal, -1 when the
    // journal cannot be written.
    long long room(const SendQueue& queue, long long most);
    // Its last record is handed over: its result is due.
    void closeSegment(const SendQueue& queue);
    // The connection broke with `taken` of the segment's records held by the
    // service, or, when `certain` is false, with at most that many of them able to
    // have reached it (the user or the service decides later).
    void cutSegment(long long taken, bool certain);
    // The service holds `records` fewer than counted: they go again.
    void takenLess(long long records) { m_takenBefore -= records; }
    // Records of the whole job the service is known (or, while uncertain, may be
    // taken) to hold.
    long long takenBefore() const { return m_takenBefore; }

    bool resultDue() const { return !m_resultsDue.empty(); }
    Due nextDue() const;
    // The service took `taken` of the next due segment's records.
    void settleDue(long long taken);
    // The whole job is held: the journal has done its work.
    void finish() { m_journal.finish(); }

    // The rest of the job is left to its journal, which only a resume sends.
    void handOff();
    // The program is done with the job: a journal nothing was handed over from is
    // removed, any other kept. True when one is kept for a resume.
    bool release();
    // The program closes under the job; the journal keeps what is left.
    void abandon();
    const std::string& pendingJournal() const { return m_pendingJournal; }
    void forgetPendingJournal() { m_pendingJournal.clear(); }

private:
    // Index in the journal of the queue's front.
    long long index(const SendQueue& queue) const;
    bool extendAllowance(const SendQueue& queue);
    void markAhead(const SendQueue& queue);

    std::string m_folder;
    JobJournal m_journal;
    std::uint64_t m_generation = 0; // the queue fill the job (and its journal) is for
    std::size_t m_base = 0;         // queue index of the journal's first record
    bool m_adopted = false;
    std::string m_pendingJournal;

    std::vector<JournalSegment> m_segments;
    std::vector<std::size_t> m_segmentStarts; // queue index of each segment's first record
    std::vector<std::size_t> m_resultsDue;    // segments whose DATA_SENDRESULT is still to come
    bool m_segmentOpen = false;
    long long m_takenBefore = 0;

    long long m_allowed = 0;
    long long m_allowedAhead = 0; // a mark written ahead, durable once settled
    long long m_allowStep = 0;
};

} // namespace qb
