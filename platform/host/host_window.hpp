#pragma once
// Host windows: what the session library knows of the host program's windows. The session sends
// status lines and command echoes, posts notices and sets the texts of status windows; the host
// program implements HostWindow. A window handle (HWND) is a pointer to one; null means "no
// window", and calls on it are dropped, as the library expects.
//
// Thread-safety: the session calls these from its own threads (console, data threads, watchdog,
// ...), several at once. An implementation must be thread-safe and must never wait for the
// session (the console thread blocks inside send_message until it returns).

#include <cstdint>
#include <string_view>

namespace platform {

using WPARAM = std::uintptr_t;
using LPARAM = std::intptr_t;
using LRESULT = std::intptr_t;

// Messages the session uses (WM_USER is 0x400).
inline constexpr unsigned kWmUser = 0x400;
inline constexpr unsigned kMsgStatusLine = kWmUser + 1000;      // 2024, wParam: const char16_t*
inline constexpr unsigned kMsgCommandEcho = kWmUser + 1001;     // 2025, wParam: const char16_t*
inline constexpr unsigned kMsgPlayFilePath = kWmUser + 1020;    // 2044, wParam: const char16_t*
inline constexpr unsigned kMsgPumpFlashUpdated = kWmUser + 1021;    // 2045
inline constexpr unsigned kMsgPumpFlashNeedsUpdate = kWmUser + 1022; // 2046
inline constexpr unsigned kMsgDspFlashUpdated = kWmUser + 1023;     // 2047
inline constexpr unsigned kMsgDspFlashNeedsUpdate = kWmUser + 1024; // 2048
inline constexpr unsigned kMsgFirmwarePathRequest = kWmUser + 1025; // 2049, wParam: std::u16string*

class HostWindow {
public:
    virtual ~HostWindow() = default;
    // Synchronous: returns when the host has handled the message. A text passed in wParam is
    // valid only during the call.
    virtual LRESULT send_message(unsigned message, WPARAM wparam, LPARAM lparam) = 0;
    // Asynchronous: queues the message; false when it could not be queued.
    virtual bool post_message(unsigned message, WPARAM wparam, LPARAM lparam) = 0;
    // Replaces the window's text.
    virtual void set_text(std::u16string_view text) = 0;
};

using HWND = HostWindow*;

// The calls the session makes; each does nothing (and returns 0 / false) for a null window.
LRESULT send_message(HWND window, unsigned message, WPARAM wparam, LPARAM lparam);
bool post_message(HWND window, unsigned message, WPARAM wparam, LPARAM lparam);
void set_window_text(HWND window, std::u16string_view text);

// wParam for a text message: the address of a NUL-terminated UTF-16 string.
inline WPARAM text_wparam(const char16_t* text) { return reinterpret_cast<WPARAM>(text); }
inline const char16_t* wparam_text(WPARAM wparam) {
    return reinterpret_cast<const char16_t*>(wparam);
}

}  // namespace platform
