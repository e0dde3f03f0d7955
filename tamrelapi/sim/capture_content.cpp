#include "tamrelapi/sim/capture_content.hpp"

#include <algorithm>
#include <array>
#include <bit>
#include <cstring>
#include <span>

namespace tamrel::sim {
namespace {

constexpr std::size_t kSampleBytes = 4;
// Whole samples of the constant content copied at once.
constexpr std::size_t kConstantBlockSamples = 1024;

void put_counter(std::uint32_t n, unsigned char* out) {
    if constexpr (std::endian::native == std::endian::little) {
        std::memcpy(out, &n, kSampleBytes);
    } else {
        for (std::size_t b = 0; b < kSampleBytes; ++b) {
            out[b] = static_cast<unsigned char>((n >> (8 * b)) & 0xFFU);
        }
    }
}

// `period` repeats from byte 0 of the run.
void copy_periodic(std::span<const unsigned char> period, std::uint64_t first_byte,
                   unsigned char* out, std::size_t length) {
    auto offset = static_cast<std::size_t>(first_byte % period.size());
    while (length > 0) {
        const std::size_t piece = std::min(length, period.size() - offset);
        std::memcpy(out, period.data() + offset, piece);
        out += piece;
        length -= piece;
        offset = 0;
    }
}

void fill_counter(std::uint64_t first_byte, unsigned char* out, std::size_t length) {
    // The counter wraps at 32 bits, as the value a sample can hold.
    auto sample = static_cast<std::uint32_t>(first_byte / kSampleBytes);
    const auto skip = static_cast<std::size_t>(first_byte % kSampleBytes);
    std::array<unsigned char, kSampleBytes> one{};
    if (skip != 0) {  // the rest of a sample a previous read began
        put_counter(sample++, one.data());
        const std::size_t piece = std::min(length, kSampleBytes - skip);
        std::memcpy(out, one.data() + skip, piece);
        out += piece;
        length -= piece;
    }
    const std::size_t whole = length / kSampleBytes;
    for (std::size_t i = 0; i < whole; ++i) {
        put_counter(sample++, out + i * kSampleBytes);
    }
    out += whole * kSampleBytes;
    length -= whole * kSampleBytes;
    if (length > 0) {  // the start of a sample the next read finishes
        put_counter(sample, one.data());
        std::memcpy(out, one.data(), length);
    }
}

void fill_constant(std::int16_t i, std::int16_t q, std::uint64_t first_byte, unsigned char* out,
                   std::size_t length) {
    const auto i_bits = static_cast<std::uint16_t>(i);
    const auto q_bits = static_cast<std::uint16_t>(q);
    const std::array<unsigned char, kSampleBytes> sample = {
        static_cast<unsigned char>(i_bits & 0xFFU), static_cast<unsigned char>(i_bits >> 8),
        static_cast<unsigned char>(q_bits & 0xFFU), static_cast<unsigned char>(q_bits >> 8)};
    std::array<unsigned char, kConstantBlockSamples * kSampleBytes> block{};
    for (std::size_t at = 0; at < block.size(); at += kSampleBytes) {
        std::memcpy(block.data() + at, sample.data(), kSampleBytes);
    }
    copy_periodic(block, first_byte, out, length);
}

}  // namespace

void fill_stream(const ContentSettings& settings, std::uint64_t first_byte, unsigned char* out,
                 std::size_t length) {
    switch (settings.content) {
        case CaptureContent::signal:
            copy_periodic(settings.table->bytes(), first_byte, out, length);
            return;
        case CaptureContent::counter:
            fill_counter(first_byte, out, length);
            return;
        case CaptureContent::constant:
            fill_constant(settings.constant_i, settings.constant_q, first_byte, out, length);
            return;
    }
}

}  // namespace tamrel::sim
