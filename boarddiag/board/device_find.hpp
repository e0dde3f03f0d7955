#pragma once
// Finding the board on the PCI bus (with a choice when several match), opening it, and the
// check that it carries the expected FPGA design.

#include "wdc/wdc_lib.hpp"

constexpr DWORD ALT_PCIE_QSYS_SIMPLE_DEFAULT_VENDOR_ID = 0x1172;
constexpr DWORD ALT_PCIE_QSYS_SIMPLE_DEFAULT_DEVICE_ID = 0xE001;

// 1 with the chosen board's slot in `slot`, else 0. Prints the listing and asks when several
// boards match.
int DeviceFind(WD_PCI_SLOT* slot);
// A handle to the board in `slot`, or null (with the reason printed).
WDC_DEVICE_HANDLE DeviceOpen(const WD_PCI_SLOT* slot);

namespace boarddiag {

// True when the board carries the design boarddiag is written for: low nibble 9 of the revision
// ID (configuration word at offset 8). A null handle fails.
bool is_qsys_design(WDC_DEVICE_HANDLE handle);

}  // namespace boarddiag
