// Status lines, command echoes, messages and static windows towards the host, and the
// connection watchdog's counter.

#include "comlib/session/tamrel_com_mfc.hpp"

namespace {
// The label each static window shows before its value.
constexpr const char16_t* kStaticLabels[TM_STATIC_COUNT] = {
    u"S/N:",        u"Connect:",   u"Mode:",          u"GPS:",       u"",
    u"FPGA_Ver:",   u"Drive:",     u"Total:",         u"Free:",      u"Ref:",
    u"Trigger:",    u"File Name:", u"Frequency:",     u"Range:",     u"Pre-Amp:",
    u"BW:",         u"Loop Through:", u"AGC:",        u"AGC Speed:", u"File Name:",
    u"Frequency:",  u"Gain:",      u"BW:",            u"Spectral Inv:",
};
}  // namespace

void CTamrelComMFC::send_status(const char16_t* text) {
    platform::send_message(main_window_.load(), platform::kMsgStatusLine, platform::text_wparam(text), 0);
}

void CTamrelComMFC::TmStatusStrUpdate(const std::u16string& text) { send_status(text.c_str()); }

void CTamrelComMFC::TmCmdStrUpdate(const std::u16string& text) {
    platform::send_message(main_window_.load(), platform::kMsgCommandEcho,
                           platform::text_wparam(text.c_str()), 0);
}

platform::LRESULT CTamrelComMFC::TmSendMessage(int message, unsigned wparam, long lparam) {
    return platform::send_message(main_window_.load(), static_cast<unsigned>(message), wparam, lparam);
}

bool CTamrelComMFC::TmPostMessage(int message, unsigned wparam, long lparam) {
    return platform::post_message(main_window_.load(), static_cast<unsigned>(message), wparam, lparam);
}

unsigned CTamrelComMFC::TmSetStaticWinID(unsigned index, HWND window) {
    if (index >= TM_STATIC_COUNT) return kStatusStaticWinIndex;
    static_windows_[index].store(window);
    return 0;
}

unsigned CTamrelComMFC::TmSetStaticWinText(unsigned index, const std::u16string& text) {
    if (index >= TM_STATIC_COUNT) return kStatusStaticWinIndex;
    std::u16string labelled = kStaticLabels[index];
    labelled += text;
    platform::set_window_text(static_windows_[index].load(), labelled);
    return 0;
}

void CTamrelComMFC::SetExpireCount(unsigned count) { expire_count_.store(count); }

unsigned CTamrelComMFC::GetExpireCount() const { return expire_count_.load(); }

void CTamrelComMFC::DecreaseExpireCount() {
    // The watchdog thread may reset the counter at the same moment; never step below zero.
    unsigned count = expire_count_.load();
    while (count != 0 && connection_state_.load() == 2 &&
           !expire_count_.compare_exchange_weak(count, count - 1)) {
    }
}
