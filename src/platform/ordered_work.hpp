#pragma once

#include <algorithm>
#include <condition_variable>
#include <cstddef>
#include <exception>
#include <mutex>
#include <optional>
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
// At most `threads` items are being produced or waiting to be consumed at
// any moment, so memory stays bounded whatever the count. With one thread
// (or fewer than two items) everything runs on the calling thread, produce
// then consume, item by item. An exception from produce stops the work and
// is thrown again from here once the threads have ended; one from consume
// likewise.
template <typename Produce, typename Consume>
void runInOrder(std::size_t count, int threads, Produce&& produce, Consume&& consume) {
    using T = decltype(produce(std::size_t{0}));
    const std::size_t workers = std::min<std::size_t>(static_cast<std::size_t>(std::max(threads, 1)), count);
    if (workers <= 1) {
        for (std::size_t k = 0; k < count; ++k)
            if (!consume(k, produce(k))) return;
        return;
    }

    // Item k waits in slots[k % workers]; it may start only once every item
    // before k - workers + 1 has been consumed, so its slot is free.
    std::vector<std::optional<T>> slots(workers);
    std::mutex mutex;
    std::condition_variable changed;
    std::size_t nextToStart = 0, nextToConsume = 0;
    bool stopped = false;
    std::exception_ptr failure;

    const auto work = [&] {
        std::unique_lock lock(mutex);
        for (;;) {
            changed.wait(lock,
                         [&] { return stopped || nextToStart >= count || nextToStart < nextToConsume + workers; });
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
        for (std::size_t t = 0; t < workers; ++t) pool.emplace_back(work);
        for (std::size_t k = 0; k < count; ++k) {
            std::optional<T> item;
            {
                std::unique_lock lock(mutex);
                changed.wait(lock, [&] { return stopped || slots[k % workers].has_value(); });
                if (stopped) break;
                item = std::move(slots[k % workers]);
                slots[k % workers].reset();
            }
            const bool goOn = consume(k, std::move(*item));
            std::lock_guard lock(mutex);
            nextToConsume = k + 1;
            if (!goOn) stopped = true;
            changed.notify_all();
            if (!goOn) break;
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
