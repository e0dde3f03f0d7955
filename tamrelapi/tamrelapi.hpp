#pragma once
// Everything the calling code uses of the device library: the main object, the global board
// objects and the statuses.

#include "tamrelapi/alt_pci_qsys.hpp"
#include "tamrelapi/converters.hpp"
#include "tamrelapi/eeprom.hpp"
#include "tamrelapi/plx_io.hpp"
#include "tamrelapi/rf_modules.hpp"
#include "tamrelapi/status.hpp"
#include "tamrelapi/tamrel_api.hpp"
