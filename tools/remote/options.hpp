#pragma once
// The command line of the remote client: options, then a command and its arguments.
//
// Thread-safety: plain values; parse once at start-up.

#include <string>
#include <vector>

#include "platform/status.hpp"

namespace tamrel::remote {

struct RemoteOptions {
    std::string device = "127.0.0.1";  // the instrument's IPv4 address
    int port_offset = 0;               // added to the four well-known ports
    int listen_port = 0;               // 0: the host port plus the offset
    int timeout_s = 5;                 // every wait for an answer ends after this
    int generation = -1;               // 1 or 2; -1: from the instrument's settings block
    bool folders = false;              // list: folders instead of files
    std::string command;
    std::vector<std::string> args;
    bool help = false;
};

// Parses argv[1..]; a bad option, value or command is refused with a message that names it.
platform::Result<RemoteOptions> parse_remote_options(const std::vector<std::string>& args);

std::string remote_usage();

}  // namespace tamrel::remote
