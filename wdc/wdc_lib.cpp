// The WDC_ operations on the simulated bus. A device handle is a SimDevice; the library must be
// opened (WDC_DriverOpen) before a scan, as callers of the vendor library expect.

#include "wdc/wdc_lib.hpp"

#include <atomic>
#include <new>

#include "wdc/sim_bus.hpp"

namespace {

using wdc_sim::SimBus;
using wdc_sim::SimDevice;

std::atomic<bool> library_open{false};

SimDevice* device_of(WDC_DEVICE_HANDLE handle) { return static_cast<SimDevice*>(handle); }

template <typename T>
DWORD read_value(WDC_DEVICE_HANDLE handle, WDC_ADDR_SPACE space, UINT64 offset, T* value) {
    if (value == nullptr) return WD_INVALID_PARAMETER;
    *value = 0;
    SimDevice* device = device_of(handle);
    if (device == nullptr) return WD_INVALID_PARAMETER;
    if (space != 0 && space != 2) return WD_WRONG_ADDR_SPACE;
    std::uint64_t raw = 0;
    if (!SimBus::instance().read(device->board, space, offset, sizeof(T), raw)) {
        return WD_INVALID_PARAMETER;
    }
    *value = static_cast<T>(raw);
    return WD_STATUS_SUCCESS;
}

template <typename T>
DWORD write_value(WDC_DEVICE_HANDLE handle, WDC_ADDR_SPACE space, UINT64 offset, T value) {
    SimDevice* device = device_of(handle);
    if (device == nullptr) return WD_INVALID_PARAMETER;
    if (space != 0 && space != 2) return WD_WRONG_ADDR_SPACE;
    if (!SimBus::instance().write(device->board, space, offset, sizeof(T), value)) {
        return WD_INVALID_PARAMETER;
    }
    return WD_STATUS_SUCCESS;
}

}  // namespace

DWORD WDC_DriverOpen(DWORD /*open_options*/, const char* /*license*/) {
    SimBus::instance().configure_once_from_environment();
    library_open = true;
    return WD_STATUS_SUCCESS;
}

DWORD WDC_DriverClose() {
    library_open = false;
    return WD_STATUS_SUCCESS;
}

DWORD WDC_SetDebugOptions(DWORD /*debug_options*/, const char* /*log_file*/) {
    // The simulated library has no debug monitor; the options are accepted and have no effect.
    return WD_STATUS_SUCCESS;
}

DWORD WDC_PciScanDevices(DWORD vendor, DWORD device, WDC_PCI_SCAN_RESULT* result) {
    if (result == nullptr) return WD_INVALID_PARAMETER;
    if (!library_open) return WD_LIBRARY_NOT_OPEN;
    *result = WDC_PCI_SCAN_RESULT{};
    const bool vendor_matches = vendor == 0 || vendor == wdc_sim::vendor_id;
    const bool device_matches = device == 0 || device == wdc_sim::device_id;
    if (!vendor_matches || !device_matches) return WD_STATUS_SUCCESS;
    SimBus& bus = SimBus::instance();
    const std::size_t count = bus.board_count();
    for (std::size_t i = 0; i < count && i < WD_PCI_CARDS; ++i) {
        result->deviceId[i] = {wdc_sim::vendor_id, wdc_sim::device_id};
        result->deviceSlot[i] = bus.slot_of(i);
        ++result->dwNumDevices;
    }
    return WD_STATUS_SUCCESS;
}

DWORD WDC_PciGetDeviceInfo(WD_PCI_CARD_INFO* info) {
    if (info == nullptr) return WD_INVALID_PARAMETER;
    if (!library_open) return WD_LIBRARY_NOT_OPEN;
    std::size_t index = 0;
    if (!SimBus::instance().find_board(info->pciSlot, index)) return WD_DEVICE_NOT_FOUND;
    info->Card = SimBus::instance().card_of(index);
    return WD_STATUS_SUCCESS;
}

DWORD WDC_PciDeviceOpen(WDC_DEVICE_HANDLE* handle, const WD_PCI_CARD_INFO* info, void* dev_ctx,
                        void* /*reserved*/, const char* kernel_plugin_name,
                        void* /*kernel_plugin_data*/) {
    if (handle == nullptr) return WD_INVALID_PARAMETER;
    *handle = nullptr;
    if (info == nullptr) return WD_INVALID_PARAMETER;
    if (!library_open) return WD_LIBRARY_NOT_OPEN;
    if (kernel_plugin_name != nullptr && *kernel_plugin_name != '\0') return WD_INVALID_PARAMETER;
    std::size_t index = 0;
    if (!SimBus::instance().find_board(info->pciSlot, index)) return WD_DEVICE_NOT_FOUND;
    auto* device = new (std::nothrow) SimDevice{index, dev_ctx, *info, false};
    if (device == nullptr) return WD_INVALID_PARAMETER;
    *handle = device;
    return WD_STATUS_SUCCESS;
}

DWORD WDC_PciDeviceClose(WDC_DEVICE_HANDLE handle) {
    if (handle == nullptr) return WD_INVALID_PARAMETER;
    delete device_of(handle);
    return WD_STATUS_SUCCESS;
}

void* WDC_GetDevContext(WDC_DEVICE_HANDLE handle) {
    return handle == nullptr ? nullptr : device_of(handle)->context;
}

DWORD WDC_GetNumAddrSpaces(WDC_DEVICE_HANDLE handle) {
    // Address spaces are numbered by BAR; the board uses BARs 0 and 2, so there are three.
    return handle == nullptr ? 0 : 3;
}

bool WDC_AddrSpaceIsActive(WDC_DEVICE_HANDLE handle, WDC_ADDR_SPACE space) {
    if (handle == nullptr) return false;
    const WD_CARD& card = device_of(handle)->info.Card;
    for (DWORD i = 0; i < card.dwItems && i < WD_CARD_ITEMS; ++i) {
        const WD_ITEMS& item = card.Item[i];
        if ((item.item == ITEM_MEMORY && item.Mem.dwBar == space) ||
            (item.item == ITEM_IO && item.IO.dwBar == space)) {
            return true;
        }
    }
    return false;
}

bool WDC_IntIsEnabled(WDC_DEVICE_HANDLE handle) {
    return handle != nullptr && device_of(handle)->interrupts_enabled;
}

DWORD WDC_IntDisable(WDC_DEVICE_HANDLE handle) {
    if (handle == nullptr) return WD_INVALID_PARAMETER;
    SimDevice* device = device_of(handle);
    if (!device->interrupts_enabled) return WD_OPERATION_ALREADY_DONE;
    device->interrupts_enabled = false;
    return WD_STATUS_SUCCESS;
}

DWORD WDC_PciReadCfg32(WDC_DEVICE_HANDLE handle, DWORD offset, UINT32* value) {
    if (value == nullptr) return WD_INVALID_PARAMETER;
    *value = 0;
    if (handle == nullptr || offset % 4 != 0 || offset >= 256) return WD_INVALID_PARAMETER;
    *value = SimBus::instance().config_word(device_of(handle)->board, offset);
    return WD_STATUS_SUCCESS;
}

DWORD WDC_ReadAddr8(WDC_DEVICE_HANDLE handle, WDC_ADDR_SPACE space, UINT64 offset, BYTE* value) {
    return read_value(handle, space, offset, value);
}
DWORD WDC_ReadAddr32(WDC_DEVICE_HANDLE handle, WDC_ADDR_SPACE space, UINT64 offset,
                     UINT32* value) {
    return read_value(handle, space, offset, value);
}
DWORD WDC_ReadAddr64(WDC_DEVICE_HANDLE handle, WDC_ADDR_SPACE space, UINT64 offset,
                     UINT64* value) {
    return read_value(handle, space, offset, value);
}
DWORD WDC_WriteAddr8(WDC_DEVICE_HANDLE handle, WDC_ADDR_SPACE space, UINT64 offset, BYTE value) {
    return write_value(handle, space, offset, value);
}
DWORD WDC_WriteAddr32(WDC_DEVICE_HANDLE handle, WDC_ADDR_SPACE space, UINT64 offset,
                      UINT32 value) {
    return write_value(handle, space, offset, value);
}
DWORD WDC_WriteAddr64(WDC_DEVICE_HANDLE handle, WDC_ADDR_SPACE space, UINT64 offset,
                      UINT64 value) {
    return write_value(handle, space, offset, value);
}
