#include "platform/sys/thread.hpp"

#include <chrono>
#include <system_error>

#include <pthread.h>

namespace platform {

void set_current_thread_name(const std::string& name) {
    // The kernel keeps 15 bytes plus the terminator; a longer name would be refused outright.
    const std::string shortened = name.substr(0, 15);
    (void)pthread_setname_np(pthread_self(), shortened.c_str());  // cosmetic: failure is harmless
}

Thread& Thread::operator=(Thread&& other) noexcept {
    if (this != &other) {
        if (thread_.joinable()) thread_.join();
        done_ = std::move(other.done_);
        thread_ = std::move(other.thread_);
    }
    return *this;
}

Thread::~Thread() {
    if (thread_.joinable()) thread_.join();
}

Result<Thread> Thread::start(std::string name, std::function<void()> body) {
    Thread thread;
    thread.done_ = std::make_shared<Done>();
    try {
        thread.thread_ = std::thread([done = thread.done_, name = std::move(name),
                                      body = std::move(body)]() {
            set_current_thread_name(name);
            body();
            {
                std::lock_guard lock(done->mutex);
                done->finished = true;
            }
            done->cv.notify_all();
        });
    } catch (const std::system_error& error) {
        return Status(Errc::io_error, std::string("cannot start thread: ") + error.what(),
                      error.code().value());
    }
    return thread;
}

bool Thread::finished() const {
    if (!done_) return true;
    std::lock_guard lock(done_->mutex);
    return done_->finished;
}

bool Thread::wait_for(std::uint32_t ms) const {
    if (!done_) return true;
    std::unique_lock lock(done_->mutex);
    return done_->cv.wait_for(lock, std::chrono::milliseconds(ms),
                              [this] { return done_->finished; });
}

void Thread::join() {
    if (thread_.joinable()) thread_.join();
    done_.reset();
}

}  // namespace platform
