#pragma once

#include "common/SendTypes.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

// The ordered, owning list of a job's records: validation fills it, the preview
// reads it, the transmission takes records from its front. A job can hold millions
// of records, so they are kept packed in one byte arena; front() and at() hand out
// a SendRecord built on the spot.
namespace qb {

class TakenRecord;

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

    // pop_front that keeps the record, still packed, in `into` (whose buffer is
    // reused from record to record).
    void takeFront(TakenRecord& into);
    // Puts a taken record back at the front, before every record left. Meant for
    // a record that could not be sent; it copies the queue once.
    void putBack(const TakenRecord& record);

private:
    friend class TakenRecord;
    static View decode(const char* p);

    std::vector<std::uint64_t> m_offsets; // record i starts at m_arena[m_offsets[i]]
    std::string m_arena;
    std::size_t m_head = 0; // records before it were taken by pop_front
};

// A record taken off the front of a SendQueue.
class TakenRecord {
public:
    bool empty() const { return m_bytes.empty(); }
    void clear() { m_bytes.clear(); }
    // Valid until the record is cleared or another one is taken into it.
    SendQueue::View view() const;

private:
    friend class SendQueue;
    std::string m_bytes;
};

} // namespace qb
