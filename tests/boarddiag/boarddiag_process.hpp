#pragma once
// boarddiag run as a process on a pseudo-terminal: the test plays the operator on the master
// side and reads what the shell writes. Output processing of the terminal is switched off, so
// the bytes read are exactly those boarddiag wrote.

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <stdlib.h>
#include <sys/wait.h>
#include <termios.h>
#include <unistd.h>

#include <chrono>
#include <optional>
#include <string>
#include <thread>
#include <utility>
#include <vector>

namespace boarddiag_test {

using Clock = std::chrono::steady_clock;
using Environment = std::vector<std::pair<std::string, std::string>>;

class BoarddiagProcess {
public:
    explicit BoarddiagProcess(const Environment& environment) {
        master_ = ::posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC);
        if (master_ < 0 || ::grantpt(master_) != 0 || ::unlockpt(master_) != 0) return;
        char name[128] = {};
        if (::ptsname_r(master_, name, sizeof name) != 0) return;
        slave_ = ::open(name, O_RDWR | O_NOCTTY | O_CLOEXEC);
        if (slave_ < 0) return;
        termios settings{};
        ::tcgetattr(slave_, &settings);
        settings.c_oflag &= ~static_cast<tcflag_t>(OPOST);
        ::tcsetattr(slave_, TCSANOW, &settings);
        ::tcgetattr(slave_, &before_);
        const std::string slave_path = name;
        pid_ = ::fork();
        if (pid_ == 0) {
            ::setsid();
            const int tty = ::open(slave_path.c_str(), O_RDWR);  // becomes the controlling tty
            if (tty < 0) ::_exit(126);
            ::dup2(tty, 0);
            ::dup2(tty, 1);
            ::dup2(tty, 2);
            for (const auto& [key, value] : environment) ::setenv(key.c_str(), value.c_str(), 1);
            char program[] = BOARDDIAG_PATH;
            char* argv[] = {program, nullptr};
            ::execv(program, argv);
            ::_exit(127);
        }
    }
    ~BoarddiagProcess() {
        if (pid_ > 0 && !exit_code_) {
            ::kill(pid_, SIGKILL);
            ::waitpid(pid_, nullptr, 0);
        }
        if (slave_ >= 0) ::close(slave_);
        if (master_ >= 0) ::close(master_);
    }
    BoarddiagProcess(const BoarddiagProcess&) = delete;
    BoarddiagProcess& operator=(const BoarddiagProcess&) = delete;

    bool started() const { return pid_ > 0; }
    pid_t pid() const { return pid_; }
    const termios& settings_before() const { return before_; }
    termios settings_now() const {
        termios settings{};
        ::tcgetattr(slave_, &settings);
        return settings;
    }

    bool type(const std::string& keys) const {
        return ::write(master_, keys.data(), keys.size()) == static_cast<ssize_t>(keys.size());
    }

    // Reads until `text` has appeared after the position of the last match, for at most 10 s.
    bool wait_for(const std::string& text) {
        const auto deadline = Clock::now() + std::chrono::seconds(10);
        for (;;) {
            const std::size_t at = output_.find(text, consumed_);
            if (at != std::string::npos) {
                consumed_ = at + text.size();
                return true;
            }
            if (Clock::now() >= deadline || !read_some(deadline)) return false;
        }
    }

    // Waits up to 10 s for the process to end, reading its output meanwhile.
    std::optional<int> wait_exit() {
        const auto deadline = Clock::now() + std::chrono::seconds(10);
        while (!exit_code_ && Clock::now() < deadline) {
            int status = 0;
            const pid_t done = ::waitpid(pid_, &status, WNOHANG);
            if (done == pid_) {
                exit_code_ = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
                break;
            }
            read_some(Clock::now() + std::chrono::milliseconds(20));
        }
        while (read_some(Clock::now() + std::chrono::milliseconds(50))) {
        }
        return exit_code_;
    }

    const std::string& output() const { return output_; }
    // The output after the last match.
    std::string rest() const { return output_.substr(consumed_); }

private:
    bool read_some(Clock::time_point deadline) {
        const auto left =
            std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
        pollfd ready{master_, POLLIN, 0};
        if (::poll(&ready, 1, static_cast<int>(left > 0 ? left : 0)) <= 0) return false;
        char chunk[4096];
        const ssize_t got = ::read(master_, chunk, sizeof chunk);
        if (got <= 0) return false;
        output_.append(chunk, static_cast<std::size_t>(got));
        return true;
    }

    int master_ = -1;
    int slave_ = -1;
    termios before_{};
    pid_t pid_ = -1;
    std::optional<int> exit_code_;
    std::string output_;
    std::size_t consumed_ = 0;
};

inline const std::string first_prompt = "00000000/00000000,08000000/08000000>\r";

}  // namespace boarddiag_test
