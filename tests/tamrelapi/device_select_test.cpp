#include <cmath>
#include <cstdlib>
#include <string>

#include "sim_fixture.hpp"

namespace tamrel::test {
namespace {

using api::DeviceKind;

struct CountCase {
    DeviceKind kind;
    unsigned count;
    unsigned tm2_count;
};

class DeviceCounts : public SimTest, public ::testing::WithParamInterface<CountCase> {};

TEST_P(DeviceCounts, EachKindReportsItsBoardsOnly) {
    api::DeviceConfig config;
    config.kind = GetParam().kind;
    ASSERT_TRUE(api::configure_device(config).ok());
    EXPECT_EQ(api_.Count(), GetParam().count);
    EXPECT_EQ(api_.Tm2Count(), GetParam().tm2_count);
    EXPECT_EQ(api::device_config().kind, GetParam().kind);
}

INSTANTIATE_TEST_SUITE_P(Kinds, DeviceCounts,
                         ::testing::Values(CountCase{DeviceKind::first_generation, 1, 0},
                                           CountCase{DeviceKind::second_generation, 0, 1},
                                           CountCase{DeviceKind::none, 0, 0}));

TEST_F(SimTest, BoardCountCanBeRaisedAndAnIndexBeyondItIsRefused) {
    sim::control::set_board_count(2);
    EXPECT_EQ(api_.Tm2Count(), 2U);
    EXPECT_EQ(api_.Tm2Open(2), api::status_invalid_argument);
    EXPECT_FALSE(sim::control::is_open());
    EXPECT_EQ(api_.Tm2Open(1), api::status_ok);

    sim::control::set_board_count(0);
    EXPECT_EQ(api_.Tm2Count(), 0U);
    unsigned level = 7;
    EXPECT_EQ(api_.Tm2GetTriggerInLevel(level), api::status_no_device);
}

TEST_F(SimTest, ConfigureDeviceStartsAFreshInstrumentAndKeepsPacingAndSeed) {
    ASSERT_EQ(api_.Tm2Open(0), 0U);
    api::DeviceConfig config;
    config.kind = DeviceKind::second_generation;
    config.pacing = {false, 2.5};
    config.seed = 99;
    ASSERT_TRUE(api::configure_device(config).ok());
    EXPECT_FALSE(sim::control::is_open());
    EXPECT_EQ(api::device_config(), config);

    sim::control::reset(DeviceKind::first_generation);  // a reset changes the kind only
    EXPECT_EQ(api::device_config().pacing, config.pacing);
    EXPECT_EQ(api::device_config().seed, 99U);
}

TEST_F(SimTest, ConfigureDeviceRefusesABadSpeedFactorAndChangesNothing) {
    ASSERT_EQ(api_.Tm2Open(0), 0U);
    for (double factor : {0.0, -1.0, std::nan(""), HUGE_VAL}) {
        api::DeviceConfig config;
        config.pacing = {false, factor};
        const platform::Status status = api::configure_device(config);
        EXPECT_EQ(status.code(), platform::Errc::invalid_argument) << factor;
    }
    EXPECT_TRUE(sim::control::is_open());

    api::DeviceConfig unpaced;
    unpaced.pacing = {true, 0.0};  // the factor does not matter when unpaced
    EXPECT_TRUE(api::configure_device(unpaced).ok());
}

TEST(DeviceKindOption, AcceptsTheThreeKinds) {
    EXPECT_EQ(*api::parse_device_kind("sim2"), DeviceKind::second_generation);
    EXPECT_EQ(*api::parse_device_kind("sim1"), DeviceKind::first_generation);
    EXPECT_EQ(*api::parse_device_kind("none"), DeviceKind::none);
    for (DeviceKind kind :
         {DeviceKind::none, DeviceKind::first_generation, DeviceKind::second_generation}) {
        EXPECT_EQ(*api::parse_device_kind(api::device_kind_name(kind)), kind);
    }
}

TEST(DeviceKindOption, RefusesAnythingElseNamingTheText) {
    for (const char* text : {"", "SIM2", "sim3", " sim2", "sim2 ", "sim", "None"}) {
        const auto parsed = api::parse_device_kind(text);
        ASSERT_FALSE(parsed.ok()) << '"' << text << '"';
        EXPECT_EQ(parsed.status().code(), platform::Errc::invalid_argument);
        EXPECT_NE(parsed.status().message().find("\"" + std::string(text) + "\""),
                  std::string::npos);
        EXPECT_NE(parsed.status().message().find("sim2, sim1 or none"), std::string::npos);
    }
}

TEST(SimSpeedOption, AcceptsPositiveFactorsAndUnpaced) {
    struct Good {
        const char* text;
        double factor;
    };
    for (const Good& good : {Good{"1", 1.0}, Good{"2.5", 2.5}, Good{"10", 10.0},
                             Good{"0.25", 0.25}, Good{"1e2", 100.0}}) {
        const auto parsed = api::parse_sim_speed(good.text);
        ASSERT_TRUE(parsed.ok()) << good.text;
        EXPECT_FALSE(parsed->unpaced);
        EXPECT_DOUBLE_EQ(parsed->speed_factor, good.factor);
    }
    const auto unpaced = api::parse_sim_speed("unpaced");
    ASSERT_TRUE(unpaced.ok());
    EXPECT_TRUE(unpaced->unpaced);
}

TEST(SimSpeedOption, RefusesZeroNegativeNonFiniteAndGarbage) {
    for (const char* text :
         {"", "0", "-1", "-0.5", "abc", "1x", " 1", "inf", "nan", "1e999", "Unpaced", "+2"}) {
        const auto parsed = api::parse_sim_speed(text);
        ASSERT_FALSE(parsed.ok()) << '"' << text << '"';
        EXPECT_EQ(parsed.status().code(), platform::Errc::invalid_argument);
        EXPECT_NE(parsed.status().message().find("unpaced"), std::string::npos);
    }
}

class EnvironmentChoice : public ::testing::Test {
protected:
    void TearDown() override { ::unsetenv("TAMREL_DEVICE"); }
};

TEST_F(EnvironmentChoice, UnsetOrEmptyMeansTheSecondGeneration) {
    ::unsetenv("TAMREL_DEVICE");
    auto config = api::device_config_from_environment();
    ASSERT_TRUE(config.ok());
    EXPECT_EQ(config->kind, DeviceKind::second_generation);

    ::setenv("TAMREL_DEVICE", "", 1);
    config = api::device_config_from_environment();
    ASSERT_TRUE(config.ok());
    EXPECT_EQ(config->kind, DeviceKind::second_generation);
}

TEST_F(EnvironmentChoice, NamesTheKindOrIsRefused) {
    ::setenv("TAMREL_DEVICE", "sim1", 1);
    auto config = api::device_config_from_environment();
    ASSERT_TRUE(config.ok());
    EXPECT_EQ(config->kind, DeviceKind::first_generation);

    ::setenv("TAMREL_DEVICE", "none", 1);
    config = api::device_config_from_environment();
    ASSERT_TRUE(config.ok());
    EXPECT_EQ(config->kind, DeviceKind::none);

    ::setenv("TAMREL_DEVICE", "pcie", 1);
    config = api::device_config_from_environment();
    ASSERT_FALSE(config.ok());
    EXPECT_NE(config.status().message().find("TAMREL_DEVICE"), std::string::npos);
    EXPECT_NE(config.status().message().find("\"pcie\""), std::string::npos);
}

}  // namespace
}  // namespace tamrel::test
