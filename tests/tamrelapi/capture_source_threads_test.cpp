// The capture source read from a data thread while other threads stop it, reset the board, empty
// the FIFO, change the pacing and look at the counters: a blocked read ends when the run does,
// and the reader gets every sample at most once and in order. Run under ThreadSanitizer for data
// races.

#include <gtest/gtest.h>

#include <atomic>
#include <functional>
#include <latch>
#include <thread>
#include <vector>

#include "capture_support.hpp"
#include "tamrelapi/device_select.hpp"
#include "tamrelapi/sim/control.hpp"
#include "tamrelapi/status.hpp"
#include "tamrelapi/tamrel_api.hpp"

namespace tamrel::test {
namespace {

using api::DeviceKind;
using sim::CaptureContent;

class CaptureThreads : public ::testing::Test {
protected:
    void SetUp() override { sim::control::reset(DeviceKind::second_generation); }
};

bool read_was_logged() {
    for (const std::string& name : sim::control::call_names()) {
        if (name == "Tm2Read") return true;
    }
    return false;
}

TEST_F(CaptureThreads, EndingTheRunEndsABlockedRead) {
    struct Ending {
        const char* what;
        std::function<void()> end;
    };
    const std::vector<Ending> endings = {
        {"Tm2Stop", [] { EXPECT_EQ(CTamrelAPI{}.Tm2Stop(), 0U); }},
        {"reset", [] { sim::control::reset(DeviceKind::second_generation); }},
    };
    for (const Ending& ending : endings) {
        sim::control::reset(DeviceKind::second_generation);
        const CTamrelAPI api;
        ASSERT_EQ(api.Tm2Open(0), 0U);
        ASSERT_EQ(api.Tm2RecordSetIQRate(1000), 0U);  // 64 KiB would take 16 s
        ASSERT_EQ(api.Tm2Start(), 0U);
        sim::control::clear_calls();

        // The reader keeps asking until the run has ended; none of its reads may take anything.
        std::atomic<bool> ended{false};
        std::atomic<int> bad_reads{0};
        std::thread reader([&] {
            std::vector<unsigned char> buffer(64U << 10);
            for (;;) {
                const bool after_end = ended;
                unsigned transferred = 77;
                const unsigned status = api.Tm2Read(buffer.data(), 64U << 10, transferred);
                if (status != api::status_ok && status != api::status_not_open) ++bad_reads;
                if (status == api::status_ok && transferred != 0) ++bad_reads;
                if (after_end) return;
            }
        });
        ASSERT_TRUE(eventually(read_was_logged)) << ending.what;
        ending.end();
        ended = true;
        reader.join();
        EXPECT_EQ(bad_reads.load(), 0) << ending.what;
        EXPECT_FALSE(sim::control::capture_stats().running) << ending.what;
    }
}

TEST_F(CaptureThreads, TheReaderGetsEachSampleAtMostOnceInOrderWhileOthersControlTheSource) {
    const CTamrelAPI api;
    sim::control::reset(DeviceKind::first_generation);
    ASSERT_EQ(api.Open(0), 0U);
    sim::control::set_capture_content(CaptureContent::counter);
    sim::control::set_capture_fifo_capacity(1U << 20);
    ASSERT_TRUE(sim::control::set_capture_pacing({false, 20.0}).ok());
    ASSERT_EQ(api.Start(), 0U);

    constexpr unsigned kBlock = 64U << 10;
    constexpr int kBlocks = 300;
    std::latch start(3);
    std::atomic<bool> done{false};
    std::atomic<int> bad_stats{0};

    std::thread controller([&] {
        start.arrive_and_wait();
        for (int i = 0; !done; ++i) {
            if (i % 3 == 0) {
                EXPECT_EQ(api.FifoReset(), 0U);
            }
            const api::CapturePacing pacing =
                i % 2 == 0 ? api::CapturePacing{true, 1.0} : api::CapturePacing{false, 20.0};
            EXPECT_TRUE(sim::control::set_capture_pacing(pacing).ok());
            std::this_thread::yield();
        }
    });
    std::thread watcher([&] {
        start.arrive_and_wait();
        while (!done) {
            unsigned fifo = 0;
            const sim::CaptureStats stats = sim::control::capture_stats();
            if (api.GetFifo(fifo) != 0 || !stats_add_up(stats) || !stats.running) ++bad_stats;
        }
    });

    std::uint64_t blocks = 0;
    std::uint64_t missing = 0;  // samples below the last one delivered that never came
    std::int64_t last = -1;
    std::vector<unsigned char> buffer(kBlock);
    start.arrive_and_wait();
    while (blocks < kBlocks) {
        unsigned transferred = 0;
        ASSERT_EQ(api.Read(buffer.data(), kBlock, transferred), 0U);
        if (transferred == 0) continue;
        ASSERT_EQ(transferred, kBlock);
        ++blocks;
        for (unsigned at = 0; at < kBlock; at += 4) {
            const auto n = static_cast<std::int64_t>(counter_at(&buffer[at]));
            ASSERT_GT(n, last) << "block " << blocks << " byte " << at;
            missing += static_cast<std::uint64_t>(n - last - 1);
            last = n;
        }
    }
    done = true;
    controller.join();
    watcher.join();
    ASSERT_EQ(api.Stop(), 0U);

    const sim::CaptureStats stats = sim::control::capture_stats();
    EXPECT_EQ(stats.delivered, blocks * kBlock);
    EXPECT_LE(missing * 4, stats.lost + stats.discarded);
    EXPECT_TRUE(stats_add_up(stats));
    EXPECT_EQ(bad_stats.load(), 0);
}

}  // namespace
}  // namespace tamrel::test
