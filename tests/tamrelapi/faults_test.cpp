// Injected faults: a counted fault fails exactly the next N calls, a standing one every call until
// cleared; a faulted call does nothing and leaves its out-parameters as they were.

#include "operation_table.hpp"
#include "sim_fixture.hpp"

namespace tamrel::test {
namespace {

using api::DeviceKind;

constexpr unsigned kInjected = 0xE0F1;

class Faults : public SimTest, public ::testing::WithParamInterface<DeviceKind> {};

TEST_P(Faults, NextTwoCallsFailUntouchedThenTheThirdSucceeds) {
    for (const OperationCase& op : operation_cases()) {
        if (!belongs_to(op, GetParam())) continue;
        open_fresh(GetParam());
        ASSERT_TRUE(sim::control::fail_next(op.name, 2, kInjected).ok()) << op.name;
        for (int attempt = 0; attempt < 2; ++attempt) {
            bool untouched = false;
            EXPECT_EQ(op.call(untouched), kInjected) << op.name << " attempt " << attempt;
            EXPECT_TRUE(untouched) << op.name << " attempt " << attempt;
        }
        bool untouched = true;
        EXPECT_EQ(op.call(untouched), api::status_ok) << op.name;
    }
}

TEST_P(Faults, AStandingFaultFailsEveryCallUntilCleared) {
    for (const OperationCase& op : operation_cases()) {
        if (!belongs_to(op, GetParam())) continue;
        open_fresh(GetParam());
        ASSERT_TRUE(sim::control::fail_always(op.name, kInjected).ok()) << op.name;
        for (int attempt = 0; attempt < 5; ++attempt) {
            bool untouched = false;
            EXPECT_EQ(op.call(untouched), kInjected) << op.name;
            EXPECT_TRUE(untouched) << op.name;
        }
        sim::control::clear_fault(op.name);
        bool untouched = true;
        EXPECT_EQ(op.call(untouched), api::status_ok) << op.name;
    }
}

INSTANTIATE_TEST_SUITE_P(Generations, Faults,
                         ::testing::Values(DeviceKind::first_generation,
                                           DeviceKind::second_generation),
                         KindName{});

TEST_F(SimTest, AFaultHitsOnlyItsOwnOperation) {
    open_fresh(DeviceKind::second_generation);
    ASSERT_TRUE(sim::control::fail_always("Tm2GetUpConvID", kInjected).ok());
    unsigned id = 0;
    EXPECT_EQ(api_.Tm2GetDownConvID(id), api::status_ok);
    EXPECT_EQ(api_.Tm2GetUpConvID(id), kInjected);
}

TEST_F(SimTest, AFaultedCountReportsNoBoard) {
    ASSERT_TRUE(sim::control::fail_next("Tm2Count", 1, kInjected).ok());
    EXPECT_EQ(api_.Tm2Count(), 0U);
    EXPECT_EQ(api_.Tm2Count(), 1U);
}

TEST_F(SimTest, AFaultedVersionTextLeavesTheTextAlone) {
    ASSERT_TRUE(sim::control::fail_next("GetDllVerUniCode", 1, kInjected).ok());
    std::u16string text = u"before";
    EXPECT_EQ(api_.GetDllVerUniCode(text), kInjected);
    EXPECT_EQ(text, u"before");
    EXPECT_EQ(api_.GetDllVerUniCode(text), 0U);
    EXPECT_NE(text, u"before");
}

TEST_F(SimTest, AFaultTakesPrecedenceOverTheDeviceRules) {
    open_fresh(DeviceKind::none);
    ASSERT_TRUE(sim::control::fail_next("GetFifo", 1, kInjected).ok());
    unsigned fifo = 0;
    EXPECT_EQ(api_.GetFifo(fifo), kInjected);
    EXPECT_EQ(api_.GetFifo(fifo), api::status_no_device);
}

TEST_F(SimTest, ANewFaultReplacesTheOldAndCountZeroRemovesIt) {
    open_fresh(DeviceKind::second_generation);
    unsigned level = 0;
    ASSERT_TRUE(sim::control::fail_always("Tm2GetTriggerInLevel", kInjected).ok());
    ASSERT_TRUE(sim::control::fail_next("Tm2GetTriggerInLevel", 1, api::status_timeout).ok());
    EXPECT_EQ(api_.Tm2GetTriggerInLevel(level), api::status_timeout);
    EXPECT_EQ(api_.Tm2GetTriggerInLevel(level), api::status_ok);

    ASSERT_TRUE(sim::control::fail_always("Tm2GetTriggerInLevel", kInjected).ok());
    ASSERT_TRUE(sim::control::fail_next("Tm2GetTriggerInLevel", 0, kInjected).ok());
    EXPECT_EQ(api_.Tm2GetTriggerInLevel(level), api::status_ok);
}

TEST_F(SimTest, ClearFaultsAndResetRemoveEveryFault) {
    open_fresh(DeviceKind::second_generation);
    unsigned id = 0;
    ASSERT_TRUE(sim::control::fail_always("Tm2GetUpConvID", kInjected).ok());
    sim::control::clear_faults();
    EXPECT_EQ(api_.Tm2GetUpConvID(id), 0U);

    ASSERT_TRUE(sim::control::fail_always("Tm2Open", kInjected).ok());
    sim::control::reset(DeviceKind::second_generation);
    EXPECT_EQ(api_.Tm2Open(0), 0U);
}

TEST(FaultRequests, UnknownNamesAndStatusZeroAreRefused) {
    for (const char* name : {"Tm2Opn", "", "read_reg", "CPLXIO::read", "tm2open"}) {
        EXPECT_EQ(sim::control::fail_next(name, 1, kInjected).code(),
                  platform::Errc::invalid_argument)
            << name;
        EXPECT_FALSE(sim::control::fail_always(name, kInjected).ok()) << name;
    }
    EXPECT_FALSE(sim::control::fail_next("Tm2Open", 1, 0).ok());
    EXPECT_FALSE(sim::control::fail_always("Tm2Open", 0).ok());
}

}  // namespace
}  // namespace tamrel::test
