// I/Q power benchmark: GB/s of the power sums over a buffer of random samples, beside the
// obvious per-sample loop, in the same run.
//
//   bench_iq_power [--mib N] [--repeat N]
//
// --mib:    buffer size in MiB (default 64: well past the caches, so memory speed counts as it
//           does for the recorder's blocks).
// --repeat: passes per form (default 9); the best and the median pass are reported.
//
// The recorder writes 70 MS/s, 280 MB/s; the last column says what share of one core summing
// that rate costs.

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <random>
#include <vector>

#include "comlib/stream/iq_power.hpp"

namespace {

using Clock = std::chrono::steady_clock;
namespace stream = tamrel::stream;

constexpr double kRecordBytesPerSecond = 280e6;

// Keeps the compiler from assuming the buffer is unchanged between passes, so no pass can be
// folded into another or hoisted out of the loop.
void clobber_memory(const void* p) {
    __asm__ __volatile__("" : : "r"(p) : "memory");
}

// The obvious loop: per sample, I² and Q² added to 64-bit sums.
__attribute__((noinline)) std::uint64_t plain_sum(const std::int16_t* data, std::uint32_t count) {
    std::uint64_t sum = 0;
    for (std::uint32_t s = 0; s < count; ++s) {
        const std::int32_t i = data[2 * s];
        const std::int32_t q = data[2 * s + 1];
        sum += static_cast<std::uint64_t>(i * i) + static_cast<std::uint64_t>(q * q);
    }
    return sum;
}

struct Figures {
    double best = 0;    // GB/s
    double median = 0;  // GB/s
    std::uint64_t sum = 0;
};

// Runs `pass` `repeat` times over `bytes` bytes; `pass` returns the sum of I² + Q².
template <typename Pass>
Figures measure(const std::vector<std::int16_t>& buffer, int repeat, Pass pass) {
    std::vector<double> rates;
    Figures figures;
    const double bytes = static_cast<double>(buffer.size() * sizeof(std::int16_t));
    for (int r = 0; r < repeat; ++r) {
        clobber_memory(buffer.data());
        const auto start = Clock::now();
        figures.sum = pass();
        const double seconds = std::chrono::duration<double>(Clock::now() - start).count();
        rates.push_back(bytes / seconds / 1e9);
    }
    std::sort(rates.begin(), rates.end());
    figures.best = rates.back();
    figures.median = rates[rates.size() / 2];
    return figures;
}

bool parse_count(const char* text, long low, long high, long& value) {
    char* end = nullptr;
    errno = 0;
    const long parsed = std::strtol(text, &end, 10);
    if (errno != 0 || end == text || *end != '\0' || parsed < low || parsed > high) return false;
    value = parsed;
    return true;
}

int usage() {
    std::fprintf(stderr, "usage: bench_iq_power [--mib N (1..4095)] [--repeat N (1..1000)]\n");
    return 2;
}

void report(const char* name, const Figures& f, const Figures& plain) {
    std::printf(
        "%-26s best %7.2f GB/s  median %7.2f GB/s  x%5.2f of plain (median)  %5.2f%% of a core at "
        "280 MB/s\n",
        name, f.best, f.median, f.median / plain.median,
        100.0 * kRecordBytesPerSecond / (f.median * 1e9));
}

}  // namespace

int main(int argc, char** argv) {
    long mib = 64;
    long repeat = 9;
    for (int a = 1; a < argc; ++a) {
        if (a + 1 < argc && std::strcmp(argv[a], "--mib") == 0) {
            if (!parse_count(argv[++a], 1, 4095, mib)) return usage();
        } else if (a + 1 < argc && std::strcmp(argv[a], "--repeat") == 0) {
            if (!parse_count(argv[++a], 1, 1000, repeat)) return usage();
        } else {
            return usage();
        }
    }

    // Four bytes per sample; the count is a multiple of 4, as the recorder's blocks are.
    const auto count = static_cast<std::uint32_t>(mib * 1024 * 1024 / 4);
    std::vector<std::int16_t> buffer(std::size_t{count} * 2);
    std::mt19937 generator(20240601);
    for (auto& v : buffer) v = static_cast<std::int16_t>(generator() >> 16);
    const int passes = static_cast<int>(repeat);
    std::printf("buffer %ld MiB (%u samples), %d passes per form, vector path %s\n", mib, count,
                passes, stream::detail::iq_power_vectorised() ? "SSE2" : "none (portable)");

    const Figures plain = measure(buffer, passes, [&] { return plain_sum(buffer.data(), count); });
    const Figures power = measure(buffer, passes, [&] {
        stream::IqPowerLanes lanes{};
        stream::iq_sum_power(buffer.data(), count, lanes);
        return lanes.lane[0] + lanes.lane[1];
    });
    const Figures from_last = measure(buffer, passes, [&] {
        stream::IqPowerLanes lanes{};
        stream::iq_sum_power_from_last(buffer.data() + buffer.size(), count, lanes);
        return lanes.lane[0] + lanes.lane[1];
    });
    const Figures squares =
        measure(buffer, passes, [&] { return stream::iq_sum_squares(buffer.data(), count); });
    const Figures as_double = measure(buffer, passes, [&] {
        double sums[2] = {0, 0};
        stream::iq_sum_power_double(buffer.data(), count, sums);
        return static_cast<std::uint64_t>(sums[0] + sums[1]);  // exact only below 2^53
    });

    report("plain per-sample loop", plain, plain);
    report("iq_sum_power", power, plain);
    report("iq_sum_power_from_last", from_last, plain);
    report("iq_sum_squares", squares, plain);
    report("iq_sum_power_double", as_double, plain);
    // The sums are printed and compared, so no pass can be dropped as unused.
    const bool agree =
        power.sum == plain.sum && from_last.sum == plain.sum && squares.sum == plain.sum;
    std::printf("sum of I^2+Q^2: %llu (%s)\n", static_cast<unsigned long long>(plain.sum),
                agree ? "all integer forms agree" : "MISMATCH");
    return agree ? 0 : 1;
}
