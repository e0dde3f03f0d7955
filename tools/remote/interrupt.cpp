#include "tools/remote/interrupt.hpp"

#include <csignal>

#include <atomic>

namespace tamrel::remote {
namespace {

std::atomic<bool> g_interrupted{false};
static_assert(std::atomic<bool>::is_always_lock_free, "the flag is set from a signal handler");

void on_signal(int) { g_interrupted.store(true); }

}  // namespace

bool install_interrupt_handlers() {
    struct sigaction action {};
    action.sa_handler = on_signal;
    sigemptyset(&action.sa_mask);
    return ::sigaction(SIGINT, &action, nullptr) == 0 && ::sigaction(SIGTERM, &action, nullptr) == 0;
}

bool interrupted() { return g_interrupted.load(); }

}  // namespace tamrel::remote
