#pragma once
// SecondMeter: the per-second power measurement of a sample stream. Blocks of samples are fed
// in order; the meter sums I² + Q² of every sample into the window of the current second and,
// each time a window holds S samples (one second at S samples per second), reports the
// completed second's power sum and starts the next window with the samples that follow.
//
// A block may hold any number of second boundaries (at 1,000 samples per second a 1 MiB block
// spans 262 seconds), so feed() walks every boundary inside the block. With S = 0 no second is
// ever complete and nothing is divided by it.
//
// Thread-safety: the pop thread feeds and starts it. The window count is atomic because the
// exported summation members add to it from whichever thread calls them, and the second count
// because the host may read it at any time.

#include <atomic>
#include <cmath>
#include <cstdint>

#include "comlib/stream/iq_power.hpp"

class SecondMeter {
public:
    // A fresh measurement at `samples_per_second`: empty window, power sum 0, no second counted.
    void start(std::uint32_t samples_per_second) {
        samples_per_second_ = samples_per_second;
        power_sum_ = 0;
        window_.store(0, std::memory_order_relaxed);
        seconds_.store(0, std::memory_order_relaxed);
    }

    // Sums `count` samples (interleaved I, Q); calls on_second(power_sum, second_number) for
    // every second completed, in order. on_second may stop the feed by returning false (the rest
    // of the block then counts toward nothing).
    template <typename OnSecond>
    void feed(const std::int16_t* samples, std::uint32_t count, OnSecond&& on_second) {
        const std::uint32_t per_second = samples_per_second_;
        while (count > 0) {
            const std::uint32_t window = window_.load(std::memory_order_relaxed);
            std::uint32_t take = count;
            if (per_second > 0 && per_second - window < take) take = per_second - window;
            power_sum_ += tamrel::stream::iq_sum_squares(samples, take);
            window_.store(window + take, std::memory_order_relaxed);
            samples += std::size_t{take} * 2;
            count -= take;
            if (per_second == 0 || window + take < per_second) return;
            const std::uint32_t number = seconds_.load(std::memory_order_relaxed) + 1;
            seconds_.store(number, std::memory_order_relaxed);
            const std::uint64_t sum = power_sum_;
            power_sum_ = 0;
            window_.store(0, std::memory_order_relaxed);
            if (!on_second(sum, number)) return;
        }
    }

    // Adds samples summed elsewhere (the exported summation members count what they sum).
    void add_to_window(std::uint32_t samples) { window_.fetch_add(samples, std::memory_order_relaxed); }

    std::uint32_t samples_per_second() const { return samples_per_second_; }
    std::uint32_t window() const { return window_.load(std::memory_order_relaxed); }
    std::uint32_t seconds() const { return seconds_.load(std::memory_order_relaxed); }

    // The level of a second in dB full scale: 10·log10(sum / 2S) − 90.30899, the mean square per
    // component against a full-scale component (32768² is 90.30899 dB).
    static double dbfs(std::uint64_t power_sum, std::uint32_t samples_per_second) {
        const double divisor = 2.0 * static_cast<double>(samples_per_second);
        return 10.0 * std::log10(static_cast<double>(power_sum) / divisor) - 90.30899;
    }

private:
    std::uint32_t samples_per_second_ = 0;
    std::uint64_t power_sum_ = 0;
    std::atomic<std::uint32_t> window_{0};
    std::atomic<std::uint32_t> seconds_{0};
};
