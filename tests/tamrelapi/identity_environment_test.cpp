// Identification from the environment (TAMREL_SIM_*): the parsing of each variable, and
// configure_device() applying them over the defaults or refusing a malformed one. Tests that set
// a variable restore the environment they found.

#include <gtest/gtest.h>

#include <cstdlib>
#include <functional>
#include <optional>
#include <ostream>
#include <string>
#include <vector>

#include "tamrelapi/device_select.hpp"
#include "tamrelapi/sim/control.hpp"
#include "tamrelapi/sim/identity_environment.hpp"
#include "tamrelapi/tamrel_api.hpp"

namespace tamrel::test {
namespace {

using api::DeviceKind;
using sim::make_version;

// ---- parsing ----------------------------------------------------------------------------------

// A value as test names show it: control and non-ASCII bytes as \xNN.
std::string shown(std::string_view value) {
    static constexpr char kDigits[] = "0123456789ABCDEF";
    std::string text = "\"";
    for (const char c : value) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte >= 0x20 && byte < 0x7F) {
            text += c;
        } else {
            text += "\\x";
            text += kDigits[byte >> 4];
            text += kDigits[byte & 0xFU];
        }
    }
    return text + '"';
}

struct VersionCase {
    const char* text;
    unsigned version;
};

std::ostream& operator<<(std::ostream& out, const VersionCase& c) { return out << shown(c.text); }

class VersionText : public ::testing::TestWithParam<VersionCase> {};

TEST_P(VersionText, ParsesFourBytesHighByteFirst) {
    const auto parsed = sim::parse_version_text(GetParam().text);
    ASSERT_TRUE(parsed.ok()) << GetParam().text << ": " << parsed.status().describe();
    EXPECT_EQ(*parsed, GetParam().version) << GetParam().text;
}

INSTANTIATE_TEST_SUITE_P(Good, VersionText,
                         ::testing::Values(VersionCase{"2.1.0.0", 0x02010000},
                                           VersionCase{"2.1.1.2", 0x02010102},
                                           VersionCase{"0.0.0.0", 0},
                                           VersionCase{"255.255.255.255", 0xFFFFFFFF},
                                           VersionCase{"1.05.0.10", 0x0105000A}));

class MalformedVersionText : public ::testing::TestWithParam<const char*> {};

TEST_P(MalformedVersionText, IsRefusedNamingTheText) {
    const auto parsed = sim::parse_version_text(GetParam());
    ASSERT_FALSE(parsed.ok()) << '"' << GetParam() << '"';
    EXPECT_EQ(parsed.status().code(), platform::Errc::invalid_argument);
    EXPECT_NE(parsed.status().message().find("\"" + std::string(GetParam()) + "\""),
              std::string::npos);
}

INSTANTIATE_TEST_SUITE_P(Bad, MalformedVersionText,
                         ::testing::Values("2.1.0", "2.1.0.256", "a.b.c.d", "", "2.1.0.0.0",
                                           "2.1.0.", ".2.1.0", "2..1.0", " 2.1.0.0", "2.1.0.0 ",
                                           "-2.1.0.0", "+2.1.0.0", "2.1.0.0x", "0x2.1.0.0",
                                           "2.1.0.1000", "2,1,0,0", "4294967298.1.0.0"));

// One variable applied to the default identification: what it changes, or that it is refused.
struct VariableCase {
    const char* name;
    const char* value;
    std::function<void(sim::Identity&)> expect;  // empty: refused
};

std::ostream& operator<<(std::ostream& out, const VariableCase& c) {
    return out << c.name << '=' << shown(c.value);
}

class IdentityVariable : public ::testing::TestWithParam<VariableCase> {};

TEST_P(IdentityVariable, ChangesItsFieldOrIsRefusedNamingVariableAndValue) {
    const VariableCase& c = GetParam();
    const sim::Identity defaults = sim::default_identity(DeviceKind::second_generation);
    sim::Identity identity = defaults;
    const platform::Status status = sim::apply_identity_variable(identity, c.name, c.value);
    if (c.expect) {
        ASSERT_TRUE(status.ok()) << status.describe();
        sim::Identity expected = defaults;
        c.expect(expected);
        EXPECT_EQ(identity, expected);
        EXPECT_NE(identity, defaults);
    } else {
        ASSERT_EQ(status.code(), platform::Errc::invalid_argument);
        EXPECT_NE(status.message().find(c.name), std::string::npos) << status.message();
        EXPECT_NE(status.message().find("\"" + std::string(c.value) + "\""), std::string::npos)
            << status.message();
        EXPECT_EQ(identity, defaults);
    }
}

INSTANTIATE_TEST_SUITE_P(
    Good, IdentityVariable,
    ::testing::Values(
        VariableCase{"TAMREL_SIM_FPGA_VERSION", "2.0.4.0",
                     [](sim::Identity& id) { id.fpga_version = make_version(2, 0, 4, 0); }},
        VariableCase{"TAMREL_SIM_PUMP_FPGA_VERSION", "2.1.0.0",
                     [](sim::Identity& id) { id.pump_fpga_version = make_version(2, 1, 0, 0); }},
        VariableCase{"TAMREL_SIM_PUMP_FPGA_VERSION", "2.3.1.4",
                     [](sim::Identity& id) { id.pump_fpga_version = make_version(2, 3, 1, 4); }},
        VariableCase{"TAMREL_SIM_DSP_NIOS_VERSION", "1.0.9.9",
                     [](sim::Identity& id) { id.dsp_nios_version = make_version(1, 0, 9, 9); }},
        VariableCase{"TAMREL_SIM_PCB_VERSION", "7", [](sim::Identity& id) { id.pcb_version = 7; }},
        VariableCase{"TAMREL_SIM_PCB_VERSION", "0", [](sim::Identity& id) { id.pcb_version = 0; }},
        VariableCase{"TAMREL_SIM_SERIAL", "TM2OLD0001",
                     [](sim::Identity& id) { id.serial_number = "TM2OLD0001"; }},
        VariableCase{"TAMREL_SIM_SERIAL", "X1",
                     [](sim::Identity& id) { id.serial_number = "X1"; }}));

INSTANTIATE_TEST_SUITE_P(
    Bad, IdentityVariable,
    ::testing::Values(VariableCase{"TAMREL_SIM_PUMP_FPGA_VERSION", "2.1.0", {}},
                      VariableCase{"TAMREL_SIM_PUMP_FPGA_VERSION", "2.1.0.256", {}},
                      VariableCase{"TAMREL_SIM_FPGA_VERSION", "a.b.c.d", {}},
                      VariableCase{"TAMREL_SIM_DSP_NIOS_VERSION", "", {}},
                      // the pump's second byte is the hardware variant, 1 to 3
                      VariableCase{"TAMREL_SIM_PUMP_FPGA_VERSION", "2.0.1.2", {}},
                      VariableCase{"TAMREL_SIM_PUMP_FPGA_VERSION", "2.4.1.2", {}},
                      VariableCase{"TAMREL_SIM_PCB_VERSION", "", {}},
                      VariableCase{"TAMREL_SIM_PCB_VERSION", "-1", {}},
                      VariableCase{"TAMREL_SIM_PCB_VERSION", "2a", {}},
                      VariableCase{"TAMREL_SIM_PCB_VERSION", "1.0", {}},
                      VariableCase{"TAMREL_SIM_PCB_VERSION", "4294967296", {}},
                      VariableCase{"TAMREL_SIM_SERIAL", "TM202600012", {}},  // 11 characters
                      VariableCase{"TAMREL_SIM_SERIAL", "", {}},
                      VariableCase{"TAMREL_SIM_SERIAL", "TM\t2026", {}},
                      VariableCase{"TAMREL_SIM_SERIAL", "TM\xC3\xA9", {}},
                      VariableCase{"TAMREL_SIM_VERSION", "2.1.0.0", {}}));

// ---- the environment --------------------------------------------------------------------------

// Saves the identification variables and TAMREL_DEVICE, starts with all of them unset, and puts
// back what it found.
class EnvironmentIdentity : public ::testing::Test {
protected:
    void SetUp() override {
        names_.assign(sim::identity_variables().begin(), sim::identity_variables().end());
        names_.emplace_back("TAMREL_DEVICE");
        for (const std::string& name : names_) {
            const char* value = std::getenv(name.c_str());
            saved_.push_back(value ? std::optional<std::string>(value) : std::nullopt);
            ::unsetenv(name.c_str());
        }
    }
    void TearDown() override {
        for (std::size_t i = 0; i < names_.size(); ++i) {
            if (saved_[i]) {
                ::setenv(names_[i].c_str(), saved_[i]->c_str(), 1);
            } else {
                ::unsetenv(names_[i].c_str());
            }
        }
        sim::control::reset(DeviceKind::second_generation);
    }

    static void set(const char* name, const char* value) { ::setenv(name, value, 1); }

    static api::DeviceConfig config(DeviceKind kind) {
        api::DeviceConfig c;
        c.kind = kind;
        return c;
    }

    std::vector<std::string> names_;
    std::vector<std::optional<std::string>> saved_;
};

TEST_F(EnvironmentIdentity, ConfigureDeviceAppliesEveryVariableOverTheDefaults) {
    set("TAMREL_SIM_FPGA_VERSION", "2.0.2.9");
    set("TAMREL_SIM_PUMP_FPGA_VERSION", "2.1.0.0");
    set("TAMREL_SIM_DSP_NIOS_VERSION", "1.0.7.0");
    set("TAMREL_SIM_PCB_VERSION", "3");
    set("TAMREL_SIM_SERIAL", "TM2OLD0001");
    ASSERT_TRUE(api::check_sim_identity_environment().ok());
    const platform::Status status = api::configure_device(config(DeviceKind::second_generation));
    ASSERT_TRUE(status.ok()) << status.describe();

    const CTamrelAPI api;
    ASSERT_EQ(api.Tm2Open(0), 0U);
    unsigned fpga = 0;
    unsigned pump = 0;
    unsigned nios = 0;
    unsigned pcb = 0;
    std::u16string serial;
    ASSERT_EQ(api.Tm2GetDspFpgaVer(fpga), 0U);
    ASSERT_EQ(api.Tm2GetPumpFpgaVer(pump), 0U);
    ASSERT_EQ(api.Tm2GetDspNiosVer(nios), 0U);
    ASSERT_EQ(api.Tm2GetHWPCBVer(pcb), 0U);
    ASSERT_EQ(api.GetSerialNumUniCode(serial), 0U);
    EXPECT_EQ(fpga, make_version(2, 0, 2, 9));
    EXPECT_EQ(pump, make_version(2, 1, 0, 0));
    EXPECT_EQ(nios, make_version(1, 0, 7, 0));
    EXPECT_EQ(pcb, 3U);
    EXPECT_EQ(serial, u"TM2OLD0001");
    // The rest stays at its default.
    EXPECT_EQ(sim::control::identity().up_converter_id,
              sim::default_identity(DeviceKind::second_generation).up_converter_id);

    // A test's reset gives the defaults whatever the environment says.
    sim::control::reset(DeviceKind::second_generation);
    EXPECT_EQ(sim::control::identity(), sim::default_identity(DeviceKind::second_generation));
}

TEST_F(EnvironmentIdentity, TheFirstGenerationsFpgaVersionLandsInItsRegister) {
    set("TAMREL_SIM_FPGA_VERSION", "1.4.0.0");
    ASSERT_TRUE(api::configure_device(config(DeviceKind::first_generation)).ok());
    EXPECT_EQ(*sim::control::peek_register(1, 0x8008), make_version(1, 4, 0, 0));
}

TEST_F(EnvironmentIdentity, AMalformedVariableIsReportedAndNoneIsApplied) {
    // Well-formed variables on both sides of the malformed one; none of them may apply.
    set("TAMREL_SIM_FPGA_VERSION", "2.0.2.9");
    set("TAMREL_SIM_PUMP_FPGA_VERSION", "2.1.0");
    set("TAMREL_SIM_SERIAL", "TM2OLD0001");
    const sim::Identity defaults = sim::default_identity(DeviceKind::second_generation);
    sim::Identity identity = defaults;
    const platform::Status applied = sim::apply_identity_environment(identity);
    EXPECT_EQ(identity, defaults);
    const platform::Status checked = api::check_sim_identity_environment();
    const platform::Status status = api::configure_device(config(DeviceKind::second_generation));
    for (const platform::Status& s : {applied, checked, status}) {
        ASSERT_EQ(s.code(), platform::Errc::invalid_argument);
        EXPECT_NE(s.message().find("TAMREL_SIM_PUMP_FPGA_VERSION"), std::string::npos);
        EXPECT_NE(s.message().find("\"2.1.0\""), std::string::npos);
    }
    EXPECT_EQ(sim::control::identity(), defaults);
    EXPECT_FALSE(sim::control::is_open());  // the instrument was still started afresh

    set("TAMREL_SIM_PUMP_FPGA_VERSION", "2.1.0.0");
    EXPECT_TRUE(api::check_sim_identity_environment().ok());
}

TEST_F(EnvironmentIdentity, EmptyVariablesCountAsUnset) {
    for (std::string_view name : sim::identity_variables()) set(std::string(name).c_str(), "");
    ASSERT_TRUE(api::check_sim_identity_environment().ok());
    ASSERT_TRUE(api::configure_device(config(DeviceKind::second_generation)).ok());
    EXPECT_EQ(sim::control::identity(), sim::default_identity(DeviceKind::second_generation));
}

// The instrument is created on first use, which happened already if another test of this process
// ran first; the threadsafe death-test style runs the check in a freshly started process.
TEST(EnvironmentIdentityFirstUse, TheVariablesApplyWhenNothingWasConfigured) {
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    EXPECT_EXIT(
        {
            ::setenv("TAMREL_SIM_PUMP_FPGA_VERSION", "2.2.0.1", 1);
            ::setenv("TAMREL_SIM_SERIAL", "TMFIRSTUSE", 1);
            const sim::Identity id = sim::control::identity();
            std::exit(id.pump_fpga_version == make_version(2, 2, 0, 1) &&
                              id.serial_number == "TMFIRSTUSE"
                          ? 0
                          : 1);
        },
        ::testing::ExitedWithCode(0), "");
}

}  // namespace
}  // namespace tamrel::test
