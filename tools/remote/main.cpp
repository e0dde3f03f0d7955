// tamrel-remote: drives an instrument over its UDP packet protocol from the command line.

#include <iostream>
#include <string>
#include <vector>

#include "tools/remote/commands.hpp"
#include "tools/remote/interrupt.hpp"
#include "tools/remote/options.hpp"

int main(int argc, char** argv) {
    using namespace tamrel::remote;
    const std::vector<std::string> args(argv + 1, argv + argc);
    auto options = parse_remote_options(args);
    if (!options) {
        std::cerr << "tamrel-remote: " << options.status().message() << "\n" << remote_usage();
        return kExitUsage;
    }
    if (options->help) {
        std::cout << remote_usage();
        return kExitOk;
    }
    if (!install_interrupt_handlers()) {
        std::cerr << "tamrel-remote: cannot install the signal handlers\n";
        return kExitNoAnswer;
    }
    return run_command(*options, std::cout, std::cerr);
}
