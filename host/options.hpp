#pragma once
// The host program's command-line options.

#include <string>
#include <vector>

#include "platform/status.hpp"
#include "tamrelapi/device_select.hpp"
#include "platform/net/source_filter.hpp"

struct HostOptions {
    std::string drives = "./drives";
    tamrel::api::DeviceConfig device;
    int port_offset = 0;
    std::string bind_address;  // empty: any
    // --allow: the only networks commands are taken from (repeatable, comma lists); empty: all.
    std::vector<platform::Ipv4Network> allowed_sources;
    std::string gps_tty;       // empty: the default serial device
    bool echo = false;         // print the command echo as "# line"
    bool windows = false;      // print static-window changes as "[Label:value]"
    bool exit_on_eof = false;
    bool help = false;
    bool version = false;
};

// Parses argv[1..]; a bad option or value is refused with a message that names it.
platform::Result<HostOptions> parse_host_options(const std::vector<std::string>& args);

// The --help text.
std::string host_usage();
