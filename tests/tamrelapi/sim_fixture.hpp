#pragma once
// Shared set-up of the device-library tests: the process has one simulated instrument, so every
// test starts it afresh.

#include <gtest/gtest.h>

#include <string>

#include "tamrelapi/device_select.hpp"
#include "tamrelapi/sim/control.hpp"
#include "tamrelapi/status.hpp"
#include "tamrelapi/tamrel_api.hpp"

namespace tamrel::test {

class SimTest : public ::testing::Test {
protected:
    void SetUp() override { sim::control::reset(api::DeviceKind::second_generation); }

    // A fresh, opened board of that kind (none: a fresh instrument without a board).
    void open_fresh(api::DeviceKind kind) {
        sim::control::reset(kind);
        if (kind == api::DeviceKind::first_generation) {
            ASSERT_EQ(api_.Open(0), 0U);
        } else if (kind == api::DeviceKind::second_generation) {
            ASSERT_EQ(api_.Tm2Open(0), 0U);
        }
        sim::control::clear_calls();
    }

    CTamrelAPI api_;
};

// Test-name suffix of a kind ("sim1"), for suites parameterised by device kind.
struct KindName {
    std::string operator()(const ::testing::TestParamInfo<api::DeviceKind>& param_info) const {
        return api::device_kind_name(param_info.param);
    }
};

}  // namespace tamrel::test
