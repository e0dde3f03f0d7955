// Sums of I² and Q² over groups of four interleaved 16-bit I/Q samples: a portable path and an
// SSE2 path (the x86-64 baseline) that gives the same results.
//
// The SSE2 path squares the four I values of a group with one _mm_madd_epi16 on the even 16-bit
// values masked out of the group (pairs (x, 0) give x² in a 32-bit lane) and the four Q values
// with one on the odd values shifted down. A square is at most 2^30 (of -32768), so three
// groups' squares add up in a 32-bit lane (3 × 2^30 < 2^32, read as unsigned) before they are
// zero-extended into the 64-bit sums; widening once per three groups instead of once per group
// is what keeps the path several times faster than the recorder's 280 MB/s.

#include "comlib/stream/iq_power.hpp"

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace tamrel::stream {

namespace {

constexpr std::uint32_t kValuesPerGroup = 8;  // 16 bytes: four samples of I and Q

std::uint32_t square(std::int16_t x) {
    return static_cast<std::uint32_t>(std::int32_t{x} * std::int32_t{x});
}

#if defined(__SSE2__)

__m128i load_group(const std::int16_t* p) {
    // Unaligned load: callers align their blocks, but the exact-sum form starts at any sample.
    return _mm_loadu_si128(reinterpret_cast<const __m128i*>(p));
}

// The squares of x0, x2, x4, x6 (the I values) as four 32-bit lanes.
__m128i squares_i(__m128i group) {
    const __m128i even = _mm_and_si128(group, _mm_set1_epi32(0xFFFF));
    return _mm_madd_epi16(even, even);
}

// The squares of x1, x3, x5, x7 (the Q values) as four 32-bit lanes.
__m128i squares_q(__m128i group) {
    const __m128i odd = _mm_srli_epi32(group, 16);
    return _mm_madd_epi16(odd, odd);
}

// Four unsigned 32-bit lanes [a, b, c, d] as two 64-bit lanes [a + b, c + d].
__m128i widen_pairs(__m128i sums) {
    const __m128i low = _mm_and_si128(sums, _mm_set_epi32(0, -1, 0, -1));
    return _mm_add_epi64(low, _mm_srli_epi64(sums, 32));
}

// Group `index` counted from `p` in the walking direction: upward from p, or downward from just
// below p.
template <bool kDown>
const std::int16_t* group_at(const std::int16_t* p, std::uint32_t index) {
    return kDown ? p - kValuesPerGroup * (index + 1) : p + kValuesPerGroup * index;
}

template <bool kDown>
void sum_groups_sse2(const std::int16_t* p, std::uint32_t groups, IqPowerLanes& result) {
    __m128i sum_i = _mm_setzero_si128();  // two 64-bit partial sums of I²
    __m128i sum_q = _mm_setzero_si128();  // two 64-bit partial sums of Q²
    while (groups >= 3) {
        const __m128i g0 = load_group(group_at<kDown>(p, 0));
        const __m128i g1 = load_group(group_at<kDown>(p, 1));
        const __m128i g2 = load_group(group_at<kDown>(p, 2));
        const __m128i i32 =
            _mm_add_epi32(_mm_add_epi32(squares_i(g0), squares_i(g1)), squares_i(g2));
        const __m128i q32 =
            _mm_add_epi32(_mm_add_epi32(squares_q(g0), squares_q(g1)), squares_q(g2));
        sum_i = _mm_add_epi64(sum_i, widen_pairs(i32));
        sum_q = _mm_add_epi64(sum_q, widen_pairs(q32));
        p = kDown ? p - 3 * kValuesPerGroup : p + 3 * kValuesPerGroup;
        groups -= 3;
    }
    if (groups > 0) {
        __m128i i32 = _mm_setzero_si128();
        __m128i q32 = _mm_setzero_si128();
        for (std::uint32_t g = 0; g < groups; ++g) {
            const __m128i group = load_group(group_at<kDown>(p, g));
            i32 = _mm_add_epi32(i32, squares_i(group));
            q32 = _mm_add_epi32(q32, squares_q(group));
        }
        sum_i = _mm_add_epi64(sum_i, widen_pairs(i32));
        sum_q = _mm_add_epi64(sum_q, widen_pairs(q32));
    }
    // [I0 + I1, Q0 + Q1]: lane 0 the I sum, lane 1 the Q sum.
    const __m128i lanes =
        _mm_add_epi64(_mm_unpacklo_epi64(sum_i, sum_q), _mm_unpackhi_epi64(sum_i, sum_q));
    _mm_store_si128(reinterpret_cast<__m128i*>(result.lane), lanes);
}

// Double sums in the order the portable path uses: per lane one partial sum for each of the
// four sample positions of a group, combined as (p0 + p2) + (p1 + p3).
void sum_groups_double_sse2(const std::int16_t* p, std::uint32_t groups, double result[2]) {
    __m128d i01 = _mm_setzero_pd();  // positions 0 and 1
    __m128d i23 = _mm_setzero_pd();  // positions 2 and 3
    __m128d q01 = _mm_setzero_pd();
    __m128d q23 = _mm_setzero_pd();
    for (std::uint32_t g = 0; g < groups; ++g, p += kValuesPerGroup) {
        const __m128i group = load_group(p);
        const __m128i si = squares_i(group);
        const __m128i sq = squares_q(group);
        i01 = _mm_add_pd(i01, _mm_cvtepi32_pd(si));
        i23 = _mm_add_pd(i23, _mm_cvtepi32_pd(_mm_unpackhi_epi64(si, si)));
        q01 = _mm_add_pd(q01, _mm_cvtepi32_pd(sq));
        q23 = _mm_add_pd(q23, _mm_cvtepi32_pd(_mm_unpackhi_epi64(sq, sq)));
    }
    const __m128d i = _mm_add_pd(i01, i23);  // [p0 + p2, p1 + p3]
    const __m128d q = _mm_add_pd(q01, q23);
    result[0] = _mm_cvtsd_f64(i) + _mm_cvtsd_f64(_mm_unpackhi_pd(i, i));
    result[1] = _mm_cvtsd_f64(q) + _mm_cvtsd_f64(_mm_unpackhi_pd(q, q));
}

#endif  // __SSE2__

}  // namespace

namespace detail {

const std::int16_t* iq_sum_power_scalar(const std::int16_t* data, std::uint32_t count,
                                        IqPowerLanes& result) {
    const std::uint32_t groups = iq_power_groups(count);
    std::uint64_t sum_i = 0;
    std::uint64_t sum_q = 0;
    for (std::uint32_t g = 0; g < groups; ++g, data += kValuesPerGroup) {
        for (std::uint32_t k = 0; k < kValuesPerGroup; k += 2) {
            sum_i += square(data[k]);
            sum_q += square(data[k + 1]);
        }
    }
    result.lane[0] = sum_i;
    result.lane[1] = sum_q;
    return data;
}

const std::int16_t* iq_sum_power_double_scalar(const std::int16_t* data, std::uint32_t count,
                                               double result[2]) {
    const std::uint32_t groups = iq_power_groups(count);
    double i[4] = {0, 0, 0, 0};  // one partial sum per sample position in a group
    double q[4] = {0, 0, 0, 0};
    for (std::uint32_t g = 0; g < groups; ++g, data += kValuesPerGroup) {
        for (std::uint32_t k = 0; k < 4; ++k) {
            i[k] += static_cast<double>(square(data[2 * k]));
            q[k] += static_cast<double>(square(data[2 * k + 1]));
        }
    }
    result[0] = (i[0] + i[2]) + (i[1] + i[3]);
    result[1] = (q[0] + q[2]) + (q[1] + q[3]);
    return data;
}

bool iq_power_vectorised() {
#if defined(__SSE2__)
    return true;
#else
    return false;
#endif
}

}  // namespace detail

const std::int16_t* iq_sum_power(const std::int16_t* data, std::uint32_t count,
                                 IqPowerLanes& result) {
#if defined(__SSE2__)
    const std::uint32_t groups = iq_power_groups(count);
    sum_groups_sse2<false>(data, groups, result);
    return data + kValuesPerGroup * groups;
#else
    return detail::iq_sum_power_scalar(data, count, result);
#endif
}

const std::int16_t* iq_sum_power_from_last(const std::int16_t* end, std::uint32_t count,
                                           IqPowerLanes& result) {
    const std::uint32_t groups = iq_power_groups(count);
    const std::int16_t* lowest = end - kValuesPerGroup * groups;
#if defined(__SSE2__)
    sum_groups_sse2<true>(end, groups, result);
#else
    // Integer sums do not depend on the order the groups are added in.
    (void)detail::iq_sum_power_scalar(lowest, count, result);
#endif
    return lowest;
}

const std::int16_t* iq_sum_power_double(const std::int16_t* data, std::uint32_t count,
                                        double result[2]) {
#if defined(__SSE2__)
    const std::uint32_t groups = iq_power_groups(count);
    sum_groups_double_sse2(data, groups, result);
    return data + kValuesPerGroup * groups;
#else
    return detail::iq_sum_power_double_scalar(data, count, result);
#endif
}

std::uint64_t iq_sum_squares(const std::int16_t* data, std::uint32_t count) {
    const std::uint32_t whole = count & ~std::uint32_t{3};  // samples in whole groups
    IqPowerLanes lanes{};
    const std::int16_t* rest = iq_sum_power(data, whole, lanes);
    std::uint64_t sum = lanes.lane[0] + lanes.lane[1];
    for (std::uint32_t s = whole; s < count; ++s, rest += 2)
        sum += square(rest[0]) + square(rest[1]);
    return sum;
}

}  // namespace tamrel::stream
