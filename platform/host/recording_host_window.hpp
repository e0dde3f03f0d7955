#pragma once
// RecordingHostWindow: a host window for tests and tools that keeps every message and text it
// receives, in arrival order, and lets a test wait (with a deadline) until something arrives.
// Texts carried in wParam of the text messages are copied during the call, since they are valid
// only then. An optional responder answers sent messages (e.g. the firmware path request).
//
// Thread-safety: all members may be called from any thread. The lock is held only to append or
// copy entries; the responder runs outside it, so a responder may itself call back into the
// window without deadlock.

#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <mutex>
#include <string>
#include <vector>

#include "platform/host/host_window.hpp"

namespace platform {

class RecordingHostWindow final : public HostWindow {
public:
    enum class Kind { sent, posted, text };
    struct Entry {
        Kind kind;
        unsigned message;      // 0 for Kind::text
        WPARAM wparam;
        LPARAM lparam;
        std::u16string text;   // the copied text of a text message, or the window text
    };
    using Responder = std::function<LRESULT(unsigned message, WPARAM, LPARAM)>;

    RecordingHostWindow() = default;

    LRESULT send_message(unsigned message, WPARAM wparam, LPARAM lparam) override;
    bool post_message(unsigned message, WPARAM wparam, LPARAM lparam) override;
    void set_text(std::u16string_view text) override;

    void set_responder(Responder responder);

    std::vector<Entry> entries() const;
    // Texts of the sent messages with id `message` (default: status lines), in order.
    std::vector<std::u16string> texts_of(unsigned message = kMsgStatusLine) const;
    // The current window text (last set_text), empty when never set.
    std::u16string window_text() const;
    std::size_t size() const;
    void clear();

    // Waits until `predicate(entries)` holds or `timeout` passes; true when it held.
    bool wait_until(const std::function<bool(const std::vector<Entry>&)>& predicate,
                    std::chrono::milliseconds timeout) const;
    // Waits until a status line (or another text message) equal to `text` has arrived.
    bool wait_for_text(std::u16string_view text, std::chrono::milliseconds timeout,
                       unsigned message = kMsgStatusLine) const;

private:
    void append(Entry entry);

    mutable std::mutex mutex_;
    mutable std::condition_variable changed_;
    std::vector<Entry> entries_;
    Responder responder_;
};

// Whether the sent message `message` carries a NUL-terminated UTF-16 text in wParam.
bool message_carries_text(unsigned message);

}  // namespace platform
