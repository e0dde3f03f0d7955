#include "host/console_windows.hpp"

#include "platform/text/utf.hpp"

platform::LRESULT ConsoleMainWindow::send_message(unsigned message, platform::WPARAM wparam,
                                                  platform::LPARAM) {
    const char16_t* text = platform::wparam_text(wparam);
    switch (message) {
        case platform::kMsgStatusLine:
            if (text != nullptr) {
                out_.push(platform::to_utf8(text));
                if (text[0] == u'>' && text[1] == u'\0') ++commands_done_;
            }
            break;
        case platform::kMsgCommandEcho:
            if (echo_ && text != nullptr) out_.push("# " + platform::to_utf8(text));
            break;
        case platform::kMsgPlayFilePath:
            if (text != nullptr) out_.push("Play file: " + platform::to_utf8(text));
            break;
        default:
            break;  // the firmware path request is left unanswered (empty path)
    }
    return 0;
}

bool ConsoleMainWindow::post_message(unsigned message, platform::WPARAM, platform::LPARAM) {
    switch (message) {
        case platform::kMsgPumpFlashUpdated:
            out_.push("Pump configuration flash is up to date");
            break;
        case platform::kMsgPumpFlashNeedsUpdate:
            out_.push("Pump configuration flash needs an update");
            break;
        case platform::kMsgDspFlashUpdated:
            out_.push("DSP configuration flash is up to date");
            break;
        case platform::kMsgDspFlashNeedsUpdate:
            out_.push("DSP configuration flash needs an update");
            break;
        default:
            break;
    }
    return true;
}

void ConsoleStatusWindow::set_text(std::u16string_view text) {
    if (print_) out_.push("[" + platform::to_utf8(text) + "]");
}
