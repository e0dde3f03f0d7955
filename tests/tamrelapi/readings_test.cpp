// Values the running board reports, set through the control interface, and outputs the session
// drives, read back through it.

#include "sim_fixture.hpp"

namespace tamrel::test {
namespace {

using api::DeviceKind;

TEST_F(SimTest, SecondGenerationReportsGainTriggerAndFifoAsSet) {
    open_fresh(DeviceKind::second_generation);
    sim::control::set_capture_gain(-125);
    sim::control::set_trigger_in_level(1);
    sim::control::set_fifo_level(3U << 20);

    short gain = 0;
    unsigned level = 0;
    unsigned fifo = 0;
    ASSERT_EQ(api_.Tm2RecordGetGain(gain), 0U);
    ASSERT_EQ(api_.Tm2GetTriggerInLevel(level), 0U);
    ASSERT_EQ(api_.GetFifo(fifo), 0U);
    EXPECT_EQ(gain, -125);
    EXPECT_EQ(level, 1U);
    EXPECT_EQ(fifo, 3U << 20);

    sim::control::set_trigger_in_level(0);
    ASSERT_EQ(api_.Tm2GetTriggerInLevel(level), 0U);
    EXPECT_EQ(level, 0U);
}

TEST_F(SimTest, FirstGenerationReportsGainDmaSpeedAndFifoAsSet) {
    open_fresh(DeviceKind::first_generation);
    unsigned speed = 0;
    ASSERT_EQ(api_.GetDMASpeed(speed), 0U);
    EXPECT_EQ(speed, sim::control::readings().dma_speed);
    EXPECT_NE(speed, 0U);

    sim::Readings readings;
    readings.capture_gain = 253;
    readings.dma_speed = 212;
    readings.fifo_bytes = 4096;
    sim::control::set_readings(readings);

    short gain = 0;
    unsigned fifo = 0;
    ASSERT_EQ(api_.CaptureGetGain(gain), 0U);
    ASSERT_EQ(api_.GetDMASpeed(speed), 0U);
    ASSERT_EQ(api_.GetFifo(fifo), 0U);
    EXPECT_EQ(gain, 253);
    EXPECT_EQ(speed, 212U);
    EXPECT_EQ(fifo, 4096U);

    sim::control::set_dma_speed(99);
    ASSERT_EQ(api_.GetDMASpeed(speed), 0U);
    EXPECT_EQ(speed, 99U);
}

TEST_F(SimTest, CapturedGainCompensationIsKeptAsAppliedAndABadBandwidthRefused) {
    open_fresh(DeviceKind::first_generation);
    EXPECT_FALSE(sim::control::outputs().captured_gain.has_value());

    ASSERT_EQ(api_.PlaySetCapturingGainOrSetCapturedGain(1, 253, 250), 0U);
    ASSERT_EQ(api_.PlaySetCapturingGainOrSetCapturedGain(0, -40, 250), 0U);
    sim::Outputs out = sim::control::outputs();
    ASSERT_TRUE(out.captured_gain.has_value());
    EXPECT_EQ(*out.captured_gain, (sim::CapturedGainCompensation{0, -40, 250}));
    EXPECT_EQ(out.captured_gain_count, 2U);

    EXPECT_EQ(api_.PlaySetCapturingGainOrSetCapturedGain(2, 10, 250),
              api::status_invalid_argument);
    EXPECT_EQ(sim::control::outputs(), out);
}

TEST_F(SimTest, ImageLoadAcceptsTheFourSlotsOnly) {
    open_fresh(DeviceKind::first_generation);
    ASSERT_EQ(api_.SetImageType(0), 0U);
    EXPECT_EQ(sim::control::outputs().image_type, 0U);
    ASSERT_EQ(api_.SetImageType(3), 0U);
    EXPECT_EQ(sim::control::outputs().image_type, 3U);
    EXPECT_EQ(api_.SetImageType(4), api::status_invalid_argument);
    EXPECT_EQ(sim::control::outputs().image_type, 3U);
}

}  // namespace
}  // namespace tamrel::test
