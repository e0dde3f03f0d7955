#include "platform/host/host_window.hpp"

namespace platform {

LRESULT send_message(HWND window, unsigned message, WPARAM wparam, LPARAM lparam) {
    return window != nullptr ? window->send_message(message, wparam, lparam) : 0;
}

bool post_message(HWND window, unsigned message, WPARAM wparam, LPARAM lparam) {
    return window != nullptr && window->post_message(message, wparam, lparam);
}

void set_window_text(HWND window, std::u16string_view text) {
    if (window != nullptr) window->set_text(text);
}

}  // namespace platform
