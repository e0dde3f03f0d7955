// Console benchmark: command lines through the queue to their ">" line, and the latency from
// queuing a line to its echo.
//
//   burst: 10,000 lines queued as fast as the queue takes them (it holds 5,000: a refused line
//          is offered again); lines per second until the last ">".
//   idle:  10,000 lines, each queued when the previous one has finished; latency from
//          TmTypeEditAddCmd to the echo (median and 99th percentile), i.e. how fast an idle
//          console wakes for a line.

#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <filesystem>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include <unistd.h>

#include "comlib/session/tamrel_com_mfc.hpp"
#include "platform/fs/drive_table.hpp"
#include "platform/net/net_settings.hpp"
#include "platform/text/format.hpp"

namespace {

using Clock = std::chrono::steady_clock;
constexpr int kLines = 10'000;

class TimingWindow final : public platform::HostWindow {
public:
    explicit TimingWindow(std::vector<Clock::time_point>& echoes) : echoes_(echoes) {}

    platform::LRESULT send_message(unsigned message, platform::WPARAM wparam, platform::LPARAM) override {
        const char16_t* text = platform::wparam_text(wparam);
        if (message == platform::kMsgCommandEcho) {
            // "b<n>": the line's number.
            int n = 0;
            for (const char16_t* c = text + 1; *c >= u'0' && *c <= u'9'; ++c) n = n * 10 + (*c - u'0');
            if (n >= 0 && n < static_cast<int>(echoes_.size())) echoes_[static_cast<std::size_t>(n)] = Clock::now();
        } else if (message == platform::kMsgStatusLine && text[0] == u'>' && text[1] == 0) {
            {
                std::lock_guard lock(mutex_);
                ++prompts_;
            }
            cv_.notify_all();
        }
        return 0;
    }
    bool post_message(unsigned, platform::WPARAM, platform::LPARAM) override { return true; }
    void set_text(std::u16string_view) override {}

    void wait_prompts(long count) {
        std::unique_lock lock(mutex_);
        cv_.wait_for(lock, std::chrono::seconds(60), [&] { return prompts_ >= count; });
    }

private:
    std::vector<Clock::time_point>& echoes_;
    std::mutex mutex_;
    std::condition_variable cv_;
    long prompts_ = 0;
};

double micros(Clock::duration d) { return std::chrono::duration<double, std::micro>(d).count(); }

}  // namespace

int main() {
    char pattern[] = "/tmp/tamrel-bench-XXXXXX";
    if (::mkdtemp(pattern) == nullptr) return 1;
    const std::filesystem::path root = pattern;
    std::filesystem::create_directories(root / "D");
    (void)platform::set_process_drives_root(root.string());
    (void)platform::set_port_offset(9000);
    (void)platform::set_bind_address("127.0.0.1");

    std::vector<Clock::time_point> echoes(kLines);
    std::vector<Clock::time_point> queued(kLines);
    TimingWindow window(echoes);
    {
        CTamrelComMFC session;
        session.SetMainWndHandle(&window);
        session.BeginThread();
        std::vector<std::u16string> lines;
        for (int n = 0; n < kLines; ++n) lines.push_back(platform::format(u"b%d", n));

        const auto start = Clock::now();
        long refused = 0;
        for (int n = 0; n < kLines; ++n) {
            while (session.TmTypeEditAddCmd(lines[static_cast<std::size_t>(n)]) != 0) {
                ++refused;
                std::this_thread::yield();
            }
        }
        window.wait_prompts(kLines);
        const double seconds = std::chrono::duration<double>(Clock::now() - start).count();
        std::printf("burst: %d lines in %.3f s: %.0f lines/s to their '>' (%ld offers refused: queue full)\n",
                    kLines, seconds, kLines / seconds, refused);
        std::fflush(stdout);

        for (int n = 0; n < kLines; ++n) {
            queued[static_cast<std::size_t>(n)] = Clock::now();
            session.TmTypeEditAddCmd(lines[static_cast<std::size_t>(n)]);
            window.wait_prompts(kLines + n + 1L);
        }
    }
    std::vector<double> latency;
    for (int n = 0; n < kLines; ++n) {
        latency.push_back(micros(echoes[static_cast<std::size_t>(n)] - queued[static_cast<std::size_t>(n)]));
    }
    std::sort(latency.begin(), latency.end());
    std::printf("idle: queue-to-echo latency over %d lines: median %.1f us, p99 %.1f us, max %.1f us\n",
                kLines, latency[latency.size() / 2], latency[latency.size() * 99 / 100], latency.back());
    std::error_code ignored;
    std::filesystem::remove_all(root, ignored);
    return 0;
}
