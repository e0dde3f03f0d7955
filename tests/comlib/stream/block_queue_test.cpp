// The block queue between the data threads: order, capacity, and waits that end.

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <cstdint>
#include <thread>
#include <vector>

#include "comlib/stream/block_queue.hpp"

namespace {

using namespace std::chrono_literals;

TEST(BlockQueue, KeepsOrderAndRefusesBeyondCapacity) {
    std::vector<std::uint8_t> ring(5);
    BlockQueue queue(3);
    EXPECT_EQ(queue.front(), nullptr);
    for (int i = 0; i < 3; ++i) EXPECT_TRUE(queue.push(&ring[static_cast<std::size_t>(i)]));
    EXPECT_FALSE(queue.push(&ring[3]));
    EXPECT_EQ(queue.size(), 3U);
    EXPECT_FALSE(queue.wait_for_space(0ms));
    for (int i = 0; i < 3; ++i) {
        EXPECT_EQ(queue.front(), &ring[static_cast<std::size_t>(i)]);
        queue.pop_front();
    }
    // The slots are reused round the ring.
    for (std::size_t i = 0; i < ring.size(); ++i) {
        EXPECT_TRUE(queue.push(&ring[i]));
        EXPECT_EQ(queue.front(), &ring[i]);
        queue.pop_front();
    }
    EXPECT_EQ(queue.size(), 0U);
    queue.pop_front();  // nothing to remove: no effect
    EXPECT_EQ(queue.size(), 0U);
    EXPECT_FALSE(queue.wait_for_item(0ms));
}

TEST(BlockQueue, EveryBlockArrivesOnceAndInOrderBetweenTwoThreads) {
    constexpr std::size_t kBlocks = 20'000;
    std::vector<std::uint8_t> ring(kBlocks);
    BlockQueue queue(7);
    std::thread producer([&] {
        for (std::size_t i = 0; i < kBlocks;) {
            if (queue.push(&ring[i])) {
                ++i;
            } else {
                queue.wait_for_space(100ms);
            }
        }
    });
    std::size_t next = 0;
    while (next < kBlocks) {
        if (!queue.wait_for_item(5s)) break;
        ASSERT_EQ(queue.front(), &ring[next]);
        queue.pop_front();
        ++next;
    }
    producer.join();
    EXPECT_EQ(next, kBlocks);
}

TEST(BlockQueue, WakeEndsAWaitThatHasNoLimitInSight) {
    BlockQueue queue(2);
    std::atomic<bool> returned{false};
    std::thread waiter([&] {
        EXPECT_FALSE(queue.wait_for_item(std::chrono::hours(1)));
        returned = true;
    });
    // A wake before the waiter waits is not seen by it; wake until it has returned (deadline).
    const auto deadline = std::chrono::steady_clock::now() + 10s;
    while (!returned && std::chrono::steady_clock::now() < deadline) {
        queue.wake();
        std::this_thread::sleep_for(1ms);
    }
    EXPECT_TRUE(returned);
    if (!returned) queue.push(nullptr);  // let the thread go before the join
    waiter.join();
}

}  // namespace
