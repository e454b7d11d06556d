#pragma once

#include <algorithm>
#include <condition_variable>
#include <cstddef>
#include <mutex>
#include <optional>
#include <thread>
#include <vector>

namespace Vantorn {

// Makes a result for each of count items on `workers` threads, the calling thread one
// of them, and hands the results to take on the calling thread, in the items' order. A
// thread takes group items at a time (fewer hand-overs between threads) and never runs
// more than window groups ahead of take, so at most window * group results are held at
// once however large each is. The calling thread makes a group itself rather than
// wait for one: it seldom sleeps, and no thread more than there are workers competes
// for the processors. make must not throw (the process ends if it does); take may.
template <class Result, class Make, class Take>
void inOrder(std::size_t count, unsigned workers, std::size_t window, std::size_t group, Make make, Take take) {
#ifdef __EMSCRIPTEN__
    workers = 1;  // WebAssembly in a page has no threads: everything on the calling thread
#endif
    // Below a few groups, starting threads costs more than they win (bench/compare.sh).
    if (workers <= 1 || count <= 4 * group) {
        for (std::size_t i = 0; i < count; ++i) take(i, make(i));
        return;
    }
    const std::size_t groups = (count + group - 1) / group;
    std::mutex mutex;
    std::condition_variable ready;  // a group's results are in their slot
    std::condition_variable room;   // take is done with a slot
    std::vector<std::optional<std::vector<Result>>> slots(window);
    std::size_t next = 0;   // the next group a thread takes
    std::size_t taken = 0;  // the groups take has had
    bool stop = false;      // take threw: workers leave
    // Whether a group may be started now; under the lock.
    const auto mayStart = [&] { return next < groups && next < taken + window; };
    const auto makeGroup = [&](std::size_t current) {
        std::vector<Result> results;
        const std::size_t end = std::min(count, (current + 1) * group);
        results.reserve(end - current * group);
        for (std::size_t i = current * group; i < end; ++i) results.push_back(make(i));
        {
            std::lock_guard<std::mutex> lock(mutex);
            slots[current % window] = std::move(results);
        }
        ready.notify_one();
    };
    const auto work = [&] {
        for (;;) {
            std::size_t current = 0;
            {
                std::unique_lock<std::mutex> lock(mutex);
                room.wait(lock, [&] { return stop || next >= groups || mayStart(); });
                if (stop || next >= groups) return;
                current = next++;
            }
            makeGroup(current);
        }
    };
    std::vector<std::thread> threads;
    for (unsigned i = 1; i < workers; ++i) threads.emplace_back(work);
    const auto leave = [&] {
        {
            std::lock_guard<std::mutex> lock(mutex);
            stop = true;
        }
        room.notify_all();
        for (std::thread& thread : threads) thread.join();
    };
    try {
        for (std::size_t current = 0; current < groups; ++current) {
            std::optional<std::vector<Result>> results;
            while (!results) {
                std::size_t own = groups;  // a group this thread makes while it waits
                {
                    std::unique_lock<std::mutex> lock(mutex);
                    std::optional<std::vector<Result>>& slot = slots[current % window];
                    if (!slot && mayStart()) {
                        own = next++;
                    } else {
                        ready.wait(lock, [&] { return slot.has_value(); });
                        results.swap(slot);
                        taken = current + 1;
                    }
                }
                if (own < groups) makeGroup(own);
            }
            room.notify_all();
            std::size_t i = current * group;
            for (Result& result : *results) take(i++, std::move(result));
        }
    } catch (...) {
        leave();
        throw;
    }
    leave();
}

}  // namespace Vantorn
