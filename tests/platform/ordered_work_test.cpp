#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <mutex>
#include <stdexcept>
#include <string>
#include <system_error>
#include <thread>
#include <vector>

#include "platform/ordered_work.hpp"

namespace ts {
namespace {

// Items that finish out of order: later ones are quicker.
std::string slowFirst(std::size_t k, std::size_t count) {
    std::this_thread::sleep_for(std::chrono::microseconds(200 * (count - k)));
    return "item " + std::to_string(k);
}

TEST(RunInOrder, ConsumesEveryItemInOrderOnTheCallingThreadForAnyThreadCount) {
    for (const int threads : {0, 1, 2, 3, 8}) {
        for (const std::size_t count : {std::size_t{0}, std::size_t{1}, std::size_t{2}, std::size_t{37}}) {
            std::vector<std::string> got;
            const auto caller = std::this_thread::get_id();
            bool elsewhere = false;
            runInOrder(
                count, threads, [&](std::size_t k) { return slowFirst(k, count); },
                [&](std::size_t k, std::string&& item) {
                    elsewhere |= std::this_thread::get_id() != caller;
                    EXPECT_EQ(k, got.size());
                    got.push_back(std::move(item));
                    return true;
                });
            std::vector<std::string> expected;
            for (std::size_t k = 0; k < count; ++k) expected.push_back("item " + std::to_string(k));
            EXPECT_EQ(got, expected) << threads << " threads, " << count << " items";
            EXPECT_FALSE(elsewhere);
        }
    }
}

TEST(RunInOrder, KeepsAtMostOneItemPerThreadInFlightBesidesTheOneConsumed) {
    for (const int threads : {1, 2, 4}) {
        std::atomic<int> inFlight{0}, most{0};
        runInOrder(
            60, threads,
            [&](std::size_t k) {
                const int now = ++inFlight;
                for (int seen = most.load(); now > seen && !most.compare_exchange_weak(seen, now);) {}
                std::this_thread::sleep_for(std::chrono::microseconds(k % 3 == 0 ? 500 : 50));
                return k;
            },
            [&](std::size_t, std::size_t&&) {
                std::this_thread::sleep_for(std::chrono::microseconds(100));  // a slow writer
                --inFlight;
                return true;
            });
        EXPECT_LE(most.load(), threads + 1) << threads;
        EXPECT_EQ(inFlight.load(), 0);
    }
}

// A slow consumer (a disk that takes its time) does not hold the threads
// up: while item 0 is consumed, the next item is produced, on one thread
// as on several.
TEST(RunInOrder, ProducesTheNextItemsWhileOneIsConsumed) {
    for (const int threads : {1, 3}) {
        std::mutex mutex;
        std::condition_variable changed;
        std::size_t started = 0;
        bool overlapped = false;
        runInOrder(
            8, threads,
            [&](std::size_t k) {
                std::lock_guard lock(mutex);
                ++started;
                changed.notify_all();
                return k;
            },
            [&](std::size_t k, std::size_t&&) {
                if (k == 0) {
                    std::unique_lock lock(mutex);
                    overlapped = changed.wait_for(lock, std::chrono::seconds(30),
                                                  [&] { return started >= 1 + static_cast<std::size_t>(threads); });
                }
                return true;
            });
        EXPECT_TRUE(overlapped) << threads;
    }
}

// A machine that cannot start as many threads as asked: the threads that
// started share the work, and with none the calling thread does it all.
TEST(RunInOrder, TheThreadsThatStartDoTheWork) {
    for (const int starting : {0, 1, 2}) {
        int attempts = 0;
        const auto start = [&](auto&& f) {
            if (++attempts > starting)
                throw std::system_error(std::make_error_code(std::errc::resource_unavailable_try_again));
            return std::thread(std::forward<decltype(f)>(f));
        };
        std::vector<std::size_t> consumed;
        std::atomic<bool> elsewhere{false};
        const auto caller = std::this_thread::get_id();
        runInOrder(
            20, 4,
            [&](std::size_t k) {
                elsewhere = elsewhere || std::this_thread::get_id() != caller;
                return k;
            },
            [&](std::size_t k, std::size_t&&) {
                consumed.push_back(k);
                return true;
            },
            start);
        EXPECT_EQ(consumed.size(), 20u) << starting;
        for (std::size_t k = 0; k < consumed.size(); ++k) EXPECT_EQ(consumed[k], k);
        EXPECT_EQ(elsewhere.load(), starting > 0) << starting;
    }
}

TEST(RunInOrder, StopsWhenConsumeSaysSoAndStartsNothingFarBeyond) {
    for (const int threads : {1, 3}) {
        std::atomic<std::size_t> produced{0};
        std::vector<std::size_t> consumed;
        runInOrder(
            1000, threads,
            [&](std::size_t k) {
                ++produced;
                return k;
            },
            [&](std::size_t k, std::size_t&&) {
                consumed.push_back(k);
                return k < 4;
            });
        EXPECT_EQ(consumed, (std::vector<std::size_t>{0, 1, 2, 3, 4})) << threads;
        EXPECT_LE(produced.load(), 5u + static_cast<std::size_t>(threads)) << threads;
    }
}

TEST(RunInOrder, AFailureWhileProducingReachesTheCaller) {
    for (const int threads : {1, 2, 4}) {
        std::vector<std::size_t> consumed;
        EXPECT_THROW(runInOrder(
                         50, threads,
                         [](std::size_t k) {
                             if (k == 7) throw std::runtime_error("item 7");
                             return k;
                         },
                         [&](std::size_t k, std::size_t&&) {
                             consumed.push_back(k);
                             return true;
                         }),
                     std::runtime_error)
            << threads;
        // Nothing past the failed item is consumed.
        ASSERT_LE(consumed.size(), 7u);
        for (std::size_t k = 0; k < consumed.size(); ++k) EXPECT_EQ(consumed[k], k);
    }
}

TEST(RunInOrder, AFailureWhileConsumingReachesTheCaller) {
    EXPECT_THROW(runInOrder(
                     20, 3, [](std::size_t k) { return k; },
                     [](std::size_t k, std::size_t&&) -> bool {
                         if (k == 2) throw std::runtime_error("write");
                         return true;
                     }),
                 std::runtime_error);
}

}  // namespace
}  // namespace ts
