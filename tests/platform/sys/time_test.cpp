#include "platform/sys/time.hpp"

#include <gtest/gtest.h>

#include <ctime>

namespace {

TEST(Tick, ElapsedStaysRightAcrossTheWrap) {
    EXPECT_EQ(platform::tick_elapsed(0xFFFFFF00U, 0x00000100U), 0x200U);
    EXPECT_EQ(platform::tick_elapsed(1000, 1500), 500U);

    // Run the tick itself 20 ms before the wrap and watch it pass through zero.
    const std::uint32_t now = platform::tick_ms();
    platform::set_tick_offset_for_tests(0U - now - 20U);
    const std::uint32_t before = platform::tick_ms();
    std::uint32_t after = before;
    for (int i = 0; i < 200 && after >= before; ++i) {
        platform::sleep_ms(1);
        after = platform::tick_ms();
    }
    platform::set_tick_offset_for_tests(0);
    EXPECT_LT(after, before) << "the tick did not wrap";
    EXPECT_LT(platform::tick_elapsed(before, after), 1000U);
}

TEST(LocalTime, AgreesWithTheCalendar) {
    const std::time_t t = std::time(nullptr);
    std::tm parts{};
    localtime_r(&t, &parts);
    const platform::LocalTime now = platform::local_time();
    EXPECT_EQ(now.year, parts.tm_year + 1900);
    EXPECT_GE(now.month, 1);
    EXPECT_LE(now.month, 12);
    EXPECT_GE(now.day, 1);
    EXPECT_LE(now.day, 31);
    EXPECT_LT(now.hour, 24);
    EXPECT_LT(now.millisecond, 1000);
}

}  // namespace
