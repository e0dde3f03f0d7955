#include "boarddiag/shell/terminal_mode.hpp"

#include <signal.h>
#include <termios.h>
#include <unistd.h>

#include <cstdlib>
#include <initializer_list>

namespace boarddiag {
namespace {

termios saved{};
volatile sig_atomic_t saved_valid = 0;

void restore_on_signal(int signal_number) {
    if (saved_valid != 0) ::tcsetattr(STDIN_FILENO, TCSANOW, &saved);
    // End the process as the signal would have, now that the terminal is sane again.
    ::signal(signal_number, SIG_DFL);
    ::raise(signal_number);
}

void install_signal_handlers() {
    struct sigaction action {};
    action.sa_handler = restore_on_signal;
    ::sigemptyset(&action.sa_mask);
    for (const int signal_number : {SIGINT, SIGTERM, SIGHUP}) {
        ::sigaction(signal_number, &action, nullptr);
    }
}

}  // namespace

bool enter_key_mode() {
    if (::isatty(STDIN_FILENO) == 0) return true;
    if (::tcgetattr(STDIN_FILENO, &saved) != 0) return false;
    saved_valid = 1;
    install_signal_handlers();
    std::atexit(restore_terminal);
    termios keys = saved;
    keys.c_lflag &= ~static_cast<tcflag_t>(ICANON | ECHO);
    keys.c_cc[VMIN] = 1;
    keys.c_cc[VTIME] = 0;
    return ::tcsetattr(STDIN_FILENO, TCSANOW, &keys) == 0;
}

void restore_terminal() {
    if (saved_valid != 0) ::tcsetattr(STDIN_FILENO, TCSANOW, &saved);
}

}  // namespace boarddiag
