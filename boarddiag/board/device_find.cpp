#include "boarddiag/board/device_find.hpp"

#include <cstdio>

#include "boarddiag/board/alt_pcie_qsys_simple_lib.hpp"
#include "boarddiag/board/diag_input.hpp"
#include "boarddiag/board/wdc_diag_lib.hpp"

namespace {

unsigned long ul(DWORD value) { return static_cast<unsigned long>(value); }

}  // namespace

int DeviceFind(WD_PCI_SLOT* slot) {
    const DWORD vendor = ALT_PCIE_QSYS_SIMPLE_DEFAULT_VENDOR_ID;
    const DWORD device = ALT_PCIE_QSYS_SIMPLE_DEFAULT_DEVICE_ID;
    static WDC_PCI_SCAN_RESULT scan;  // large; kept off the shell thread's stack
    scan = WDC_PCI_SCAN_RESULT{};
    const DWORD status = WDC_PciScanDevices(vendor, device, &scan);
    if (status != WD_STATUS_SUCCESS) {
        std::printf("DeviceFind: Failed scanning the PCI bus.\nError: 0x%lx - %s\n", ul(status),
                    Stat2Str(status));
        return 0;
    }
    const DWORD count = scan.dwNumDevices < WD_PCI_CARDS ? scan.dwNumDevices : WD_PCI_CARDS;
    if (count == 0) {
        std::printf("No matching device was found for search criteria (Vendor ID 0x%lX, Device "
                    "ID 0x%lX)\n",
                    ul(vendor), ul(device));
        return 0;
    }
    std::printf("\n");
    std::printf("Found %ld matching device%s [ Vendor ID 0x%lX%s, Device ID 0x%lX%s ]:\n",
                static_cast<long>(count), count > 1 ? "s" : "", ul(vendor),
                vendor == 0 ? " (ALL)" : "", ul(device), device == 0 ? " (ALL)" : "");
    for (DWORD i = 0; i < count; ++i) {
        std::printf("\n");
        std::printf("%2ld. Vendor ID: 0x%lX, Device ID: 0x%lX\n", static_cast<long>(i + 1),
                    ul(scan.deviceId[i].dwVendorId), ul(scan.deviceId[i].dwDeviceId));
        WDC_DIAG_PciDeviceInfoPrint(&scan.deviceSlot[i], stdout);
    }
    std::printf("\n");
    DWORD chosen = 1;
    if (count > 1) {
        char prompt[64];
        std::snprintf(prompt, sizeof prompt, "Select a device (1 - %ld): ",
                      static_cast<long>(count));
        UINT32 answer = 0;
        if (DIAG_InputData(prompt, &answer, false, 1, count) != 1) return 0;
        chosen = answer;
    }
    *slot = scan.deviceSlot[chosen - 1];
    return 1;
}

WDC_DEVICE_HANDLE DeviceOpen(const WD_PCI_SLOT* slot) {
    WD_PCI_CARD_INFO info{};
    info.pciSlot = *slot;
    const DWORD status = WDC_PciGetDeviceInfo(&info);
    if (status != WD_STATUS_SUCCESS) {
        std::printf("DeviceOpen: Failed retrieving the device's resources information.\nError "
                    "0x%lx - %s\n",
                    ul(status), Stat2Str(status));
        return nullptr;
    }
    WDC_DEVICE_HANDLE handle = ALT_PCIE_QSYS_SIMPLE_DeviceOpen(&info);
    if (handle == nullptr) {
        std::printf("DeviceOpen: Failed opening a handle to the device: %s",
                    ALT_PCIE_QSYS_SIMPLE_GetLastErr());
        return nullptr;
    }
    return handle;
}

namespace boarddiag {

bool is_qsys_design(WDC_DEVICE_HANDLE handle) {
    if (handle == nullptr) return false;
    UINT32 word = 0;
    if (WDC_PciReadCfg32(handle, 8, &word) != WD_STATUS_SUCCESS) return false;
    return (word & 0xF) == 9;
}

}  // namespace boarddiag
