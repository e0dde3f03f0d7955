// The play sink written from a data thread while other threads stop it, reset the board, empty
// the FIFO, change the pacing and look at the record: a write waiting for room ends when the run
// does, and the record holds exactly the blocks the writer was told were taken, in order. Run
// under ThreadSanitizer for data races.

#include <gtest/gtest.h>

#include <atomic>
#include <functional>
#include <latch>
#include <string>
#include <thread>
#include <vector>

#include "capture_support.hpp"
#include "play_support.hpp"
#include "tamrelapi/device_select.hpp"
#include "tamrelapi/sim/control.hpp"
#include "tamrelapi/status.hpp"
#include "tamrelapi/tamrel_api.hpp"

namespace tamrel::test {
namespace {

using api::DeviceKind;

class PlayThreads : public ::testing::Test {
protected:
    void SetUp() override { sim::control::reset(DeviceKind::second_generation); }
};

bool write_was_logged() {
    for (const std::string& name : sim::control::call_names()) {
        if (name == "Tm2Write") return true;
    }
    return false;
}

TEST_F(PlayThreads, EndingTheRunEndsAWaitingWrite) {
    struct Ending {
        const char* what;
        std::function<void()> end;
        unsigned status_after;  // what the writer's next write returns
    };
    const std::vector<Ending> endings = {
        {"Tm2Stop", [] { EXPECT_EQ(CTamrelAPI{}.Tm2Stop(), 0U); }, api::status_play_not_started},
        {"reset", [] { sim::control::reset(DeviceKind::second_generation); }, api::status_not_open},
    };
    for (const Ending& ending : endings) {
        sim::control::reset(DeviceKind::second_generation);
        const CTamrelAPI api;
        ASSERT_EQ(api.Tm2Open(0), 0U);
        // A full FIFO that plays a sample every 10 s: every write waits for room and gives up.
        ASSERT_TRUE(sim::control::set_play_pacing({false, 1e-4}).ok());
        sim::control::set_play_fifo_capacity(64U << 10);
        ASSERT_EQ(start_play(DeviceKind::second_generation, 1000), 0U);
        ASSERT_EQ(write_block(DeviceKind::second_generation, pattern(64U << 10, 1)), 64U << 10);
        sim::control::clear_calls();

        // The writer keeps writing until the run has ended; none of its writes may take anything,
        // and the first one after the end is refused.
        std::atomic<bool> ended{false};
        std::atomic<int> bad_writes{0};
        std::atomic<unsigned> last_status{0};
        std::thread writer([&] {
            const std::vector<unsigned char> block = pattern(4096, 2);
            for (;;) {
                const bool after_end = ended;
                unsigned transferred = 77;
                const unsigned status = api.Tm2Write(block.data(), 4096, transferred);
                if (status == api::status_ok && transferred != 0) ++bad_writes;
                if (status != api::status_ok && status != ending.status_after) ++bad_writes;
                last_status = status;
                if (after_end) return;
            }
        });
        ASSERT_TRUE(eventually(write_was_logged)) << ending.what;
        ending.end();
        ended = true;
        writer.join();
        EXPECT_EQ(bad_writes.load(), 0) << ending.what;
        EXPECT_EQ(last_status.load(), ending.status_after) << ending.what;
        EXPECT_FALSE(sim::control::play_stats().running) << ending.what;
    }
}

TEST_F(PlayThreads, TheRecordHoldsExactlyTheBlocksTakenWhileOthersControlTheSink) {
    const CTamrelAPI api;
    sim::control::reset(DeviceKind::first_generation);
    ASSERT_EQ(api.Open(0), 0U);
    sim::control::set_play_fifo_capacity(1U << 20);
    ASSERT_TRUE(sim::control::set_play_pacing({false, 20.0}).ok());
    ASSERT_EQ(start_play(DeviceKind::first_generation, 1'000'000), 0U);  // 80 MB a second

    constexpr unsigned kBlock = 64U << 10;
    constexpr int kBlocks = 300;
    std::latch start(3);
    std::atomic<bool> done{false};
    std::atomic<int> bad_looks{0};

    std::thread controller([&] {
        start.arrive_and_wait();
        for (int i = 0; !done; ++i) {
            if (i % 3 == 0) {
                EXPECT_EQ(api.FifoReset(), 0U);
            }
            const api::CapturePacing pacing =
                i % 2 == 0 ? api::CapturePacing{true, 1.0} : api::CapturePacing{false, 20.0};
            EXPECT_TRUE(sim::control::set_play_pacing(pacing).ok());
            std::this_thread::yield();
        }
    });
    std::thread watcher([&] {
        start.arrive_and_wait();
        while (!done) {
            unsigned indicator = 2;
            const sim::PlayStats stats = sim::control::play_stats();
            if (api.GetPlayByteIndicator(indicator) != 0 || indicator > 1) ++bad_looks;
            if (!play_stats_add_up(stats) || !stats.running) ++bad_looks;
        }
    });

    // The writer goes on with the next block only once the board took the last one whole.
    sim::PlayHash taken;
    int blocks = 0;
    std::vector<unsigned char> block = pattern(kBlock, 0);
    start.arrive_and_wait();
    while (blocks < kBlocks) {
        unsigned transferred = 0;
        ASSERT_EQ(api.Write(block.data(), kBlock, transferred), 0U);
        if (transferred == 0) continue;
        ASSERT_EQ(transferred, kBlock);
        taken.update(block.data(), block.size());
        block = pattern(kBlock, static_cast<std::uint64_t>(++blocks));
    }
    done = true;
    controller.join();
    watcher.join();
    ASSERT_EQ(stop_play(DeviceKind::first_generation), 0U);

    const sim::PlayStats stats = sim::control::play_stats();
    EXPECT_EQ(stats.received, taken.bytes());
    EXPECT_EQ(stats.hash, taken.value());
    EXPECT_EQ(stats.writes_taken, static_cast<std::uint64_t>(kBlocks));
    EXPECT_TRUE(play_stats_add_up(stats));
    EXPECT_EQ(bad_looks.load(), 0);
}

}  // namespace
}  // namespace tamrel::test
