#include "boarddiag/board/alt_pcie_qsys_simple_lib.hpp"

#include <cstdarg>
#include <cstdio>
#include <new>

namespace {

constexpr std::size_t last_error_size = 256;  // 255 characters and the terminator
char last_error[last_error_size] = {};
DWORD library_references = 0;

// Error reports of this layer go to the last-error text only; callers print it.
__attribute__((format(printf, 1, 2))) void report_error(const char* format, ...) {
    va_list args;
    va_start(args, format);
    std::vsnprintf(last_error, sizeof last_error, format, args);
    va_end(args);
}

// Trace reports of this layer produce no output.
void trace(const char* /*text*/) {}

unsigned long as_ulong(DWORD status) { return static_cast<unsigned long>(status); }

}  // namespace

const char* ALT_PCIE_QSYS_SIMPLE_GetLastErr() { return last_error; }

DWORD ALT_PCIE_QSYS_SIMPLE_LibraryInit() {
    if (library_references++ > 0) return WD_STATUS_SUCCESS;
    DWORD status = WDC_SetDebugOptions(WDC_DBG_DEFAULT, nullptr);
    if (status != WD_STATUS_SUCCESS) {
        report_error("Failed to initialize debug options for WDC library.\nError 0x%lx - %s\n",
                     as_ulong(status), Stat2Str(status));
        return status;
    }
    status = WDC_DriverOpen(WDC_DRV_OPEN_DEFAULT, nullptr);
    if (status != WD_STATUS_SUCCESS) {
        report_error("Failed to initialize the WDC library. Error 0x%lx - %s\n", as_ulong(status),
                     Stat2Str(status));
        return status;
    }
    return WD_STATUS_SUCCESS;
}

WDC_DEVICE_HANDLE ALT_PCIE_QSYS_SIMPLE_DeviceOpen(const WD_PCI_CARD_INFO* device_info) {
    if (device_info == nullptr) {
        report_error("ALT_PCIE_QSYS_SIMPLE_DeviceOpen: Error - NULL device information struct "
                     "pointer\n");
        return nullptr;
    }
    auto* context = new (std::nothrow) ALT_PCIE_QSYS_SIMPLE_DEV_CTX{0, 0};
    if (context == nullptr) {
        report_error("Failed allocating memory for ALT_PCIE_QSYS_SIMPLE device context\n");
        return nullptr;
    }
    WDC_DEVICE_HANDLE handle = nullptr;
    const DWORD status =
        WDC_PciDeviceOpen(&handle, device_info, context, nullptr, nullptr, nullptr);
    if (status == WD_STATUS_SUCCESS) {
        // Validation: the first active address space is enough, and a device without any is
        // accepted too.
        const DWORD spaces = WDC_GetNumAddrSpaces(handle);
        bool active = false;
        for (DWORD space = 0; space < spaces && !active; ++space) {
            active = WDC_AddrSpaceIsActive(handle, space);
        }
        if (!active) trace("Device does not have any active memory or I/O address spaces\n");
        return handle;
    }
    report_error("Failed opening a WDC device handle. Error 0x%lx - %s\n", as_ulong(status),
                 Stat2Str(status));
    if (handle != nullptr) {
        ALT_PCIE_QSYS_SIMPLE_DeviceClose(handle);  // frees the context
    } else {
        delete context;
    }
    return nullptr;
}

bool ALT_PCIE_QSYS_SIMPLE_DeviceClose(WDC_DEVICE_HANDLE handle) {
    trace("ALT_PCIE_QSYS_SIMPLE_DeviceClose entered. Device handle: 0x%p\n");
    if (handle == nullptr) {
        report_error("ALT_PCIE_QSYS_SIMPLE_DeviceClose: Error - NULL device handle\n");
        return false;
    }
    auto* context = static_cast<ALT_PCIE_QSYS_SIMPLE_DEV_CTX*>(WDC_GetDevContext(handle));
    if (WDC_IntIsEnabled(handle)) {
        const DWORD status = ALT_PCIE_QSYS_SIMPLE_IntDisable(handle);
        if (status != WD_STATUS_SUCCESS) {
            report_error("Failed disabling interrupts. Error 0x%lx - %s\n", as_ulong(status),
                         Stat2Str(status));
        }
    }
    const DWORD status = WDC_PciDeviceClose(handle);
    if (status != WD_STATUS_SUCCESS) {
        report_error("Failed closing a WDC device handle (0x%p). Error 0x%lx - %s\n", handle,
                     as_ulong(status), Stat2Str(status));
    }
    delete context;
    return status == WD_STATUS_SUCCESS;
}

DWORD ALT_PCIE_QSYS_SIMPLE_IntDisable(WDC_DEVICE_HANDLE handle) {
    if (handle == nullptr) {
        report_error("%s: NULL device %s\n", "ALT_PCIE_QSYS_SIMPLE_IntDisable", "handle");
        return WD_INVALID_PARAMETER;
    }
    if (WDC_GetDevContext(handle) == nullptr) {
        report_error("%s: NULL device %s\n", "ALT_PCIE_QSYS_SIMPLE_IntDisable", "context");
        return WD_INVALID_PARAMETER;
    }
    if (!WDC_IntIsEnabled(handle)) {
        report_error("Interrupts are already disabled ...\n");
        return WD_OPERATION_ALREADY_DONE;
    }
    const DWORD status = WDC_IntDisable(handle);
    if (status != WD_STATUS_SUCCESS) {
        report_error("Failed disabling interrupts. Error 0x%lx - %s\n", as_ulong(status),
                     Stat2Str(status));
    }
    return status;
}
