// The watchdog/status thread's passes and the gain/trigger follower, driven one pass at a time.

#include <arpa/inet.h>
#include <netinet/in.h>

#include <gtest/gtest.h>

#include <cstring>
#include <fstream>

#include "platform/sys/time.hpp"
#include "tamrelapi/tamrel_api.hpp"
#include "session_fixture.hpp"

namespace {

using tamrel::api::DeviceKind;
namespace control = tamrel::sim::control;

struct Header {
    std::uint32_t magic, cmd, rw, length, address;
};

class PeriodicTest : public SessionTest {
protected:
    void SetUp() override {
        SessionTest::SetUp();
        ASSERT_EQ(session_->CreateUDP_Socket(), 0);
        host_ = listen_on(platform::kHostPort);
        session_->TmSetStaticWinID(TM_STATIC_CONNECT, &connect_window_);
    }
    std::optional<Header> next(int timeout_ms = 5000, std::vector<std::uint8_t>* payload = nullptr) {
        std::uint8_t buffer[2048];
        auto got = host_->receive(buffer, sizeof buffer, timeout_ms);
        if (!got.ok() || got->size < 20) return std::nullopt;
        Header h{};
        std::memcpy(&h, buffer, sizeof h);
        if (payload != nullptr) payload->assign(buffer + 20, buffer + got->size);
        return h;
    }
    std::unique_ptr<platform::UdpSocket> host_;
    platform::RecordingHostWindow connect_window_;
};

TEST_F(PeriodicTest, AnExpiredWatchdogDropsTheHost) {
    CTamrelComMFCTestPeer::set_connected(*session_, true);
    session_->SetExpireCount(1);
    session_->TmTypeEditAddCmd(u"pending line");
    session_->DecreaseExpireCount();
    EXPECT_EQ(session_->GetExpireCount(), 0U);
    CTamrelComMFCTestPeer::status_pass(*session_);
    auto packet = next();
    ASSERT_TRUE(packet.has_value());
    EXPECT_EQ(packet->cmd, 48U);
    EXPECT_EQ(packet->rw, 4U);
    EXPECT_EQ(packet->length, 0U);
    EXPECT_EQ(session_->ConnectionState(), 0U);
    EXPECT_EQ(session_->SettingBlock().Connected, 0U);
    EXPECT_EQ(session_->GetExpireCount(), 60U);
    EXPECT_EQ(session_->CommandQueueLength(), 0U);
    EXPECT_EQ(connect_window_.window_text(), u"Connect:Off");
    EXPECT_TRUE(window_.wait_for_text(u"Disconnected", std::chrono::milliseconds(0)));
}

TEST_F(PeriodicTest, TheWatchdogLeavesAPlayerRemoteConnectionAlone) {
    CTamrelComMFCTestPeer::set_connected(*session_, true);
    CTamrelComMFCTestPeer::set_api_in_control(*session_, true);
    session_->SetExpireCount(0);
    CTamrelComMFCTestPeer::status_pass(*session_);
    EXPECT_EQ(session_->GetExpireCount(), 60U);
    EXPECT_EQ(session_->ConnectionState(), 2U);
    EXPECT_FALSE(window_.wait_for_text(u"Disconnected", std::chrono::milliseconds(0)));
}

TEST_F(PeriodicTest, TheCounterCountsDownOnlyWhileConnected) {
    session_->SetExpireCount(3);
    session_->DecreaseExpireCount();
    EXPECT_EQ(session_->GetExpireCount(), 3U);
    CTamrelComMFCTestPeer::set_connected(*session_, true);
    session_->DecreaseExpireCount();
    EXPECT_EQ(session_->GetExpireCount(), 2U);
    session_->SetExpireCount(0);
    session_->DecreaseExpireCount();
    EXPECT_EQ(session_->GetExpireCount(), 0U);
}

TEST_F(PeriodicTest, DriveFiguresGoToTheHostEveryFourSecondsWithTheLowSpaceNotice) {
    constexpr std::uint64_t GiB = 1ULL << 30;
    std::ofstream(root_ / "D" / ".capacity") << 100 * GiB << ' ' << GiB << '\n';
    CTamrelComMFCTestPeer::set_connected(*session_, true);
    CTamrelComMFCTestPeer::set_mode(*session_, TM_MODE_RECORD);
    CTamrelComMFCTestPeer::status_pass(*session_);
    EXPECT_FALSE(next(200).has_value()) << "figures sent before 4 s had passed";
    platform::set_tick_offset_for_tests(4'100);
    CTamrelComMFCTestPeer::status_pass(*session_);
    platform::set_tick_offset_for_tests(0);
    std::vector<std::uint8_t> payload;
    auto figures = next(5000, &payload);
    ASSERT_TRUE(figures.has_value());
    EXPECT_EQ(figures->cmd, 43U);
    EXPECT_EQ(figures->rw, 4U);
    ASSERT_EQ(payload.size(), 12U);
    std::uint32_t gb[3];
    std::memcpy(gb, payload.data(), 12);
    EXPECT_EQ(gb[0], 100U);
    EXPECT_EQ(gb[1], 1U);
    EXPECT_EQ(gb[2], 99U);
    auto low = next();
    ASSERT_TRUE(low.has_value());
    EXPECT_EQ(low->cmd, 44U);
    EXPECT_EQ(low->rw, 152U);
}

TEST_F(PeriodicTest, LocalMonitorLineShowsTheFifoLevelInMiB) {
    control::reset(DeviceKind::second_generation);
    ASSERT_EQ(CTamrelAPI().Tm2Open(0), 0U);
    control::set_fifo_level(5U << 20);
    CTamrelComMFCTestPeer::set_local_monitor(*session_, true);
    CTamrelComMFCTestPeer::status_pass(*session_);
    EXPECT_TRUE(window_.wait_for_text(u"<DequeSize:0,H:5>", std::chrono::milliseconds(0)));
}

TEST_F(PeriodicTest, FollowerTakesTheSecondGenerationGainAndReportsATriggerOnce) {
    ASSERT_EQ(CTamrelAPI().Tm2Open(0), 0U);
    CTamrelComMFCTestPeer::set_setting(*session_, &_TmSettingBlock_t::Generation, 2);
    control::set_capture_gain(-125);
    CTamrelComMFCTestPeer::follower_pass(*session_);
    EXPECT_EQ(session_->CaptureGainDb(), 0.0F) << "the follower acts only while connected";

    CTamrelComMFCTestPeer::set_connected(*session_, true);
    CTamrelComMFCTestPeer::set_mode(*session_, TM_MODE_BBR_RECORD);
    CTamrelComMFCTestPeer::follower_pass(*session_);
    EXPECT_FLOAT_EQ(session_->CaptureGainDb(), -12.5F);
    EXPECT_FALSE(next(100).has_value());
    control::set_trigger_in_level(1);
    CTamrelComMFCTestPeer::follower_pass(*session_);
    CTamrelComMFCTestPeer::follower_pass(*session_);
    auto trigger = next();
    ASSERT_TRUE(trigger.has_value());
    EXPECT_EQ(trigger->cmd, 63U);
    EXPECT_EQ(trigger->rw, 160U);
    EXPECT_FALSE(next(100).has_value()) << "a trigger is reported once";
}

TEST_F(PeriodicTest, FollowerAppliesTheFirstGenerationAgcGainToThePlayPath) {
    control::reset(DeviceKind::first_generation);
    ASSERT_EQ(CTamrelAPI().Open(0), 0U);
    CTamrelComMFCTestPeer::set_connected(*session_, true);
    CTamrelComMFCTestPeer::set_mode(*session_, TM_MODE_RECORD);
    CTamrelComMFCTestPeer::set_setting(*session_, &_TmSettingBlock_t::CaptureAGC, 1);
    CTamrelComMFCTestPeer::set_setting(*session_, &_TmSettingBlock_t::CaptureLoopThrough, 1);
    control::set_capture_gain(87);
    CTamrelComMFCTestPeer::follower_pass(*session_);
    EXPECT_FLOAT_EQ(session_->CaptureGainDb(), 8.7F);
    EXPECT_FALSE(control::outputs().captured_gain.has_value()) << "applied before 1.5 s had passed";
    platform::set_tick_offset_for_tests(2'000);
    CTamrelComMFCTestPeer::follower_pass(*session_);
    platform::set_tick_offset_for_tests(0);
    const auto applied = control::outputs().captured_gain;
    ASSERT_TRUE(applied.has_value());
    EXPECT_EQ(*applied, (tamrel::sim::CapturedGainCompensation{0, 87, 250}));
}

TEST_F(PeriodicTest, GraphInitTimeTellsTheHostsGraphsThatAModeStarts) {
    CTamrelComMFCTestPeer::set_connected(*session_, true);
    std::vector<std::uint8_t> payload;
    session_->TmSetGraphInitTime(TM_MODE_PLAY);
    for (std::uint32_t cmd : {13U, 14U}) {
        auto packet = next(5000, &payload);
        ASSERT_TRUE(packet.has_value());
        EXPECT_EQ(packet->cmd, cmd);
        EXPECT_EQ(packet->rw, 145U);
        EXPECT_EQ(payload, (std::vector<std::uint8_t>{'1', 0}));  // the wide text "1", no terminator
    }
    session_->TmSetGraphInitTime(TM_MODE_EVENT_RECORD);
    for (std::uint32_t cmd : {13U, 14U}) {
        auto packet = next(5000, &payload);
        ASSERT_TRUE(packet.has_value());
        EXPECT_EQ(packet->cmd, cmd);
        EXPECT_EQ(packet->rw, 146U);
        EXPECT_TRUE(payload.empty());
    }
    session_->TmSetGraphInitTime(TM_MODE_FULL_BAND_PREVIEW);
    EXPECT_FALSE(next(200).has_value());
}

TEST_F(PeriodicTest, TheFollowerCanBeStoppedAndStartedAgain) {
    session_->BeginThread();
    EXPECT_EQ(session_->RunningThreadCount(), 5U);
    session_->StartStop_ThreadCyclicControl(0);
    EXPECT_EQ(session_->RunningThreadCount(), 4U);
    session_->StartStop_ThreadCyclicControl(1);
    session_->StartStop_ThreadCyclicControl(1);  // already running: no second follower
    EXPECT_EQ(session_->RunningThreadCount(), 5U);
}

}  // namespace
