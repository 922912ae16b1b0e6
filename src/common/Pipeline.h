#pragma once

#include <condition_variable>
#include <cstddef>
#include <exception>
#include <mutex>
#include <thread>
#include <vector>

// Two cores on one long job: a helper thread makes blocks 0..count-1 in order while
// the calling thread takes them in the same order. The helper runs at most `depth`
// blocks ahead, and the blocks live in a ring of `depth` slots that are used again,
// so memory stays that of a few blocks whatever the count.
//
// make(index, block) runs on the helper, always in index order (it may keep a
// cursor); take(index, block) runs on the calling thread, always in index order,
// and may return false to stop both. Returns false when take stopped the run. An
// exception from make is thrown again from here once the helper has ended.
namespace qb {

template <typename Block, typename Make, typename Take>
bool runPipelined(std::size_t count, std::size_t depth, Make&& make, Take&& take) {
    if (count == 0)
        return true;
    depth = depth < 2 ? 2 : depth;
    std::vector<Block> ring(depth);
    std::mutex mutex;
    std::condition_variable changed;
    std::size_t made = 0, taken = 0;
    bool stop = false;
    std::exception_ptr failure;

    std::thread helper([&] {
        for (std::size_t i = 0; i < count; ++i) {
            {
                std::unique_lock lock(mutex);
                changed.wait(lock, [&] { return stop || i - taken < depth; });
                if (stop)
                    return;
            }
            try {
                make(i, ring[i % depth]);
            } catch (...) {
                std::lock_guard lock(mutex);
                failure = std::current_exception();
                stop = true;
                changed.notify_all();
                return;
            }
            std::lock_guard lock(mutex);
            made = i + 1;
            changed.notify_all();
        }
    });

    bool completed = true;
    for (std::size_t i = 0; i < count; ++i) {
        {
            std::unique_lock lock(mutex);
            changed.wait(lock, [&] { return stop || made > i; });
            if (made <= i) // the helper failed
                break;
        }
        if (!take(i, ring[i % depth])) {
            completed = false;
            break;
        }
        std::lock_guard lock(mutex);
        taken = i + 1;
        changed.notify_all();
    }
    {
        std::lock_guard lock(mutex);
        stop = true;
        changed.notify_all();
    }
    helper.join();
    if (failure)
        std::rethrow_exception(failure);
    return completed;
}

} // namespace qb
