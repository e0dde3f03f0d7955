#pragma once
// A pseudo-terminal for serial-port tests: the port under test opens the slave side, the test
// plays the device on the master side. Termios requests on the master act on the slave, so the
// master also shows what the port applied.

#include <fcntl.h>
#include <poll.h>
#include <stdlib.h>
#include <termios.h>
#include <unistd.h>

#include <chrono>
#include <cstdint>
#include <string>
#include <thread>
#include <vector>

namespace serial_test {

class PseudoTerminal {
public:
    PseudoTerminal() {
        master_ = ::posix_openpt(O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
        if (master_ < 0 || ::grantpt(master_) != 0 || ::unlockpt(master_) != 0) return;
        char name[128] = {};
        if (::ptsname_r(master_, name, sizeof name) == 0) slave_path_ = name;
    }
    ~PseudoTerminal() {
        if (master_ >= 0) ::close(master_);
    }
    PseudoTerminal(const PseudoTerminal&) = delete;
    PseudoTerminal& operator=(const PseudoTerminal&) = delete;

    bool ready() const { return master_ >= 0 && !slave_path_.empty(); }
    const std::string& slave_path() const { return slave_path_; }

    termios slave_settings() const {
        termios settings{};
        ::tcgetattr(master_, &settings);
        return settings;
    }

    bool write_all(const std::vector<std::uint8_t>& bytes) const {
        std::size_t done = 0;
        while (done < bytes.size()) {
            const ssize_t put = ::write(master_, bytes.data() + done, bytes.size() - done);
            if (put <= 0) return false;
            done += static_cast<std::size_t>(put);
        }
        return true;
    }

    // Reads until `count` bytes have come or five seconds have passed.
    std::vector<std::uint8_t> read_exactly(std::size_t count) const {
        std::vector<std::uint8_t> bytes;
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(5);
        while (bytes.size() < count && std::chrono::steady_clock::now() < deadline) {
            pollfd ready{master_, POLLIN, 0};
            if (::poll(&ready, 1, 100) <= 0) continue;
            std::uint8_t chunk[256];
            const ssize_t got = ::read(master_, chunk, sizeof chunk);
            if (got > 0) bytes.insert(bytes.end(), chunk, chunk + got);
        }
        return bytes;
    }

private:
    int master_ = -1;
    std::string slave_path_;
};

// Polls `condition` until it holds or five seconds have passed; for states that nothing can be
// waited on for (bytes crossing the pseudo-terminal are handed over by a kernel worker).
template <typename Condition>
bool eventually(Condition condition) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(5);
    while (!condition()) {
        if (std::chrono::steady_clock::now() >= deadline) return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    return true;
}

}  // namespace serial_test
