// The first-generation register file: read-back, the power-off read-modify-write, addresses
// outside the windows, and the power-on state.

#include "sim_fixture.hpp"
#include "tamrelapi/plx_io.hpp"

namespace tamrel::test {
namespace {

using api::DeviceKind;

class Registers : public SimTest {
protected:
    void SetUp() override {
        SimTest::SetUp();
        open_fresh(DeviceKind::first_generation);
    }
    unsigned read(unsigned space, unsigned offset) {
        unsigned value = 0xDEADBEEF;
        EXPECT_EQ(gc_PLXIO.read_reg(space, offset, value), 0U);
        return value;
    }
};

TEST_F(Registers, ReadBackWhatWasWrittenPerAddressSpace) {
    EXPECT_EQ(read(0, 0x0010), 0U);  // never written
    ASSERT_EQ(gc_PLXIO.write_reg(0, 0x0010, 0x11111111), 0U);
    ASSERT_EQ(gc_PLXIO.write_reg(1, 0x0010, 0x22222222), 0U);
    ASSERT_EQ(gc_PLXIO.write_reg(3, 0xFFFFC, 0x33333333), 0U);
    EXPECT_EQ(read(0, 0x0010), 0x11111111U);
    EXPECT_EQ(read(1, 0x0010), 0x22222222U);
    EXPECT_EQ(read(3, 0xFFFFC), 0x33333333U);
    EXPECT_EQ(read(2, 0x0010), 0U);

    ASSERT_EQ(gc_PLXIO.write_reg(0, 0x0010, 0), 0U);
    EXPECT_EQ(read(0, 0x0010), 0U);
    EXPECT_EQ(*sim::control::peek_register(1, 0x0010), 0x22222222U);
}

TEST_F(Registers, PowerOffSetsBit100OfRegister8004KeepingTheOtherBits) {
    ASSERT_TRUE(sim::control::poke_register(1, 0x8004, 0x00000005).ok());
    EXPECT_FALSE(sim::control::power_off_prepared());

    unsigned value = 0;
    ASSERT_EQ(gc_PLXIO.read_reg(1, 0x8004, value), 0U);
    ASSERT_EQ(gc_PLXIO.write_reg(1, 0x8004, value | 0x100), 0U);

    EXPECT_EQ(*sim::control::peek_register(1, 0x8004), 0x00000105U);
    EXPECT_TRUE(sim::control::power_off_prepared());
}

TEST_F(Registers, AddressesOutsideTheWindowsAreRefusedAndChangeNothing) {
    struct Address {
        unsigned space;
        unsigned offset;
    };
    for (const Address& bad : {Address{4, 0x8004}, Address{1, 0x8002}, Address{1, 0x100000},
                               Address{0xFFFFFFFF, 0}}) {
        unsigned value = 0xDEADBEEF;
        EXPECT_EQ(gc_PLXIO.read_reg(bad.space, bad.offset, value), api::status_invalid_argument);
        EXPECT_EQ(value, 0xDEADBEEFU);
        EXPECT_EQ(gc_PLXIO.write_reg(bad.space, bad.offset, 1), api::status_invalid_argument);
        EXPECT_EQ(sim::control::peek_register(bad.space, bad.offset).status().code(),
                  platform::Errc::invalid_argument);
        EXPECT_FALSE(sim::control::poke_register(bad.space, bad.offset, 1).ok());
    }
}

TEST_F(Registers, ResetBringsThePowerOnValuesBack) {
    const unsigned fpga = read(1, 0x8008);
    ASSERT_EQ(gc_PLXIO.write_reg(1, 0x8004, 0x100), 0U);
    ASSERT_EQ(gc_PLXIO.write_reg(2, 0x40, 7), 0U);
    open_fresh(DeviceKind::first_generation);
    EXPECT_EQ(read(1, 0x8004), 0U);
    EXPECT_EQ(read(2, 0x40), 0U);
    EXPECT_EQ(read(1, 0x8008), fpga);
    EXPECT_FALSE(sim::control::power_off_prepared());
}

TEST_F(SimTest, SecondGenerationPowerOffLightsTheLed) {
    open_fresh(DeviceKind::second_generation);
    EXPECT_FALSE(sim::control::power_off_prepared());
    ASSERT_EQ(api_.Tm2PowerOffLED(), 0U);
    EXPECT_TRUE(sim::control::outputs().power_off_led);
    EXPECT_TRUE(sim::control::power_off_prepared());
}

}  // namespace
}  // namespace tamrel::test
