#pragma once
// The board's device layer over the WDC library: library start (reference-counted), device open
// and close with the device context, interrupt disable, and the text of the last error.
//
// Thread-safety: none; the shell thread alone calls this layer (the last-error text is one
// unprotected buffer).

#include "wdc/wdc_lib.hpp"

// The device context attached to the board's WDC handle; both words are 0 at creation.
struct ALT_PCIE_QSYS_SIMPLE_DEV_CTX {
    UINT32 dwWord0;
    UINT32 dwWord1;
};

// Opens the WDC library on the first call; later calls only count.
DWORD ALT_PCIE_QSYS_SIMPLE_LibraryInit();
WDC_DEVICE_HANDLE ALT_PCIE_QSYS_SIMPLE_DeviceOpen(const WD_PCI_CARD_INFO* device_info);
bool ALT_PCIE_QSYS_SIMPLE_DeviceClose(WDC_DEVICE_HANDLE handle);
DWORD ALT_PCIE_QSYS_SIMPLE_IntDisable(WDC_DEVICE_HANDLE handle);
// The text of the last error this layer reported (at most 255 characters).
const char* ALT_PCIE_QSYS_SIMPLE_GetLastErr();
