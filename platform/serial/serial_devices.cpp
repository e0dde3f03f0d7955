#include "platform/serial/serial_devices.hpp"

#include <charconv>
#include <map>
#include <mutex>

namespace platform {
namespace {
std::mutex g_mutex;
std::map<std::string, std::string, std::less<>> g_paths;
}  // namespace

void set_serial_device_path(std::string_view port_name, std::string path) {
    std::lock_guard lock(g_mutex);
    g_paths[std::string(port_name)] = std::move(path);
}

std::string serial_device_path(std::string_view port_name) {
    {
        std::lock_guard lock(g_mutex);
        if (auto it = g_paths.find(port_name); it != g_paths.end()) return it->second;
    }
    unsigned number = 0;
    if (port_name.size() > 3 && port_name.substr(0, 3) == "COM") {
        const auto digits = port_name.substr(3);
        const auto [end, error] = std::from_chars(digits.data(), digits.data() + digits.size(), number);
        if (error == std::errc() && end == digits.data() + digits.size() && number >= 1) {
            return "/dev/ttyS" + std::to_string(number - 1);
        }
    }
    return std::string("/dev/") + std::string(port_name);
}

}  // namespace platform
