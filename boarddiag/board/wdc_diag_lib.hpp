#pragma once
// Printing of a PCI device's location and resources, as the board listing shows them.

#include <cstdio>

#include "wdc/wdc_lib.hpp"

void WDC_DIAG_PciDeviceInfoPrint(const WD_PCI_SLOT* slot, std::FILE* stream);
void WDC_DIAG_DeviceResourcesPrint(std::FILE* stream, const WD_CARD* card);
