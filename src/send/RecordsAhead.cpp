#include "send/RecordsAhead.h"

#include <algorithm>

namespace qb {

void RecordsAhead::start(const SendQueue& queue, const RecordEncoder& encoder, std::size_t first) {
    stop();
    m_queue = &queue;
    m_encoder = encoder;
    m_made = m_freed = 0;
    m_stop = false;
    m_current = nullptr;
    m_next = 0;
    m_expected = first;
    m_thread = std::thread([this, first] { run(first); });
}

void RecordsAhead::stop() {
    if (!m_thread.joinable())
        return;
    {
        std::lock_guard lock(m_mutex);
        m_stop = true;
    }
    m_changed.notify_all();
    m_thread.join();
    m_current = nullptr;
}

void RecordsAhead::run(std::size_t first) {
    const std::size_t total = m_queue->total();
    std::size_t index = first;
    for (std::size_t made = 0;; ++made) {
        {
            std::unique_lock lock(m_mutex);
            m_changed.wait(lock, [&] { return m_stop || made - m_freed < kBlocks; });
            if (m_stop)
                return;
        }
        Block& b = m_ring[made % kBlocks];
        b.first = index;
        b.bytes.clear();
        b.ends.clear();
        b.last = false;
        for (std::size_t n = 0; n < kRecordsPerBlock && index < total; ++n, ++index) {
            const SendQueue::View v = m_queue->record(index);
            // A record the encoder refuses ends the run; the writer meets it itself.
            if (!m_encoder.append(b.bytes,
                                  RecordText{v.number, v.callbackNumber, v.title, v.body, v.reservation})) {
                b.last = true;
                break;
            }
            b.ends.push_back(static_cast<std::uint32_t>(b.bytes.size()));
        }
        b.last = b.last || index >= total;
        {
            std::lock_guard lock(m_mutex);
            m_made = made + 1;
        }
        m_changed.notify_all();
        if (b.last)
            return;
    }
}

bool RecordsAhead::nextBlock() {
    std::unique_lock lock(m_mutex);
    if (m_current) {
        ++m_freed;
        m_changed.notify_all();
    }
    m_current = nullptr;
    m_changed.wait(lock, [&] { return m_stop || m_made > m_freed; });
    if (m_made <= m_freed)
        return false;
    m_current = &m_ring[m_freed % kBlocks];
    m_next = 0;
    return true;
}

bool RecordsAhead::takeFromNextBlock(std::size_t index, std::string_view& bytes) {
    if (!m_thread.joinable() || index != m_expected)
        return false;
    if (!m_current || m_next == m_current->ends.size()) {
        if (m_current && m_current->last)
            return false;
        if (!nextBlock())
            return false;
        if (m_current->ends.empty())
            return false;
    }
    const std::size_t begin = m_next == 0 ? 0 : m_current->ends[m_next - 1];
    bytes = std::string_view(m_current->bytes).substr(begin, m_current->ends[m_next] - begin);
    ++m_next;
    ++m_expected;
    return true;
}

RecordsAhead::Run RecordsAhead::takeRun(std::size_t index, std::size_t most) {
    Run run;
    std::string_view first;
    if (most == 0 || !take(index, first))
        return run;
    const std::size_t at = m_next - 1;
    const std::size_t more = std::min(most - 1, m_current->ends.size() - m_next);
    m_next += more;
    m_expected += more;
    run.base = at == 0 ? 0 : m_current->ends[at - 1];
    run.ends = m_current->ends.data() + at;
    run.count = more + 1;
    run.bytes = std::string_view(m_current->bytes.data() + run.base, m_current->ends[at + more] - run.base);
    return run;
}

} // namespace qb
