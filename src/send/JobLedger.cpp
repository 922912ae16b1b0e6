#include "send/JobLedger.h"

#include "common/Cp949.h"

#include <algorithm>
#include <cerrno>

namespace qb {
namespace {

// Write-ahead marks start small, so a crash early in a job leaves little in doubt,
// and grow so that a long job syncs its journal a few times a second at most.
constexpr long long kFirstAllowance = 4096;
constexpr long long kLargestAllowance = 262144;

const char* const kJournalFailed =
    "전송 기록을 저장할 수 없어 전송을 중단합니다. 디스크 공간을 확인해 주세요.";
const char* const kJournalReadOnly =
    "전송 기록 폴더에 쓸 수 없어 전송을 중단합니다. 폴더의 쓰기 권한을 확인해 주세요.\n";

} // namespace

void JobLedger::prepare(const SendBatch& batch, const std::string& userId) {
    if (m_folder.empty() || (isFor(batch.queue) && m_journal.isOpen()))
        return;
    m_journal.prepare(m_folder, userId, batch.kind, batch.pictures(), batch.pictureCount, batch.queue);
}

bool JobLedger::begin(const SendBatch& batch, const std::string& userId) {
    const SendQueue& queue = batch.queue;
    if (isFor(queue) && (m_folder.empty() || m_journal.isOpen()))
        return true;
    // A new fill of the queue is a new job: an earlier one's journal is over.
    m_journal.finish();
    m_segments.clear();
    m_segmentStarts.clear();
    m_resultsDue.clear();
    m_takenBefore = 0;
    m_generation = queue.generation();
    m_base = queue.taken();
    m_adopted = false;
    if (m_folder.empty())
        return true;
    std::string error;
    return m_journal.create(m_folder, userId, batch.kind, batch.pictures(), batch.pictureCount, queue, error);
}

bool JobLedger::adopt(const SendQueue& queue, const JournalContents& contents, long long lastTaken,
                      std::string& error) {
    if (!m_journal.adopt(contents, error))
        return false;
    m_adopted = true;
    if (m_pendingJournal == contents.path)
        m_pendingJournal.clear();
    m_generation = queue.generation();
    m_base = 0;
    m_segments = contents.segments;
    m_segmentStarts.clear();
    for (const JournalSegment& s : m_segments)
        m_segmentStarts.push_back(static_cast<std::size_t>(s.first));
    m_resultsDue.clear();
    m_takenBefore = static_cast<long long>(queue.taken());
    if (!m_segments.empty()) {
        m_segments.back().taken = lastTaken;
        m_journal.recordTaken(m_segments.size() - 1, lastTaken);
    }
    return true;
}

std::string JobLedger::failure() const {
    const int why = m_journal.lastError();
    if (why == EROFS || why == EACCES || why == EPERM)
        return ko(kJournalReadOnly) + m_folder;
    return ko(kJournalFailed);
}

long long JobLedger::index(const SendQueue& queue) const {
    return static_cast<long long>(queue.taken() - m_base);
}

bool JobLedger::openSegment(JournalSegment s, const SendQueue& queue) {
    s.first = index(queue);
    if (m_journal.isOpen() && !m_journal.beginSegment(s))
        return false;
    m_segments.push_back(std::move(s));
    m_segmentStarts.push_back(queue.taken());
    m_segmentOpen = true;
    m_journal.allowSettled();
    m_allowed = m_allowedAhead = m_segments.back().first;
    m_allowStep = kFirstAllowance;
    return true;
}

long long JobLedger::room(const SendQueue& queue, long long most) {
    if (!m_journal.isOpen())
        return most;
    if (index(queue) >= m_allowed && !extendAllowance(queue))
        return -1;
    if (m_allowedAhead <= m_allowed)
        markAhead(queue);
    return std::min(most, m_allowed - index(queue));
}

bool JobLedger::extendAllowance(const SendQueue& queue) {
    if (m_allowedAhead > m_allowed) {
        if (!m_journal.allowSettled())
            return false;
        m_allowed = m_allowedAhead;
        if (index(queue) < m_allowed)
            return true;
    }
    const long long total = static_cast<long long>(queue.total() - m_base);
    m_allowed = m_allowedAhead = std::min(total, index(queue) + m_allowStep);
    m_allowStep = std::min(m_allowStep * 2, kLargestAllowance);
    return m_journal.allow(m_allowed);
}

void JobLedger::markAhead(const SendQueue& queue) {
    // One mark ahead, synced on the second core while this one writes what is
    // allowed already: the writer seldom waits for the disk. A crash leaves at most
    // that much more in doubt, which the service's count settles.
    const long long total = static_cast<long long>(queue.total() - m_base);
    if (m_allowedAhead > m_allowed || m_allowed >= total)
        return;
    const long long next = std::min(total, m_allowed + m_allowStep);
    if (!m_journal.allowAhead(next))
        return; // the mark is written in turn, and its failure stops the job there
    m_allowedAhead = next;
    m_allowStep = std::min(m_allowStep * 2, kLargestAllowance);
}

void JobLedger::closeSegment(const SendQueue& queue) {
    if (!m_segmentOpen)
        return;
    m_segmentOpen = false;
    m_takenBefore += static_cast<long long>(queue.taken() - m_segmentStarts.back());
    m_resultsDue.push_back(m_segments.size() - 1);
}

void JobLedger::cutSegment(long long taken, bool certain) {
    m_segmentOpen = false;
    m_takenBefore += taken;
    // An uncertain span is decided later; the journal keeps how much of it can
    // have arrived at most.
    if (certain)
        m_journal.recordTaken(m_segments.size() - 1, taken);
    else
        m_journal.recordReached(m_segments.size() - 1, taken);
}

JobLedger::Due JobLedger::nextDue() const {
    const std::size_t i = m_resultsDue.front();
    const JournalSegment& s = m_segments[i];
    return Due{i, s.count, m_segmentStarts[i], s.sendTag, i + 1 == m_segments.size()};
}

void JobLedger::settleDue(long long taken) {
    const std::size_t i = m_resultsDue.front();
    m_resultsDue.erase(m_resultsDue.begin());
    m_segments[i].taken = taken;
    m_journal.recordTaken(i, taken);
}

void JobLedger::handOff() {
    m_segmentOpen = false;
    m_pendingJournal = m_journal.path();
    m_journal.close();
    m_segments.clear();
    m_segmentStarts.clear();
    m_resultsDue.clear();
    m_generation = 0;
}

bool JobLedger::release() {
    if (!m_journal.isOpen())
        return !m_pendingJournal.empty();
    if (!m_adopted && m_segments.empty()) {
        m_journal.finish(); // nothing of it was ever handed over
        return !m_pendingJournal.empty();
    }
    m_pendingJournal = m_journal.path();
    m_journal.close();
    return true;
}

void JobLedger::abandon() {
    m_segmentOpen = false;
    m_journal.close();
}

} // namespace qb
