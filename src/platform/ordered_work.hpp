#pragma once

#include <algorithm>
#include <condition_variable>
#include <cstddef>
#include <exception>
#include <mutex>
#include <optional>
#include <system_error>
#include <thread>
#include <utility>
#include <vector>

namespace ts {

// Produces items 0 .. count-1 on `threads` threads side by side and hands
// them to `consume` one by one in their order, on the calling thread:
//   produce(k) -> T      on any of the threads (must be safe to run at once)
//   consume(k, T&&)      on the calling thread, k = 0, 1, 2, ... in order;
//                        returns false to stop: nothing after k is consumed,
//                        and no new item is started.
// While one item is consumed (written to a disk that takes its time), the
// threads go on producing the next ones: at most one item per thread is
// being produced or waiting, plus the one being consumed, so memory stays
// bounded whatever the count. With fewer than two items, or when no thread
// can be started, everything runs on the calling thread, produce then
// consume, item by item. An exception from produce stops the work and is
// thrown again from here once the threads have ended; one from consume
// likewise.
//
// `start` starts a thread running a function (std::thread's constructor;
// a test's may fail as a machine out of threads does).
struct StartThread {
    template <typename F>
    std::thread operator()(F&& f) const {
        return std::thread(std::forward<F>(f));
    }
};

template <typename Produce, typename Consume, typename Start = StartThread>
void runInOrder(std::size_t count, int threads, Produce&& produce, Consume&& consume, const Start& start = {}) {
    using T = decltype(produce(std::size_t{0}));
    const std::size_t workers = std::min<std::size_t>(static_cast<std::size_t>(std::max(threads, 1)), count);
    const auto oneByOne = [&] {
        for (std::size_t k = 0; k < count; ++k)
            if (!consume(k, produce(k))) return;
    };
    if (count <= 1) return oneByOne();

    // Item k waits in slots[k % workers]; it may start once the consumer has
    // taken every item before k - workers + 1 out of its slot, so its slot
    // is free.
    std::vector<std::optional<T>> slots(workers);
    std::mutex mutex;
    std::condition_variable changed;
    std::size_t nextToStart = 0, taken = 0;
    bool stopped = false;
    std::exception_ptr failure;

    const auto work = [&] {
        std::unique_lock lock(mutex);
        for (;;) {
            changed.wait(lock, [&] { return stopped || nextToStart >= count || nextToStart < taken + workers; });
            if (stopped || nextToStart >= count) return;
            const std::size_t k = nextToStart++;
            lock.unlock();
            std::optional<T> item;
            std::exception_ptr thrown;
            try {
                item.emplace(produce(k));
            } catch (...) {
                thrown = std::current_exception();
            }
            lock.lock();
            if (thrown) {
                if (!failure) failure = thrown;
                stopped = true;
            } else {
                slots[k % workers] = std::move(item);
            }
            changed.notify_all();
        }
    };

    std::vector<std::thread> pool;
    pool.reserve(workers);
    try {
        // The threads that start share the work; with none, it is done here.
        for (std::size_t t = 0; t < workers; ++t) {
            try {
                pool.push_back(start(work));
            } catch (const std::system_error&) {
                break;
            }
        }
        if (pool.empty()) return oneByOne();
        for (std::size_t k = 0; k < count; ++k) {
            std::optional<T> item;
            {
                std::unique_lock lock(mutex);
                changed.wait(lock, [&] { return stopped || slots[k % workers].has_value(); });
                if (stopped) break;
                item = std::move(slots[k % workers]);
                slots[k % workers].reset();
                taken = k + 1;
                changed.notify_all();
            }
            if (!consume(k, std::move(*item))) {
                std::lock_guard lock(mutex);
                stopped = true;
                changed.notify_all();
                break;
            }
        }
    } catch (...) {
        std::lock_guard lock(mutex);
        if (!failure) failure = std::current_exception();
        stopped = true;
        changed.notify_all();
    }
    {
        std::lock_guard lock(mutex);
        stopped = true;
        changed.notify_all();
    }
    for (std::thread& t : pool) t.join();
    if (failure) std::rethrow_exception(failure);
}

}  // namespace ts
