#include "wdc/wdc_lib.hpp"

const char* Stat2Str(DWORD status) {
    switch (status) {
        case WD_STATUS_SUCCESS: return "Success";
        case WD_OPERATION_ALREADY_DONE: return "Operation already done";
        case WD_NO_RESOURCES_ON_DEVICE: return "No resources on device";
        case WD_INVALID_PARAMETER: return "Invalid parameter";
        case WD_DEVICE_NOT_FOUND: return "Device not found";
        case WD_WRONG_ADDR_SPACE: return "Wrong address space";
        case WD_LIBRARY_NOT_OPEN: return "Library not open";
        case WD_STATUS_INVALID_WD_HANDLE: return "Invalid driver handle";
        default: return "Unrecognized error code";
    }
}
