#pragma once
// Which device file stands for a serial port name of the system ("COM5"). By default COMn is
// /dev/ttyS(n-1); the host may map a name to any path (a USB adapter, a pseudo-terminal) before
// the session starts.
//
// Thread-safety: every function may be called from any thread.

#include <string>
#include <string_view>

namespace platform {

void set_serial_device_path(std::string_view port_name, std::string path);
std::string serial_device_path(std::string_view port_name);

}  // namespace platform
