// Starting and stopping the session's long-lived threads.

#include <atomic>

#include "comlib/session/tamrel_com_mfc.hpp"

namespace {
// One session per process: the threads are started once per process.
std::atomic<bool> g_threads_started{false};
constexpr unsigned kThreadWaitMs = 1000;

// Waits up to kThreadWaitMs for `thread`; when it has ended it is joined (its handle is null
// again). A thread that is still running is left for the final join.
void wait_and_release(platform::Thread& thread) {
    if (!thread.joinable()) return;
    if (thread.wait_for(kThreadWaitMs)) thread.join();
}

template <typename Body>
platform::Thread start_thread(const char* name, Body body) {
    auto started = platform::Thread::start(name, body);
    return started.ok() ? std::move(started.value()) : platform::Thread{};
}
}  // namespace

void CTamrelComMFC::BeginThread() {
    bool expected = false;
    if (!g_threads_started.compare_exchange_strong(expected, true)) return;

    stop_flag_.store(false, std::memory_order_release);
    stop_event_.reset();
    console_ = start_thread("tm-console", [this] { console_thread(); });
    status_ = start_thread("tm-status", [this] { status_thread(); });
    follower_stop_.store(false);
    follower_stop_event_.reset();
    follower_ = start_thread("tm-follower", [this] { follower_thread(); });
    udp_receive_ = start_thread("tm-udp-recv", [this] { udp_receive_thread(); });
    api_receive_ = start_thread("tm-api-recv", [this] { api_receive_thread(); });
    for (const platform::Thread* t : {&console_, &status_, &follower_, &udp_receive_, &api_receive_}) {
        if (!t->joinable()) send_status(u"Thread start failed");
    }
}

void CTamrelComMFC::TerminateAllThread() {
    // 1. The process-wide stop flag; the sleeps and the console's wait end at once.
    stop_flag_.store(true, std::memory_order_release);
    stop_event_.set();
    command_queue_.wake();
    // The data threads end on their own once their run flag is clear; the mode stays as it was.
    data_run_.store(0);
    data_stop_event_.set();
    block_queue_.wake();
    // 2. The GPS receiver's port (the copy thread stops here once it exists).
    CloseSerial();
    // 3. Closing the main socket ends the blocking receive.
    CloseUDP_Socket();
    wait_and_release(udp_receive_);
    // 4. The same for the player-remote API socket.
    CloseUDP_Socket_SupportAPI();
    wait_and_release(api_receive_);
    // 5. The follower has its own stop flag.
    follower_stop_.store(true);
    follower_stop_event_.set();
    wait_and_release(follower_);
    // 6. Watchdog/status, then console (which closes the device on its way out).
    wait_and_release(status_);
    wait_and_release(console_);
}

void CTamrelComMFC::join_all_threads() {
    for (platform::Thread* t : {&udp_receive_, &api_receive_, &follower_, &status_, &console_}) {
        t->join();
    }
    // Last the data threads: with the console and the watchdog gone no controller call can be
    // joining them at the same time.
    push_thread_.join();
    pop_thread_.join();
}

unsigned CTamrelComMFC::RunningThreadCount() const {
    unsigned running = 0;
    for (const platform::Thread* t : {&console_, &status_, &follower_, &udp_receive_, &api_receive_}) {
        if (t->joinable() && !t->finished()) ++running;
    }
    return running;
}

bool CTamrelComMFC::idle_for(unsigned ms) { return !stop_event_.wait_for(ms); }

void CTamrelComMFC::StartStop_ThreadCyclicControl(int start) {
    if (start == 1) {
        if (follower_.joinable() && !follower_.finished()) return;
        follower_.join();  // a follower that already ended
        follower_stop_.store(false);
        follower_stop_event_.reset();
        follower_ = start_thread("tm-follower", [this] { follower_thread(); });
        return;
    }
    follower_stop_.store(true);
    follower_stop_event_.set();
    wait_and_release(follower_);
}
