#include "platform/host/recording_host_window.hpp"

#include <gtest/gtest.h>

#include <map>
#include <string>
#include <thread>
#include <vector>

namespace {

using namespace std::chrono_literals;
using platform::RecordingHostWindow;

std::u16string line(int thread, int n) {
    std::u16string text = u"t";
    for (char c : std::to_string(thread) + ":" + std::to_string(n)) text.push_back(static_cast<char16_t>(c));
    return text;
}

TEST(RecordingHostWindow, KeepsEveryLineFromSeveralThreadsInEachThreadsOrder) {
    RecordingHostWindow window;
    constexpr int kThreads = 4;
    constexpr int kLines = 500;
    std::vector<std::thread> senders;
    for (int t = 0; t < kThreads; ++t) {
        senders.emplace_back([&window, t] {
            for (int n = 0; n < kLines; ++n) {
                const std::u16string text = line(t, n);
                platform::send_message(&window, platform::kMsgStatusLine,
                                       platform::text_wparam(text.c_str()), 0);
            }
            platform::post_message(&window, platform::kMsgDspFlashNeedsUpdate, 0, 0);
        });
    }
    for (auto& s : senders) s.join();

    const auto lines = window.texts_of(platform::kMsgStatusLine);
    ASSERT_EQ(lines.size(), static_cast<std::size_t>(kThreads * kLines));
    std::map<int, int> next;  // per thread: the next line number expected
    for (const auto& text : lines) {
        const std::string ascii(text.begin(), text.end());
        const int t = std::stoi(ascii.substr(1));
        const int n = std::stoi(ascii.substr(ascii.find(':') + 1));
        EXPECT_EQ(n, next[t]) << "thread " << t << " out of order";
        next[t] = n + 1;
    }
    int posted = 0;
    for (const auto& e : window.entries()) {
        if (e.kind == RecordingHostWindow::Kind::posted) {
            EXPECT_EQ(e.message, platform::kMsgDspFlashNeedsUpdate);
            ++posted;
        }
    }
    EXPECT_EQ(posted, kThreads);
}

TEST(RecordingHostWindow, CopiesTextDuringTheCallBecauseTheSenderReusesItsBuffer) {
    RecordingHostWindow window;
    std::u16string buffer = u"first";
    platform::send_message(&window, platform::kMsgCommandEcho, platform::text_wparam(buffer.c_str()), 0);
    buffer = u"XXXXX";
    ASSERT_EQ(window.texts_of(platform::kMsgCommandEcho), std::vector<std::u16string>{u"first"});
}

TEST(RecordingHostWindow, WaitsForALineSentLaterByAnotherThread) {
    RecordingHostWindow window;
    EXPECT_FALSE(window.wait_for_text(u">", 10ms));
    std::thread later([&window] {
        const std::u16string text = u">";
        platform::send_message(&window, platform::kMsgStatusLine, platform::text_wparam(text.c_str()), 0);
    });
    EXPECT_TRUE(window.wait_for_text(u">", 10s));
    later.join();
}

TEST(RecordingHostWindow, ResponderAnswersTheFirmwarePathRequest) {
    RecordingHostWindow window;
    window.set_responder([](unsigned message, platform::WPARAM wparam, platform::LPARAM) {
        if (message == platform::kMsgFirmwarePathRequest) {
            *reinterpret_cast<std::u16string*>(wparam) = u"C:\\fw\\doc.bin";
        }
        return platform::LRESULT{1};
    });
    std::u16string path;
    EXPECT_EQ(platform::send_message(&window, platform::kMsgFirmwarePathRequest,
                                     reinterpret_cast<platform::WPARAM>(&path), 0), 1);
    EXPECT_EQ(path, u"C:\\fw\\doc.bin");
}

TEST(RecordingHostWindow, WindowTextIsTheLastOneSetAndNullWindowsDropEverything) {
    RecordingHostWindow window;
    platform::set_window_text(&window, u"Connect:Off");
    platform::set_window_text(&window, u"Connect:On");
    EXPECT_EQ(window.window_text(), u"Connect:On");

    platform::set_window_text(nullptr, u"ignored");
    EXPECT_EQ(platform::send_message(nullptr, platform::kMsgStatusLine, 0, 0), 0);
    EXPECT_FALSE(platform::post_message(nullptr, platform::kMsgPumpFlashUpdated, 0, 0));
    EXPECT_EQ(window.size(), 2U);
}

}  // namespace
