#include "platform/sys/time.hpp"

#include <atomic>
#include <chrono>
#include <ctime>
#include <thread>

#include <sys/time.h>

namespace platform {
namespace {
std::atomic<std::uint32_t> g_tick_offset{0};
}

LocalTime local_time() {
    timespec now{};
    LocalTime result;
    if (clock_gettime(CLOCK_REALTIME, &now) != 0) return result;
    std::tm parts{};
    if (localtime_r(&now.tv_sec, &parts) == nullptr) return result;
    result.year = parts.tm_year + 1900;
    result.month = parts.tm_mon + 1;
    result.day = parts.tm_mday;
    result.hour = parts.tm_hour;
    result.minute = parts.tm_min;
    result.second = parts.tm_sec;
    result.millisecond = static_cast<int>(now.tv_nsec / 1000000);
    result.day_of_week = parts.tm_wday;
    return result;
}

std::uint32_t tick_ms() {
    const auto since_start = std::chrono::steady_clock::now().time_since_epoch();
    const auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(since_start).count();
    return static_cast<std::uint32_t>(static_cast<std::uint64_t>(ms)) +
           g_tick_offset.load(std::memory_order_relaxed);
}

void set_tick_offset_for_tests(std::uint32_t offset) {
    g_tick_offset.store(offset, std::memory_order_relaxed);
}

void sleep_ms(std::uint32_t ms) {
    if (ms == 0) {
        std::this_thread::yield();
        return;
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(ms));
}

}  // namespace platform
