#pragma once

#include "common/SendQueue.h"
#include "net/MessageRecord.h"

#include <condition_variable>
#include <cstddef>
#include <cstdint>
#include <mutex>
#include <string>
#include <string_view>
#include <thread>
#include <vector>

// A job's records encoded ahead on the second core, so the core that writes them
// does little besides the writes. A helper thread encodes the queue's records in
// order from a starting index into blocks, a few blocks ahead of the writer.
//
// The queue may be taken from (pop_front, rewind, seek) while this runs, since
// those leave the records in place; it must not be cleared or filled until stop().
// The writer asks for the record it is about to write: take() hands its bytes over
// when it is the next one encoded ahead, and says no otherwise (a record the
// encoder refuses, an index out of turn): the writer then encodes that record
// itself and may start() again after it.
namespace qb {

class RecordsAhead {
public:
    RecordsAhead() = default;
    RecordsAhead(const RecordsAhead&) = delete;
    RecordsAhead& operator=(const RecordsAhead&) = delete;
    ~RecordsAhead() { stop(); }

    // Encodes records `first`, `first` + 1, … (numbered as SendQueue::record numbers them).
    void start(const SendQueue& queue, const RecordEncoder& encoder, std::size_t first);
    void stop();
    bool running() const { return m_thread.joinable(); }

    // The bytes of record `index`, valid until the next call; false when it is not
    // the next record encoded ahead or could not be encoded.
    bool take(std::size_t index, std::string_view& bytes) {
        // Inline: the writer asks once a record, between two sends.
        if (m_current && index == m_expected && m_next < m_current->ends.size()) {
            const std::size_t begin = m_next == 0 ? 0 : m_current->ends[m_next - 1];
            bytes = std::string_view(m_current->bytes.data() + begin, m_current->ends[m_next] - begin);
            ++m_next;
            ++m_expected;
            return true;
        }
        return takeFromNextBlock(index, bytes);
    }

    // Record `index` and up to `most` - 1 after it in the same block, one after the
    // other in `bytes`, so that one send can offer them all; valid until the next call.
    // Record k of the run ends at ends[k] - base in `bytes`. count is 0 when take()
    // would say no.
    struct Run {
        std::string_view bytes;
        const std::uint32_t* ends = nullptr;
        std::uint32_t base = 0;
        std::size_t count = 0;
    };
    Run takeRun(std::size_t index, std::size_t most);

private:
    struct Block {
        std::size_t first = 0;
        std::string bytes;
        std::vector<std::uint32_t> ends; // record first + i ends at ends[i]
        bool last = false;               // nothing comes after this block
    };
    static constexpr std::size_t kBlocks = 8;
    static constexpr std::size_t kRecordsPerBlock = 512;

    bool takeFromNextBlock(std::size_t index, std::string_view& bytes);
    void run(std::size_t first);
    bool nextBlock();

    const SendQueue* m_queue = nullptr;
    RecordEncoder m_encoder;
    std::thread m_thread;
    std::mutex m_mutex;
    std::condition_variable m_changed;
    Block m_ring[kBlocks];
    std::size_t m_made = 0;  // blocks the helper has finished
    std::size_t m_freed = 0; // blocks the writer has let go
    bool m_stop = false;
    // The writer's side: the block it reads and the position in it.
    Block* m_current = nullptr;
    std::size_t m_next = 0;
    std::size_t m_expected = 0;
};

} // namespace qb
