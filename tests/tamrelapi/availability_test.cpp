// Which calls may act in which state: no board, a board not yet opened, the other generation's
// board, and an opened board. Every operation of the table goes through each rule.

#include <algorithm>
#include <set>
#include <string>

#include "operation_table.hpp"
#include "sim_fixture.hpp"
#include "tamrelapi/sim/operations.hpp"

namespace tamrel::test {
namespace {

using api::DeviceKind;

TEST(OperationTable, CoversEveryOperationOfTheInstrument) {
    std::set<std::string> in_table;
    for (const OperationCase& op : operation_cases()) {
        EXPECT_TRUE(sim::is_known_operation(op.name)) << op.name;
        EXPECT_TRUE(in_table.insert(std::string(op.name)).second) << "twice: " << op.name;
    }
    for (std::string_view name : sim::known_operations()) {
        if (name == "Count" || name == "Tm2Count" || name == "GetDllVerUniCode") continue;
        EXPECT_TRUE(in_table.contains(std::string(name))) << "missing from the table: " << name;
    }
}

TEST_F(SimTest, WithNoDeviceEveryOperationFailsAndTouchesNothing) {
    open_fresh(DeviceKind::none);
    EXPECT_EQ(api_.Count(), 0U);
    EXPECT_EQ(api_.Tm2Count(), 0U);
    for (const OperationCase& op : operation_cases()) {
        bool untouched = false;
        EXPECT_EQ(op.call(untouched), api::status_no_device) << op.name;
        EXPECT_TRUE(untouched) << op.name;
    }
}

TEST_F(SimTest, TheVersionTextNeedsNoDevice) {
    for (DeviceKind kind :
         {DeviceKind::none, DeviceKind::first_generation, DeviceKind::second_generation}) {
        sim::control::reset(kind);
        std::u16string text;
        EXPECT_EQ(api_.GetDllVerUniCode(text), api::status_ok);
        EXPECT_EQ(text, sim::control::identity().library_version);
        EXPECT_FALSE(text.empty());
    }
}

class PerGeneration : public SimTest, public ::testing::WithParamInterface<DeviceKind> {};

TEST_P(PerGeneration, BeforeOpenOnlyTheOpenOfTheGenerationMayAct) {
    sim::control::reset(GetParam());
    for (const OperationCase& op : operation_cases()) {
        if (!belongs_to(op, GetParam()) || !op.needs_open) continue;
        bool untouched = false;
        EXPECT_EQ(op.call(untouched), api::status_not_open) << op.name;
        EXPECT_TRUE(untouched) << op.name;
    }
}

TEST_P(PerGeneration, TheOtherGenerationsOperationsAreRefusedOpenOrNot) {
    for (bool opened : {false, true}) {
        sim::control::reset(GetParam());
        if (opened) open_fresh(GetParam());
        for (const OperationCase& op : operation_cases()) {
            if (belongs_to(op, GetParam())) continue;
            bool untouched = false;
            EXPECT_EQ(op.call(untouched), api::status_wrong_generation)
                << op.name << (opened ? " (opened)" : " (closed)");
            EXPECT_TRUE(untouched) << op.name;
        }
    }
}

TEST_P(PerGeneration, OnAnOpenedBoardEveryOperationOfItsGenerationSucceeds) {
    for (const OperationCase& op : operation_cases()) {
        if (!belongs_to(op, GetParam())) continue;
        open_fresh(GetParam());
        bool untouched = true;
        EXPECT_EQ(op.call(untouched), api::status_ok) << op.name;
    }
}

INSTANTIATE_TEST_SUITE_P(Generations, PerGeneration,
                         ::testing::Values(DeviceKind::first_generation,
                                           DeviceKind::second_generation),
                         KindName{});

TEST_F(SimTest, OpenCloseCycleGovernsTheOtherCalls) {
    sim::control::reset(DeviceKind::first_generation);
    unsigned id = 0;
    EXPECT_EQ(api_.Open(1), api::status_invalid_argument);
    EXPECT_FALSE(sim::control::is_open());

    EXPECT_EQ(api_.Open(0), api::status_ok);
    EXPECT_EQ(api_.Open(0), api::status_ok);  // opening an open board changes nothing
    EXPECT_EQ(api_.PlayGetAttenID(id), api::status_ok);

    EXPECT_EQ(api_.Tm2Close(), api::status_wrong_generation);
    EXPECT_TRUE(sim::control::is_open());
    EXPECT_EQ(api_.Close(), api::status_ok);
    EXPECT_FALSE(sim::control::is_open());
    EXPECT_EQ(api_.PlayGetAttenID(id), api::status_not_open);
    EXPECT_EQ(api_.Close(), api::status_not_open);

    EXPECT_EQ(api_.Open(0), api::status_ok);  // a closed board opens again
    EXPECT_TRUE(sim::control::is_open());
}

TEST_F(SimTest, TheConsolesShutDownCloseSequenceClosesASecondGenerationBoard) {
    ASSERT_EQ(api_.Tm2Open(0), 0U);
    EXPECT_EQ(api_.Close(), api::status_wrong_generation);
    EXPECT_EQ(api_.Tm2Close(), api::status_ok);
    EXPECT_FALSE(sim::control::is_open());
}

}  // namespace
}  // namespace tamrel::test
