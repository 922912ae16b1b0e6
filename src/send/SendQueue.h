#pragma once

#include "send/SendTypes.h"

#include <cstddef>
#include <deque>

// The ordered, owning list of a job's records: validation fills it, the preview
// reads it, the transmission takes records from its front.
namespace qb {

class SendQueue {
public:
    std::size_t size() const { return m_records.size(); }
    bool empty() const { return m_records.empty(); }
    void clear() { m_records.clear(); }

    void push_back(SendRecord record) { m_records.push_back(std::move(record)); }
    const SendRecord& front() const { return m_records.front(); }
    void pop_front() { m_records.pop_front(); }
    const SendRecord& at(std::size_t i) const { return m_records.at(i); }

private:
    std::deque<SendRecord> m_records;
};

} // namespace qb
