// Identification and calibration: defaults per generation, and values set through the control
// interface read back through the operations the session uses.

#include <array>
#include <functional>
#include <string>

#include "sim_fixture.hpp"
#include "tamrelapi/plx_io.hpp"
#include "tamrelapi/rf_modules.hpp"

namespace tamrel::test {
namespace {

using api::DeviceKind;
using sim::make_version;

unsigned hardware_variant(unsigned pump_fpga_version) { return (pump_fpga_version >> 16) & 0xFFU; }

TEST_F(SimTest, SecondGenerationDefaultsLookLikeAFreshVariantOneBoard) {
    open_fresh(DeviceKind::second_generation);
    unsigned pump = 0;
    unsigned nios = 0;
    unsigned fpga = 0;
    std::u16string serial;
    ASSERT_EQ(api_.Tm2GetPumpFpgaVer(pump), 0U);
    ASSERT_EQ(api_.Tm2GetDspNiosVer(nios), 0U);
    ASSERT_EQ(api_.Tm2GetDspFpgaVer(fpga), 0U);
    ASSERT_EQ(api_.GetSerialNumUniCode(serial), 0U);
    EXPECT_EQ(pump, make_version(2, 1, 1, 2));
    EXPECT_EQ(hardware_variant(pump), 1U);
    EXPECT_EQ(nios, make_version(1, 1, 0, 2));
    EXPECT_NE(fpga, 0U);
    EXPECT_EQ(serial, u"TM20260001");
}

TEST_F(SimTest, FirstGenerationKeepsItsFpgaVersionInRegister8008OfSpace1) {
    open_fresh(DeviceKind::first_generation);
    unsigned from_register = 0;
    ASSERT_EQ(gc_PLXIO.read_reg(1, 0x8008, from_register), 0U);
    EXPECT_NE(from_register, 0U);
    EXPECT_EQ(from_register, sim::control::identity().fpga_version);

    sim::Identity id = sim::control::identity();
    id.fpga_version = make_version(1, 7, 2, 9);
    sim::control::set_identity(id);
    ASSERT_EQ(gc_PLXIO.read_reg(1, 0x8008, from_register), 0U);
    EXPECT_EQ(from_register, make_version(1, 7, 2, 9));

    ASSERT_TRUE(sim::control::poke_register(1, 0x8008, make_version(1, 8, 0, 0)).ok());
    EXPECT_EQ(sim::control::identity().fpga_version, make_version(1, 8, 0, 0));

    // The version register is read-only to the session.
    ASSERT_EQ(gc_PLXIO.write_reg(1, 0x8008, 0), 0U);
    ASSERT_EQ(gc_PLXIO.read_reg(1, 0x8008, from_register), 0U);
    EXPECT_EQ(from_register, make_version(1, 8, 0, 0));
}

sim::Identity distinctive_identity() {
    sim::Identity id;
    id.fpga_version = make_version(2, 4, 6, 8);
    id.pump_fpga_version = make_version(2, 3, 0, 1);
    id.dsp_nios_version = make_version(1, 3, 0, 7);
    id.pcb_version = 5;
    id.attenuator_id = 0x41112233;
    id.down_converter_id = 0x44445566;
    id.up_converter_id = 0x55778899;
    id.serial_number = "TM29990042";
    id.library_version = u"TamrelAPI test build";
    return id;
}

TEST_F(SimTest, SecondGenerationIdentificationReadsBackThroughEveryGetter) {
    open_fresh(DeviceKind::second_generation);
    const sim::Identity id = distinctive_identity();
    sim::control::set_identity(id);
    EXPECT_EQ(sim::control::identity(), id);

    struct Getter {
        const char* name;
        unsigned (CTamrelAPI::*member)(unsigned&) const;
        unsigned expected;
    };
    const std::array getters = {
        Getter{"Tm2GetDspFpgaVer", &CTamrelAPI::Tm2GetDspFpgaVer, id.fpga_version},
        Getter{"Tm2GetPumpFpgaVer", &CTamrelAPI::Tm2GetPumpFpgaVer, id.pump_fpga_version},
        Getter{"Tm2GetDspNiosVer", &CTamrelAPI::Tm2GetDspNiosVer, id.dsp_nios_version},
        Getter{"Tm2GetHWPCBVer", &CTamrelAPI::Tm2GetHWPCBVer, id.pcb_version},
        Getter{"Tm2GetAttenuatorID", &CTamrelAPI::Tm2GetAttenuatorID, id.attenuator_id},
        Getter{"Tm2GetDownConvID", &CTamrelAPI::Tm2GetDownConvID, id.down_converter_id},
        Getter{"Tm2GetUpConvID", &CTamrelAPI::Tm2GetUpConvID, id.up_converter_id},
    };
    for (const Getter& getter : getters) {
        unsigned value = 0;
        ASSERT_EQ((api_.*getter.member)(value), 0U) << getter.name;
        EXPECT_EQ(value, getter.expected) << getter.name;
    }
    EXPECT_EQ(hardware_variant(id.pump_fpga_version), 3U);

    std::u16string text;
    ASSERT_EQ(api_.GetSerialNumUniCode(text), 0U);
    EXPECT_EQ(text, u"TM29990042");
    ASSERT_EQ(api_.GetDllVerUniCode(text), 0U);
    EXPECT_EQ(text, u"TamrelAPI test build");
}

TEST_F(SimTest, FirstGenerationIdentificationReadsBackThroughEveryGetter) {
    open_fresh(DeviceKind::first_generation);
    const sim::Identity id = distinctive_identity();
    sim::control::set_identity(id);

    unsigned value = 0;
    ASSERT_EQ(api_.GetHWPCBVer(value), 0U);
    EXPECT_EQ(value, id.pcb_version);
    ASSERT_EQ(api_.PlayGetAttenID(value), 0U);
    EXPECT_EQ(value, id.attenuator_id);
    ASSERT_EQ(api_.CaptureGetDCID(value), 0U);
    EXPECT_EQ(value, id.down_converter_id);
    ASSERT_EQ(gc_PLXIO.read_reg(1, 0x8008, value), 0U);
    EXPECT_EQ(value, id.fpga_version);
    EXPECT_EQ(sim::control::identity(), id);
}

TEST_F(SimTest, CalibrationReadsBackThroughEachGenerationsGetters) {
    sim::Calibration cal;
    cal.capture_spectrum_offset_db = 3.25F;
    cal.capture_iq_power_offset_db = -4.5F;
    cal.play_spectrum_offset_db = 0.125F;
    cal.play_offset_gain = -37;
    cal.play_offset_gain_rf_path_from_dac = 64;

    open_fresh(DeviceKind::first_generation);
    sim::control::set_calibration(cal);
    float db = 0.0F;
    ASSERT_EQ(gc_RfDC.GetCapture_Spectrum_GainOffset_Cal(db), 0U);
    EXPECT_EQ(db, 3.25F);
    ASSERT_EQ(gc_RfDC.GetCapture_IQPower_GainOffset_Cal(db), 0U);
    EXPECT_EQ(db, -4.5F);
    ASSERT_EQ(gc_RfAtten.GetPlay_Spectrum_GainOffset_Cal(db), 0U);
    EXPECT_EQ(db, 0.125F);

    open_fresh(DeviceKind::second_generation);
    sim::control::set_calibration(cal);
    EXPECT_EQ(sim::control::calibration(), cal);
    ASSERT_EQ(api_.Tm2RecordGetSpectrumOffsetGain(db), 0U);
    EXPECT_EQ(db, 3.25F);
    ASSERT_EQ(api_.Tm2RecordGetBandPowerOffsetGain(db), 0U);
    EXPECT_EQ(db, -4.5F);
    ASSERT_EQ(api_.Tm2PlayGetSpectrumOffsetGain(db), 0U);
    EXPECT_EQ(db, 0.125F);
    short tenth_db = 0;
    ASSERT_EQ(api_.Tm2PlayGetOffSetGain(tenth_db), 0U);
    EXPECT_EQ(tenth_db, -37);
    ASSERT_EQ(api_.Tm2PlayGetOffSetGain_RfPathFromDac(tenth_db), 0U);
    EXPECT_EQ(tenth_db, 64);
}

TEST_F(SimTest, ResetRestoresTheDefaults) {
    const sim::Identity defaults = sim::control::identity();
    const sim::Calibration default_cal = sim::control::calibration();
    sim::control::set_identity(distinctive_identity());
    sim::control::set_calibration({9.0F, 9.0F, 9.0F, 9, 9});
    sim::control::reset(DeviceKind::second_generation);
    EXPECT_EQ(sim::control::identity(), defaults);
    EXPECT_EQ(sim::control::calibration(), default_cal);
}

class SerialNumber : public SimTest {
protected:
    void SetUp() override {
        SimTest::SetUp();
        open_fresh(DeviceKind::second_generation);
        buffer_.fill('x');
    }
    std::string text(std::size_t n) const { return std::string(buffer_.data(), n); }
    std::array<char, 16> buffer_{};
};

TEST_F(SerialNumber, TenBytesFillTenWithoutATerminator) {
    ASSERT_EQ(api_.GetSerialNum(buffer_.data(), 10), 0U);
    EXPECT_EQ(text(10), "TM20260001");
    EXPECT_EQ(buffer_[10], 'x');  // nothing written beyond the size
}

TEST_F(SerialNumber, ALongerBufferIsTerminatedAndZeroed) {
    ASSERT_EQ(api_.GetSerialNum(buffer_.data(), 14), 0U);
    EXPECT_EQ(text(14), std::string("TM20260001\0\0\0\0", 14));
    EXPECT_EQ(buffer_[14], 'x');
}

TEST_F(SerialNumber, AShortBufferTakesWhatFits) {
    ASSERT_EQ(api_.GetSerialNum(buffer_.data(), 4), 0U);
    EXPECT_EQ(text(5), "TM20x");
}

TEST_F(SerialNumber, NullBufferIsRefusedUnlessItsSizeIsZero) {
    EXPECT_EQ(api_.GetSerialNum(nullptr, 10), api::status_invalid_argument);
    EXPECT_EQ(api_.GetSerialNum(nullptr, 0), api::status_ok);
}

}  // namespace
}  // namespace tamrel::test
