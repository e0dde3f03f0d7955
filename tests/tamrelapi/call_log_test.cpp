// The call log: every call in order with its arguments, failed calls included, bounded in size.

#include <string>
#include <vector>

#include "operation_table.hpp"
#include "sim_fixture.hpp"
#include "tamrelapi/plx_io.hpp"
#include "tamrelapi/sim/operations.hpp"

namespace tamrel::test {
namespace {

using api::DeviceKind;

TEST_F(SimTest, CallsAreLoggedInOrderWithTheirArguments) {
    sim::control::clear_calls();
    unsigned version = 0;
    EXPECT_EQ(api_.Tm2Count(), 1U);
    EXPECT_EQ(api_.Tm2GetPumpFpgaVer(version), api::status_not_open);  // failures are logged
    EXPECT_EQ(api_.Tm2Open(0), 0U);
    EXPECT_EQ(api_.Tm2GetPumpFpgaVer(version), 0U);
    EXPECT_EQ(api_.Tm2Close(), 0U);

    const std::vector<sim::CallRecord> calls = sim::control::calls();
    ASSERT_EQ(calls.size(), 5U);
    const std::vector<std::string> expected = {"Tm2Count", "Tm2GetPumpFpgaVer", "Tm2Open",
                                               "Tm2GetPumpFpgaVer", "Tm2Close"};
    for (std::size_t i = 0; i < calls.size(); ++i) {
        EXPECT_EQ(calls[i].operation, expected[i]);
        EXPECT_EQ(calls[i].sequence, i + 1);
    }
    EXPECT_EQ(calls[2].arguments, "board=0");
    EXPECT_EQ(calls[3].arguments, "");
    EXPECT_EQ(sim::control::call_names(), expected);
}

TEST_F(SimTest, ArgumentTextsNameWhatTheSessionAskedFor) {
    open_fresh(DeviceKind::first_generation);
    unsigned value = 0;
    char serial[10];
    ASSERT_EQ(gc_PLXIO.read_reg(1, 0x8004, value), 0U);
    ASSERT_EQ(gc_PLXIO.write_reg(1, 0x8004, value | 0x100), 0U);
    ASSERT_EQ(api_.PlaySetCapturingGainOrSetCapturedGain(1, -25, 250), 0U);
    ASSERT_EQ(api_.SetImageType(0), 0U);
    ASSERT_EQ(api_.GetSerialNum(serial, 10), 0U);

    const std::vector<sim::CallRecord> calls = sim::control::calls();
    ASSERT_EQ(calls.size(), 5U);
    EXPECT_EQ(calls[0].arguments, "space=1 offset=0x8004");
    EXPECT_EQ(calls[1].arguments, "space=1 offset=0x8004 value=0x100");
    EXPECT_EQ(calls[2].arguments, "bandwidth=1 gain=-25 speed=250");
    EXPECT_EQ(calls[3].arguments, "type=0");
    EXPECT_EQ(calls[4].arguments, "size=10");
}

TEST_F(SimTest, EveryOperationLogsItsOwnName) {
    for (DeviceKind kind : {DeviceKind::first_generation, DeviceKind::second_generation}) {
        for (const OperationCase& op : operation_cases()) {
            open_fresh(kind);
            bool untouched = false;
            op.call(untouched);
            const std::vector<std::string> names = sim::control::call_names();
            ASSERT_FALSE(names.empty()) << op.name;
            // A case may read the board state through the control interface, never the API.
            EXPECT_EQ(names, std::vector<std::string>{std::string(op.name)});
        }
    }
}

TEST_F(SimTest, TheLogKeepsTheMostRecentCallsOnly) {
    sim::control::clear_calls();
    constexpr std::size_t kCapacity = sim::CallLog::default_capacity;
    constexpr std::size_t kExtra = 57;
    for (std::size_t i = 0; i < kCapacity + kExtra; ++i) api_.Tm2Count();
    unsigned fifo = 0;
    api_.GetFifo(fifo);

    const std::vector<sim::CallRecord> calls = sim::control::calls();
    EXPECT_EQ(calls.size(), kCapacity);
    EXPECT_EQ(sim::control::call_count(), kCapacity + kExtra + 1);
    EXPECT_EQ(calls.front().sequence, kExtra + 2);
    EXPECT_EQ(calls.back().operation, "GetFifo");
    EXPECT_EQ(calls.back().sequence, kCapacity + kExtra + 1);
}

TEST_F(SimTest, ClearAndResetEmptyTheLog) {
    api_.Tm2Count();
    sim::control::clear_calls();
    EXPECT_TRUE(sim::control::calls().empty());
    EXPECT_EQ(sim::control::call_count(), 0U);

    api_.Tm2Count();
    sim::control::reset(DeviceKind::first_generation);
    EXPECT_TRUE(sim::control::calls().empty());
    api_.Count();
    EXPECT_EQ(sim::control::calls().front().sequence, 1U);
}

}  // namespace
}  // namespace tamrel::test
