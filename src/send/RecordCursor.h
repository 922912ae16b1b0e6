#pragma once

#include "send/RecordsAhead.h"

#include <cstddef>
#include <string>
#include <string_view>

// Where the job's writer stands: the record being written and the run of records
// encoded ahead that it comes from. A record is held from when it is taken off the
// queue until the socket has all of it. Its bytes are the run's (valid until the
// next run is taken) or, when the writer encoded it itself, `own()`. Records of a
// run lie together, so one send can offer the rest of the run: the cursor then
// moves into the records after as the socket takes them, and the writer takes
// each of them off the queue in turn, as if it had been sent alone.
namespace qb {

class RecordCursor {
public:
    RecordCursor() { m_own.reserve(4096); }

    bool holding() const { return m_holding; }
    // Bytes of the record held that the socket has taken.
    std::size_t sent() const { return m_sent; }
    bool recordDone() const { return m_sent >= m_record.size(); }

    // A new run; the records of the last one must all be held already.
    void startRun(const RecordsAhead::Run& run) {
        m_run = run;
        m_next = 0;
    }
    bool inRun() const { return m_next < m_run.count; }
    // Holds the run's next record.
    void holdFromRun() {
        const std::uint32_t begin = m_next == 0 ? m_run.base : m_run.ends[m_next - 1];
        hold(m_run.bytes.substr(begin - m_run.base, m_run.ends[m_next] - begin));
        ++m_next;
    }
    // Where the writer encodes a record itself; then holdOwn().
    std::string& own() {
        m_own.clear();
        return m_own;
    }
    void holdOwn() { hold(m_own); }

    // What the next send offers: the rest of the record held and of its run.
    const char* data() const { return m_record.data() + m_sent; }
    std::size_t offered() const { return m_record.size() - m_sent + runBytesAfter(); }
    // The socket took `n` bytes of what was offered. Returns how many records of
    // the run it finished past the one held; the last one it reached is held now.
    std::size_t took(std::size_t n) {
        std::size_t finished = 0;
        while (n > m_record.size() - m_sent) {
            n -= m_record.size() - m_sent;
            ++finished;
            holdFromRun();
        }
        m_sent += n;
        return finished;
    }
    // The record is with the socket whole, or goes back to the queue.
    void release() { m_holding = false; }
    // The run's bytes went with the encoder: nothing is held, no run goes on.
    void reset() {
        m_holding = false;
        m_run = {};
        m_next = 0;
    }

private:
    void hold(std::string_view record) {
        m_record = record;
        m_sent = 0;
        m_holding = true;
    }
    std::size_t runBytesAfter() const {
        return m_next < m_run.count ? m_run.ends[m_run.count - 1] - m_run.ends[m_next - 1] : 0;
    }

    bool m_holding = false;
    std::string_view m_record;
    std::string m_own;
    std::size_t m_sent = 0;
    RecordsAhead::Run m_run;
    std::size_t m_next = 0; // the run's next record not yet held
};

} // namespace qb
