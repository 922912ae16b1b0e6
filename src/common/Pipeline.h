#pragma once

#include <algorithm>
#include <condition_variable>
#include <cstddef>
#include <exception>
#include <mutex>
#include <thread>
#include <vector>

// Both cores on one long job: helper threads make blocks 0..count-1 while the
// calling thread takes them in index order. Blocks are made at most `depth` ahead
// of the last one taken, in a ring of `depth` slots that are used again, so memory
// stays that of a few blocks whatever the count.
//
// With one maker, make(index, block) runs in index order on that helper (it may
// keep a cursor). With more, makers run at once on different blocks, so make must
// find its place from the index alone and keep its scratch in the block.
// take(index, block) runs on the calling thread in index order and may return
// false to stop the run; the result is false then. When make throws, the blocks
// before the one that threw are still taken, and the exception of the first such
// block is thrown again from here once every helper has ended.
namespace qb {

// work(0) on the calling thread and work(1) on a helper at once; both on the
// calling thread, one after the other, when `together` is false (work too small
// to be worth a thread).
template <typename Work> void onBothCores(const Work& work, bool together = true) {
    std::thread helper;
    if (together)
        helper = std::thread(work, std::size_t{1});
    try {
        work(std::size_t{0});
    } catch (...) {
        if (helper.joinable())
            helper.join();
        throw;
    }
    if (helper.joinable())
        helper.join();
    else
        work(std::size_t{1});
}

template <typename Block, typename Make, typename Take>
bool runPipelined(std::size_t count, std::size_t depth, Make&& make, Take&& take, std::size_t makers = 1) {
    if (count == 0)
        return true;
    makers = std::clamp<std::size_t>(makers, 1, count);
    depth = std::max(depth, makers + 1);
    std::vector<Block> ring(depth);
    std::vector<std::size_t> ready(depth, 0); // slot s holds block ready[s] - 1 once made
    std::mutex mutex;
    std::condition_variable changed;
    std::size_t next = 0, taken = 0;
    std::size_t limit = count; // blocks past it are not made or taken
    std::size_t failedAt = count;
    std::exception_ptr failure;

    const auto work = [&] {
        for (;;) {
            std::size_t i = 0;
            {
                std::unique_lock lock(mutex);
                changed.wait(lock, [&] { return next >= limit || next - taken < depth; });
                if (next >= limit)
                    return;
                i = next++;
            }
            try {
                make(i, ring[i % depth]);
            } catch (...) {
                std::lock_guard lock(mutex);
                if (i < failedAt) {
                    failedAt = i;
                    failure = std::current_exception();
                }
                limit = std::min(limit, i);
                changed.notify_all();
                return;
            }
            std::lock_guard lock(mutex);
            ready[i % depth] = i + 1;
            changed.notify_all();
        }
    };
    std::vector<std::thread> helpers;
    helpers.reserve(makers);
    for (std::size_t k = 0; k < makers; ++k) {
        try {
            helpers.emplace_back(work);
        } catch (...) { // fewer helpers do the same work, none is an error
            if (helpers.empty())
                throw;
            break;
        }
    }

    bool completed = true;
    for (std::size_t i = 0; i < count; ++i) {
        {
            std::unique_lock lock(mutex);
            changed.wait(lock, [&] { return ready[i % depth] == i + 1 || i >= limit; });
            if (ready[i % depth] != i + 1) // a maker failed at or before it
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
        limit = 0;
        changed.notify_all();
    }
    for (std::thread& t : helpers)
        t.join();
    if (failure)
        std::rethrow_exception(failure);
    return completed;
}

} // namespace qb
