// The exported power summation members: the primitives of iq_power.hpp, counting the samples
// they sum into the window of the per-second measurement.

#include "comlib/session/tamrel_com_mfc.hpp"
#include "comlib/stream/iq_power.hpp"

namespace {
constexpr std::uint32_t kSamplesPerGroup = 4;
}

const short* CTamrelComMFC::TmIQSumPower(const short* data, unsigned count, TmIQPowerSum_t* result) {
    tamrel::stream::IqPowerLanes lanes{};
    const short* end = tamrel::stream::iq_sum_power(data, count, lanes);
    result->lane[0] = lanes.lane[0];
    result->lane[1] = lanes.lane[1];
    meter_.add_to_window(tamrel::stream::iq_power_groups(count) * kSamplesPerGroup);
    return end;
}

const short* CTamrelComMFC::TmIQSumPowerFromLast(const short* data, unsigned count, TmIQPowerSum_t* result) {
    tamrel::stream::IqPowerLanes lanes{};
    const short* lowest = tamrel::stream::iq_sum_power_from_last(data, count, lanes);
    result->lane[0] = lanes.lane[0];
    result->lane[1] = lanes.lane[1];
    meter_.add_to_window(tamrel::stream::iq_power_groups(count) * kSamplesPerGroup);
    return lowest;
}

const short* CTamrelComMFC::TmIQSumPowerDouble(const short* data, unsigned count, double result[2]) {
    const short* end = tamrel::stream::iq_sum_power_double(data, count, result);
    meter_.add_to_window(tamrel::stream::iq_power_groups(count) * kSamplesPerGroup);
    return end;
}
