// The simulated board behind the WDC_ operations: the scan, the configuration word, the
// register window with its console FIFO, and board memory.

#include <gtest/gtest.h>

#include <string>

#include "wdc/sim_bus.hpp"
#include "wdc/wdc_lib.hpp"

namespace {

using wdc_sim::SimBus;
using wdc_sim::SimSettings;

class SimulatedBoard : public testing::Test {
protected:
    void open_board(const SimSettings& settings) {
        SimBus::instance().configure(settings);
        ASSERT_EQ(WDC_DriverOpen(WDC_DRV_OPEN_DEFAULT, nullptr), WD_STATUS_SUCCESS);
        WDC_PCI_SCAN_RESULT scan{};
        ASSERT_EQ(WDC_PciScanDevices(0x1172, 0xE001, &scan), WD_STATUS_SUCCESS);
        ASSERT_GE(scan.dwNumDevices, 1u);
        WD_PCI_CARD_INFO info{};
        info.pciSlot = scan.deviceSlot[0];
        ASSERT_EQ(WDC_PciGetDeviceInfo(&info), WD_STATUS_SUCCESS);
        ASSERT_EQ(WDC_PciDeviceOpen(&handle_, &info, &context_, nullptr, nullptr, nullptr),
                  WD_STATUS_SUCCESS);
    }
    void TearDown() override {
        if (handle_ != nullptr) {
            EXPECT_EQ(WDC_PciDeviceClose(handle_), WD_STATUS_SUCCESS);
        }
    }
    WDC_DEVICE_HANDLE handle_ = nullptr;
    int context_ = 0;
};

TEST(SimulatedBus, ScanFindsTheConfiguredBoardsOnly) {
    SimSettings settings;
    settings.board_count = 3;
    SimBus::instance().configure(settings);
    ASSERT_EQ(WDC_DriverOpen(WDC_DRV_OPEN_DEFAULT, nullptr), WD_STATUS_SUCCESS);
    WDC_PCI_SCAN_RESULT scan{};
    ASSERT_EQ(WDC_PciScanDevices(0x1172, 0xE001, &scan), WD_STATUS_SUCCESS);
    ASSERT_EQ(scan.dwNumDevices, 3u);
    EXPECT_EQ(scan.deviceSlot[2].dwBus, 3u);
    EXPECT_EQ(scan.deviceId[1].dwDeviceId, 0xE001u);
    ASSERT_EQ(WDC_PciScanDevices(0x1172, 0xE002, &scan), WD_STATUS_SUCCESS);
    EXPECT_EQ(scan.dwNumDevices, 0u);
}

TEST(SimulatedBus, DeviceInfoOfAnEmptySlotFails) {
    SimBus::instance().configure(SimSettings{});
    ASSERT_EQ(WDC_DriverOpen(WDC_DRV_OPEN_DEFAULT, nullptr), WD_STATUS_SUCCESS);
    WD_PCI_CARD_INFO info{};
    info.pciSlot = {7, 0, 0};
    EXPECT_NE(WDC_PciGetDeviceInfo(&info), WD_STATUS_SUCCESS);
}

TEST_F(SimulatedBoard, ConfigurationWordCarriesTheDesignNibble) {
    SimSettings settings;
    settings.design_nibble = 5;
    open_board(settings);
    UINT32 word = 0;
    ASSERT_EQ(WDC_PciReadCfg32(handle_, 8, &word), WD_STATUS_SUCCESS);
    EXPECT_EQ(word & 0xF, 5u);
    EXPECT_EQ(WDC_GetDevContext(handle_), &context_);
    EXPECT_TRUE(WDC_AddrSpaceIsActive(handle_, 0));
    EXPECT_FALSE(WDC_AddrSpaceIsActive(handle_, 1));
    EXPECT_TRUE(WDC_AddrSpaceIsActive(handle_, 2));
}

TEST_F(SimulatedBoard, RegistersReadBackWhatWasWritten) {
    open_board(SimSettings{});
    UINT32 value = 1;
    ASSERT_EQ(WDC_ReadAddr32(handle_, 2, 0x4140, &value), WD_STATUS_SUCCESS);
    EXPECT_EQ(value, 0u);
    ASSERT_EQ(WDC_WriteAddr32(handle_, 2, 0x4140, 0x80000001), WD_STATUS_SUCCESS);
    ASSERT_EQ(WDC_ReadAddr32(handle_, 2, 0x4140, &value), WD_STATUS_SUCCESS);
    EXPECT_EQ(value, 0x80000001u);
    EXPECT_NE(WDC_ReadAddr32(handle_, 2, wdc_sim::bar2_size, &value), WD_STATUS_SUCCESS);
    EXPECT_NE(WDC_ReadAddr32(handle_, 1, 0, &value), WD_STATUS_SUCCESS);
}

TEST_F(SimulatedBoard, BoardMemoryHoldsSixtyFourBitWords) {
    open_board(SimSettings{});
    UINT64 value = 1;
    ASSERT_EQ(WDC_ReadAddr64(handle_, 0, 0x10000000, &value), WD_STATUS_SUCCESS);
    EXPECT_EQ(value, 0u);
    ASSERT_EQ(WDC_WriteAddr64(handle_, 0, 0x1000FFFC, 0x0102030405060708ull), WD_STATUS_SUCCESS);
    ASSERT_EQ(WDC_ReadAddr64(handle_, 0, 0x1000FFFC, &value), WD_STATUS_SUCCESS);
    EXPECT_EQ(value, 0x0102030405060708ull);  // across a page boundary
    UINT32 half = 0;
    ASSERT_EQ(WDC_ReadAddr32(handle_, 0, 0x10010000, &half), WD_STATUS_SUCCESS);
    EXPECT_EQ(half, 0x01020304u);
    EXPECT_NE(WDC_WriteAddr64(handle_, 0, wdc_sim::bar0_size - 4, 0), WD_STATUS_SUCCESS);
}

TEST_F(SimulatedBoard, ConsoleSendsStartTextAfterTheCountIsReset) {
    SimSettings settings;
    settings.console_text = "ok\n";
    open_board(settings);
    UINT32 count = 9;
    ASSERT_EQ(WDC_ReadAddr32(handle_, 2, 0x4018, &count), WD_STATUS_SUCCESS);
    EXPECT_EQ(count, 0u);
    ASSERT_EQ(WDC_WriteAddr32(handle_, 2, 0x4018, 0), WD_STATUS_SUCCESS);
    ASSERT_EQ(WDC_ReadAddr32(handle_, 2, 0x4018, &count), WD_STATUS_SUCCESS);
    ASSERT_EQ(count, 3u);
    std::string received;
    for (UINT32 i = 0; i < count; ++i) {
        BYTE ch = 0;
        ASSERT_EQ(WDC_ReadAddr8(handle_, 2, 0x4000, &ch), WD_STATUS_SUCCESS);
        received += static_cast<char>(ch);
    }
    EXPECT_EQ(received, "ok\n");
    ASSERT_EQ(WDC_ReadAddr32(handle_, 2, 0x4018, &count), WD_STATUS_SUCCESS);
    EXPECT_EQ(count, 0u);
}

TEST_F(SimulatedBoard, ConsoleEchoesWhatTheHostSends) {
    open_board(SimSettings{});
    for (const char ch : std::string("hi")) {
        ASSERT_EQ(WDC_WriteAddr8(handle_, 2, 0x4004, static_cast<BYTE>(ch)), WD_STATUS_SUCCESS);
    }
    UINT32 count = 0;
    ASSERT_EQ(WDC_ReadAddr32(handle_, 2, 0x4018, &count), WD_STATUS_SUCCESS);
    EXPECT_EQ(count, 2u);
    EXPECT_EQ(SimBus::instance().console_sent(0), "hi");
}

TEST(SimulatedStatus, TextsNameTheStatus) {
    EXPECT_STREQ(Stat2Str(WD_STATUS_SUCCESS), "Success");
    EXPECT_STRNE(Stat2Str(WD_INVALID_PARAMETER), Stat2Str(0x12345));
}

}  // namespace
