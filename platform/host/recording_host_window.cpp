#include "platform/host/recording_host_window.hpp"

#include <algorithm>
#include <utility>

namespace platform {

bool message_carries_text(unsigned message) {
    return message == kMsgStatusLine || message == kMsgCommandEcho || message == kMsgPlayFilePath;
}

void RecordingHostWindow::append(Entry entry) {
    {
        std::lock_guard lock(mutex_);
        entries_.push_back(std::move(entry));
    }
    changed_.notify_all();
}

LRESULT RecordingHostWindow::send_message(unsigned message, WPARAM wparam, LPARAM lparam) {
    Entry entry{Kind::sent, message, wparam, lparam, {}};
    if (message_carries_text(message) && wparam != 0) entry.text = wparam_text(wparam);
    Responder responder;
    {
        std::lock_guard lock(mutex_);
        responder = responder_;
    }
    // Answer before recording, so that a test that sees the entry also sees the answer's effect.
    const LRESULT result = responder ? responder(message, wparam, lparam) : 0;
    append(std::move(entry));
    return result;
}

bool RecordingHostWindow::post_message(unsigned message, WPARAM wparam, LPARAM lparam) {
    append(Entry{Kind::posted, message, wparam, lparam, {}});
    return true;
}

void RecordingHostWindow::set_text(std::u16string_view text) {
    append(Entry{Kind::text, 0, 0, 0, std::u16string(text)});
}

void RecordingHostWindow::set_responder(Responder responder) {
    std::lock_guard lock(mutex_);
    responder_ = std::move(responder);
}

std::vector<RecordingHostWindow::Entry> RecordingHostWindow::entries() const {
    std::lock_guard lock(mutex_);
    return entries_;
}

std::vector<std::u16string> RecordingHostWindow::texts_of(unsigned message) const {
    std::vector<std::u16string> texts;
    std::lock_guard lock(mutex_);
    for (const auto& entry : entries_) {
        if (entry.kind == Kind::sent && entry.message == message) texts.push_back(entry.text);
    }
    return texts;
}

std::u16string RecordingHostWindow::window_text() const {
    std::lock_guard lock(mutex_);
    for (auto it = entries_.rbegin(); it != entries_.rend(); ++it) {
        if (it->kind == Kind::text) return it->text;
    }
    return {};
}

std::size_t RecordingHostWindow::size() const {
    std::lock_guard lock(mutex_);
    return entries_.size();
}

void RecordingHostWindow::clear() {
    std::lock_guard lock(mutex_);
    entries_.clear();
}

bool RecordingHostWindow::wait_until(
    const std::function<bool(const std::vector<Entry>&)>& predicate,
    std::chrono::milliseconds timeout) const {
    std::unique_lock lock(mutex_);
    return changed_.wait_for(lock, timeout, [&] { return predicate(entries_); });
}

bool RecordingHostWindow::wait_for_text(std::u16string_view text,
                                        std::chrono::milliseconds timeout,
                                        unsigned message) const {
    return wait_until(
        [&](const std::vector<Entry>& entries) {
            return std::any_of(entries.begin(), entries.end(), [&](const Entry& e) {
                return e.kind == Kind::sent && e.message == message && e.text == text;
            });
        },
        timeout);
}

}  // namespace platform
