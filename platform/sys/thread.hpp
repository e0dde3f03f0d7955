#pragma once
// Thread: a worker thread with the operations the session needs: "wait up to N ms for it to
// end" and join. The owner must join (or let the destructor join) before it frees anything the
// thread uses; the destructor therefore joins rather than detaches, so a thread can never outlive
// the data it works on.
//
// Thread-safety: start/join/reset are for the owning thread; wait_for() and finished() may be
// called from any thread.

#include <condition_variable>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <thread>

#include "platform/status.hpp"

namespace platform {

class Thread {
public:
    Thread() = default;
    Thread(Thread&&) noexcept = default;
    Thread& operator=(Thread&& other) noexcept;
    Thread(const Thread&) = delete;
    Thread& operator=(const Thread&) = delete;
    ~Thread();

    // Starts `body` on a new thread named `name` (the first 15 bytes show in ps/top/gdb).
    static Result<Thread> start(std::string name, std::function<void()> body);

    // True while a thread was started and not yet joined.
    bool joinable() const { return thread_.joinable(); }
    // True when the body has returned (the thread may still need joining).
    bool finished() const;
    // Waits up to `ms` milliseconds for the body to return; true when it has.
    bool wait_for(std::uint32_t ms) const;
    // Waits without limit for the body to return and releases the thread.
    void join();

private:
    struct Done {
        std::mutex mutex;
        std::condition_variable cv;
        bool finished = false;
    };
    std::shared_ptr<Done> done_;
    std::thread thread_;
};

// Names the calling thread (for threads not started through Thread).
void set_current_thread_name(const std::string& name);

}  // namespace platform
