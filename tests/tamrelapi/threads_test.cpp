// The device library called from several threads at once while the control interface changes
// what the board reports: every read sees a value that was set, counted faults are consumed
// exactly once, and the call log stays whole. Run under ThreadSanitizer for data races.

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <atomic>
#include <latch>
#include <string>
#include <thread>
#include <vector>

#include "tamrelapi/alt_pci_qsys.hpp"
#include "tamrelapi/device_select.hpp"
#include "tamrelapi/plx_io.hpp"
#include "tamrelapi/sim/control.hpp"
#include "tamrelapi/status.hpp"
#include "tamrelapi/tamrel_api.hpp"

namespace tamrel::test {
namespace {

using api::DeviceKind;
using sim::make_version;

constexpr int kReaders = 4;
constexpr int kIterations = 2000;
constexpr unsigned kInjected = 0xE0F2;
constexpr std::array<short, 3> kGains = {-120, 0, 250};

sim::Identity identity_number(unsigned n) {
    sim::Identity id = sim::control::identity();
    id.pump_fpga_version = make_version(2, 1, n, 0);
    id.dsp_nios_version = make_version(1, 1, n, 0);
    return id;
}

class Concurrency : public ::testing::Test {
protected:
    void SetUp() override { sim::control::reset(DeviceKind::second_generation); }
};

TEST_F(Concurrency, ReadersSeeOnlyValuesThatWereSetWhileTheControlChangesThem) {
    ASSERT_EQ(CTamrelAPI{}.Tm2Open(0), 0U);
    sim::control::set_capture_gain(kGains[0]);
    sim::control::set_identity(identity_number(0));
    sim::control::clear_calls();

    std::latch start(kReaders + 1);
    std::atomic<int> bad_values{0};
    std::atomic<int> bad_statuses{0};
    std::atomic<int> torn_identities{0};
    std::atomic<std::uint64_t> api_calls{0};

    auto reader = [&] {
        const CTamrelAPI api;
        start.arrive_and_wait();
        for (int i = 0; i < kIterations; ++i) {
            short gain = 1;
            if (api.Tm2RecordGetGain(gain) != 0 ||
                std::find(kGains.begin(), kGains.end(), gain) == kGains.end()) {
                ++bad_values;
            }
            unsigned fifo = 0xDEADBEEF;
            const unsigned status = api.GetFifo(fifo);
            if (status == kInjected ? fifo != 0xDEADBEEF : status != 0) ++bad_statuses;
            unsigned pump = 0;
            if (api.Tm2GetPumpFpgaVer(pump) != 0 || (pump >> 24) != 2) ++bad_values;
            const sim::Identity id = sim::control::identity();
            if (((id.pump_fpga_version >> 8) & 0xFF) != ((id.dsp_nios_version >> 8) & 0xFF)) {
                ++torn_identities;
            }
            api_calls += 3;
        }
    };

    std::vector<std::thread> threads;
    for (int r = 0; r < kReaders; ++r) threads.emplace_back(reader);
    start.arrive_and_wait();
    for (int i = 0; i < kIterations; ++i) {
        sim::control::set_capture_gain(kGains[static_cast<std::size_t>(i) % kGains.size()]);
        sim::control::set_identity(identity_number(static_cast<unsigned>(i % 200)));
        sim::control::set_fifo_level(static_cast<unsigned>(i) * 4096U);
        if (i % 10 == 0) {
            EXPECT_TRUE(sim::control::fail_next("GetFifo", 1, kInjected).ok());
        }
        sim::control::set_trigger_in_level(static_cast<unsigned>(i % 2));
    }
    for (std::thread& t : threads) t.join();

    EXPECT_EQ(bad_values.load(), 0);
    EXPECT_EQ(bad_statuses.load(), 0);
    EXPECT_EQ(torn_identities.load(), 0);
    EXPECT_EQ(sim::control::call_count(), api_calls.load());
}

TEST_F(Concurrency, ACountedFaultIsConsumedExactlyOnceAcrossThreads) {
    ASSERT_EQ(CTamrelAPI{}.Tm2Open(0), 0U);
    constexpr unsigned kFaults = 300;
    ASSERT_TRUE(sim::control::fail_next("Tm2GetTriggerInLevel", kFaults, kInjected).ok());

    std::latch start(kReaders);
    std::atomic<unsigned> failures{0};
    std::vector<std::thread> threads;
    for (int r = 0; r < kReaders; ++r) {
        threads.emplace_back([&] {
            const CTamrelAPI api;
            start.arrive_and_wait();
            for (int i = 0; i < 250; ++i) {
                unsigned level = 0;
                const unsigned status = api.Tm2GetTriggerInLevel(level);
                if (status == kInjected) {
                    ++failures;
                } else {
                    EXPECT_EQ(status, 0U);
                }
            }
        });
    }
    for (std::thread& t : threads) t.join();
    EXPECT_EQ(failures.load(), kFaults);
}

TEST_F(Concurrency, RegisterWritesFromManyThreadsAllLand) {
    sim::control::reset(DeviceKind::first_generation);
    ASSERT_EQ(CTamrelAPI{}.Open(0), 0U);

    constexpr unsigned kPerThread = 256;
    std::latch start(kReaders);
    std::vector<std::thread> threads;
    for (unsigned t = 0; t < static_cast<unsigned>(kReaders); ++t) {
        threads.emplace_back([&, t] {
            start.arrive_and_wait();
            for (unsigned i = 0; i < kPerThread; ++i) {
                const unsigned offset = (t * kPerThread + i) * 4;
                EXPECT_EQ(gc_PLXIO.write_reg(2, offset, offset ^ 0xA5A5A5A5U), 0U);
                unsigned fpga = 0;
                EXPECT_EQ(gc_PLXIO.read_reg(1, 0x8008, fpga), 0U);
            }
        });
    }
    for (std::thread& t : threads) t.join();

    for (unsigned offset = 0; offset < kPerThread * kReaders * 4; offset += 4) {
        ASSERT_EQ(*sim::control::peek_register(2, offset), offset ^ 0xA5A5A5A5U) << offset;
    }
    const std::vector<sim::CallRecord> calls = sim::control::calls();
    for (std::size_t i = 1; i < calls.size(); ++i) {
        ASSERT_EQ(calls[i].sequence, calls[i - 1].sequence + 1);
    }
}

TEST_F(Concurrency, OpenCloseAndResetRaceWithCallsWithoutHarm) {
    std::latch start(3);
    std::thread opener([&] {
        const CTamrelAPI api;
        start.arrive_and_wait();
        for (int i = 0; i < 500; ++i) {
            api.Tm2Open(0);
            api.Tm2Close();
        }
    });
    std::thread caller([&] {
        const CTamrelAPI api;
        start.arrive_and_wait();
        for (int i = 0; i < 2000; ++i) {
            unsigned value = 0;
            const unsigned status = api.Tm2GetDspNiosVer(value);
            EXPECT_TRUE(status == api::status_ok || status == api::status_not_open ||
                        status == api::status_wrong_generation)
                << api::describe_status(status);
        }
    });
    start.arrive_and_wait();
    for (int i = 0; i < 50; ++i) {
        sim::control::reset(i % 2 == 0 ? DeviceKind::first_generation
                                       : DeviceKind::second_generation);
    }
    opener.join();
    caller.join();
}

TEST_F(Concurrency, GpsTextFedWhileTheSessionReadsArrivesWholeAndInOrder) {
    ASSERT_EQ(CTamrelAPI{}.Tm2Open(0), 0U);
    // Well below the board's bound, so nothing may be dropped.
    constexpr std::size_t kChunks = 2000;
    constexpr std::size_t kChunkBytes = 61;  // not a divisor of the 251-byte pattern
    std::string sent(kChunks * kChunkBytes, '\0');
    for (std::size_t i = 0; i < sent.size(); ++i) sent[i] = static_cast<char>(i % 251);

    std::latch start(3);
    std::atomic<bool> all_fed{false};
    std::thread receiver([&] {
        start.arrive_and_wait();
        for (std::size_t i = 0; i < kChunks; ++i) {
            sim::control::feed_gps_text(
                std::string_view(sent).substr(i * kChunkBytes, kChunkBytes));
        }
        all_fed = true;
    });
    std::atomic<int> bad_counts{0};
    std::thread watcher([&] {  // the counts must stay sane while bytes move
        start.arrive_and_wait();
        while (!all_fed) {
            unsigned count = 0;
            if (gc_AltPciQSys.String_Recevie_From_GPS_RxCount(count) != 0 || count > sent.size() ||
                sim::control::gps_text_dropped() != 0) {
                ++bad_counts;
            }
        }
    });

    std::string received;
    std::array<unsigned char, 97> buffer{};
    start.arrive_and_wait();
    for (;;) {
        const bool done = all_fed;  // read first: once set, everything fed is waiting
        unsigned count = 0;
        ASSERT_EQ(gc_AltPciQSys.String_Recevie_From_GPS_RxCount(count), 0U);
        const unsigned asked = std::min(count, static_cast<unsigned>(buffer.size()));
        ASSERT_EQ(gc_AltPciQSys.String_Recevie_From_GPS_Data(buffer.data(), asked), 0U);
        received.append(buffer.begin(), buffer.begin() + asked);
        if (done && count == 0) break;
    }
    receiver.join();
    watcher.join();

    EXPECT_EQ(received.size(), sent.size());
    EXPECT_TRUE(received == sent);
    EXPECT_EQ(bad_counts.load(), 0);
    EXPECT_EQ(sim::control::gps_text_waiting(), 0U);
}

}  // namespace
}  // namespace tamrel::test
