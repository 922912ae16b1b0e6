#pragma once

#include "send/SendTypes.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

// The ordered, owning list of a job's records: validation fills it, the preview
// reads it, the transmission takes records from its front. A job can hold millions
// of records, so they are kept packed in one byte arena; front() and at() hand out
// a SendRecord built on the spot.
namespace qb {

class SendQueue {
public:
    std::size_t size() const { return m_offsets.size() - m_head; }
    bool empty() const { return size() == 0; }
    void clear();

    void push_back(const SendRecord& record);
    // Room for `records` more records of about `bytesEach` bytes, so a big job
    // does not copy its arena while growing.
    void reserve(std::size_t records, std::size_t bytesEach);
    std::size_t arenaBytes() const { return m_arena.size(); }
    SendRecord front() const { return at(0); }
    void pop_front();
    SendRecord at(std::size_t i) const;

    // The fields without copying, valid until the queue changes.
    struct View {
        std::string_view body, title, callbackNumber, number, reservation, displayBody;
    };
    View view(std::size_t i) const;

private:
    std::vector<std::uint64_t> m_offsets; // record i starts at m_arena[m_offsets[i]]
    std::string m_arena;
    std::size_t m_head = 0; // records before it were taken by pop_front
};

} // namespace qb
