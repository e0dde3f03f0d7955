#pragma once
// The PCIe access library boarddiag calls: the WDC_ operations, their records and statuses.
// One back-end sits behind them today, the simulated board of wdc/sim_bus.hpp.
//
// Thread-safety: every operation may be called from any thread; the simulated bus serialises
// them with its own lock. A device handle must not be used after WDC_PciDeviceClose.

#include <cstdint>

using DWORD = std::uint32_t;
using BYTE = std::uint8_t;
using UINT32 = std::uint32_t;
using UINT64 = std::uint64_t;
using WDC_DEVICE_HANDLE = void*;
using WDC_ADDR_SPACE = DWORD;

// Statuses of the library (0 is success).
constexpr DWORD WD_STATUS_SUCCESS = 0;
constexpr DWORD WD_STATUS_INVALID_WD_HANDLE = 0xFFFFFFFF;
constexpr DWORD WD_OPERATION_ALREADY_DONE = 0x20000011;
constexpr DWORD WD_NO_RESOURCES_ON_DEVICE = 0x20000019;
constexpr DWORD WD_INVALID_PARAMETER = 0x2000001B;
constexpr DWORD WD_DEVICE_NOT_FOUND = 0x2000000E;
constexpr DWORD WD_WRONG_ADDR_SPACE = 0x20000017;
constexpr DWORD WD_LIBRARY_NOT_OPEN = 0x20000020;

// Options of WDC_DriverOpen and WDC_SetDebugOptions.
constexpr DWORD WDC_DRV_OPEN_CHECK_VER = 0x1;
constexpr DWORD WDC_DRV_OPEN_DEFAULT = WDC_DRV_OPEN_CHECK_VER;
constexpr DWORD WDC_DBG_DEFAULT = 0x21;

constexpr DWORD WD_PCI_CARDS = 100;
constexpr DWORD WD_CARD_ITEMS = 20;

// Resource item types.
constexpr DWORD ITEM_NONE = 0;
constexpr DWORD ITEM_INTERRUPT = 1;
constexpr DWORD ITEM_MEMORY = 2;
constexpr DWORD ITEM_IO = 3;
constexpr DWORD ITEM_BUS = 5;

// Interrupt option bits.
constexpr DWORD INTERRUPT_LEVEL_SENSITIVE = 0x01;
constexpr DWORD INTERRUPT_MESSAGE = 0x10;
constexpr DWORD INTERRUPT_MESSAGE_X = 0x20;

struct WD_PCI_SLOT {
    DWORD dwBus;
    DWORD dwSlot;
    DWORD dwFunction;
};

struct WD_PCI_ID {
    DWORD dwVendorId;
    DWORD dwDeviceId;
};

struct WDC_PCI_SCAN_RESULT {
    DWORD dwNumDevices;
    WD_PCI_ID deviceId[WD_PCI_CARDS];
    WD_PCI_SLOT deviceSlot[WD_PCI_CARDS];
};

// One resource of a card; which fields mean something depends on `item`.
struct WD_ITEMS {
    DWORD item;
    struct {
        DWORD dwInterrupt;
        DWORD dwOptions;
    } Int;
    struct {
        UINT64 pPhysicalAddr;
        UINT64 qwBytes;
        DWORD dwBar;
    } Mem;
    struct {
        UINT64 pAddr;
        DWORD dwBytes;
        DWORD dwBar;
    } IO;
};

struct WD_CARD {
    DWORD dwItems;
    WD_ITEMS Item[WD_CARD_ITEMS];
};

struct WD_PCI_CARD_INFO {
    WD_PCI_SLOT pciSlot;
    WD_CARD Card;
};

DWORD WDC_DriverOpen(DWORD open_options, const char* license);
DWORD WDC_DriverClose();
DWORD WDC_SetDebugOptions(DWORD debug_options, const char* log_file);

DWORD WDC_PciScanDevices(DWORD vendor_id, DWORD device_id, WDC_PCI_SCAN_RESULT* result);
DWORD WDC_PciGetDeviceInfo(WD_PCI_CARD_INFO* info);
DWORD WDC_PciDeviceOpen(WDC_DEVICE_HANDLE* handle, const WD_PCI_CARD_INFO* info, void* dev_ctx,
                        void* reserved, const char* kernel_plugin_name, void* kernel_plugin_data);
DWORD WDC_PciDeviceClose(WDC_DEVICE_HANDLE handle);
void* WDC_GetDevContext(WDC_DEVICE_HANDLE handle);

DWORD WDC_GetNumAddrSpaces(WDC_DEVICE_HANDLE handle);
bool WDC_AddrSpaceIsActive(WDC_DEVICE_HANDLE handle, WDC_ADDR_SPACE space);

bool WDC_IntIsEnabled(WDC_DEVICE_HANDLE handle);
DWORD WDC_IntDisable(WDC_DEVICE_HANDLE handle);

DWORD WDC_PciReadCfg32(WDC_DEVICE_HANDLE handle, DWORD offset, UINT32* value);

DWORD WDC_ReadAddr8(WDC_DEVICE_HANDLE handle, WDC_ADDR_SPACE space, UINT64 offset, BYTE* value);
DWORD WDC_ReadAddr32(WDC_DEVICE_HANDLE handle, WDC_ADDR_SPACE space, UINT64 offset, UINT32* value);
DWORD WDC_ReadAddr64(WDC_DEVICE_HANDLE handle, WDC_ADDR_SPACE space, UINT64 offset, UINT64* value);
DWORD WDC_WriteAddr8(WDC_DEVICE_HANDLE handle, WDC_ADDR_SPACE space, UINT64 offset, BYTE value);
DWORD WDC_WriteAddr32(WDC_DEVICE_HANDLE handle, WDC_ADDR_SPACE space, UINT64 offset, UINT32 value);
DWORD WDC_WriteAddr64(WDC_DEVICE_HANDLE handle, WDC_ADDR_SPACE space, UINT64 offset, UINT64 value);

// The text of a status.
const char* Stat2Str(DWORD status);
