#include "comlib/files/sample_file.hpp"

std::uint32_t iqw_bytes_per_second(double iq_rate_hz) {
    const double bytes = iq_rate_hz * kIqwBytesPerSample + 0.5;
    // Converting a double outside the target's range is undefined, so the range is checked first
    // (a NaN fails both comparisons).
    if (!(bytes >= 0.0 && bytes < 4294967296.0)) return 0;
    return static_cast<std::uint32_t>(bytes);
}

std::optional<std::uint64_t> iqw_duration_s(std::uint64_t file_size, std::uint32_t bytes_per_second) {
    if (bytes_per_second == 0) return std::nullopt;
    return file_size / bytes_per_second;
}

namespace {

void put_le16(unsigned char* out, std::int16_t value) {
    const auto bits = static_cast<std::uint16_t>(value);
    out[0] = static_cast<unsigned char>(bits & 0xFFu);
    out[1] = static_cast<unsigned char>(bits >> 8);
}

std::int16_t get_le16(const unsigned char* in) {
    return static_cast<std::int16_t>(static_cast<std::uint16_t>(in[0] | (in[1] << 8)));
}

}  // namespace

void encode_iq_sample(IqSample sample, unsigned char (&bytes)[kIqwBytesPerSample]) {
    put_le16(bytes, sample.i);
    put_le16(bytes + 2, sample.q);
}

IqSample decode_iq_sample(const unsigned char (&bytes)[kIqwBytesPerSample]) {
    return {get_le16(bytes), get_le16(bytes + 2)};
}
