#pragma once

#include "common/ArenaOffsets.h"
#include "common/SendTypes.h"

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

// The ordered, owning list of a job's records: validation fills it, the preview
// reads it, the transmission takes records from its front. A job can hold millions
// of records, so they are kept packed in one byte arena; front() and at() hand out
// a SendRecord built on the spot. A field equal to the same field of a record
// shortly before is stored as a short reference to it, so a job without merge
// fields costs little more than its numbers.
//
// Records taken from the front stay in the arena until clear(): a job that learns
// the service took fewer than it handed over gives the rest back with rewind(),
// and the job journal writes the arena as it is (any prefix of it decodes alone).
namespace qb {

class SendQueue {
public:
    std::size_t size() const { return m_offsets.size() - m_head; }
    bool empty() const { return size() == 0; }
    void clear();

    void push_back(const SendRecord& record);
    // Every record of `more`, taken or not, after this queue's: they read back as
    // if pushed one by one. Lets several threads each fill a queue of their own.
    void append(const SendQueue& more);
    // Room for `records` more records of about `bytesEach` bytes, so a big job
    // does not copy its arena while growing.
    void reserve(std::size_t records, std::size_t bytesEach);
    std::size_t arenaBytes() const { return m_arena ? m_arena->size() : 0; }
    SendRecord front() const { return at(0); }
    void pop_front() {
        if (empty())
            emptyQueue();
        ++m_head;
    }
    SendRecord at(std::size_t i) const;

    // Changes whenever the queue is emptied, and no two queues start with the same
    // one: a job's journal belongs to one fill.
    std::uint64_t generation() const { return m_generation; }
    // Records taken from the front so far, and all records ever pushed.
    std::size_t taken() const { return m_head; }
    std::size_t total() const { return m_offsets.size(); }
    // Gives the last `count` taken records back to the front.
    void rewind(std::size_t count);
    // Takes records up to (and keeps from) `index`, counted from the first record ever pushed.
    void seek(std::size_t index);

    // The fields without copying, valid until the queue changes.
    struct View {
        std::string_view body, title, callbackNumber, number, reservation, displayBody;
    };
    View view(std::size_t i) const;
    // Any record ever pushed, taken or not, by its index from the first.
    View record(std::size_t index) const;

    // The packed bytes, for the job journal; a queue made again from them with
    // fromArena() holds the same records.
    const std::string& arena() const;
    // The same bytes for a reader on another thread: they stay as they are while it
    // holds them, whatever the queue does (it changes a copy or starts anew).
    std::shared_ptr<const std::string> sharedArena() const { return m_arena; }
    // False when `arena` is not a whole run of records this class wrote.
    static bool fromArena(std::string arena, SendQueue& into);

private:
    [[noreturn]] static void emptyQueue();
    static View decode(const char* p);
    void appendField(const std::string& arena, std::size_t index, std::string_view field, char*& p,
                     char* begin);
    std::string& writableArena();

    ArenaOffsets m_offsets;               // record i starts at (*m_arena)[m_offsets[i]]
    std::shared_ptr<std::string> m_arena; // null while empty
    std::size_t m_head = 0;               // records before it were taken by pop_front
    static std::uint64_t newGeneration();
    std::uint64_t m_generation = newGeneration();
    // Where the last copy of each field kept in full starts in the arena.
    struct Last {
        std::uint64_t at = 0;
        std::size_t size = 0;
        bool set = false;
    };
    Last m_last[6];
};

} // namespace qb
