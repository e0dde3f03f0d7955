// Record path benchmark.
//
//   unpaced (default): the simulated source delivers as fast as it is read; a recording of
//     --mib MiB is timed from the first block read to the closed (synced) files, beside a plain
//     O_DIRECT loop writing the same number of 1 MiB blocks into the same folder and syncing.
//     Prints both rates and their ratio.
//   --paced sim1|sim2: a real-time recording for --seconds at the generation's top rate (first
//     generation 24 MHz = 30 MS/s, second generation 70 MS/s); prints the queue-full reports the
//     host received, the board FIFO's loss and the gain lines against the seconds recorded.
//
// Options: --dir DIR (default ./bench-record, on the disk to be measured), --mib N (1024),
// --paced sim1|sim2, --seconds N (60), --port-offset N (900). The files are removed afterwards.

#include <fcntl.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <functional>
#include <memory>
#include <string>
#include <thread>

#include "comlib/session/tamrel_com_mfc.hpp"
#include "platform/fs/aligned_buffer.hpp"
#include "platform/fs/drive_table.hpp"
#include "platform/fs/text_line_reader.hpp"
#include "platform/host/recording_host_window.hpp"
#include "platform/net/net_settings.hpp"
#include "platform/net/udp_socket.hpp"
#include "platform/text/utf.hpp"
#include "tamrelapi/sim/control.hpp"

namespace {

using Clock = std::chrono::steady_clock;
namespace control = tamrel::sim::control;
constexpr std::size_t kBlock = 1'048'576;

struct Options {
    std::filesystem::path dir = "bench-record";
    std::uint64_t mib = 1024;
    std::string paced;  // empty: unpaced
    int seconds = 60;
    int port_offset = 900;
};

bool parse(int argc, char** argv, Options& o) {
    for (int i = 1; i < argc; ++i) {
        const std::string a = argv[i];
        const bool has_value = i + 1 < argc;
        if (a == "--dir" && has_value) {
            o.dir = argv[++i];
        } else if (a == "--mib" && has_value) {
            o.mib = std::strtoull(argv[++i], nullptr, 10);
        } else if (a == "--paced" && has_value) {
            o.paced = argv[++i];
        } else if (a == "--seconds" && has_value) {
            o.seconds = std::atoi(argv[++i]);
        } else if (a == "--port-offset" && has_value) {
            o.port_offset = std::atoi(argv[++i]);
        } else {
            return false;
        }
    }
    return o.mib > 0 && o.seconds > 0 && (o.paced.empty() || o.paced == "sim1" || o.paced == "sim2");
}

bool wait_until(const std::function<bool()>& done, std::chrono::seconds limit) {
    const auto deadline = Clock::now() + limit;
    while (!done()) {
        if (Clock::now() > deadline) return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    return true;
}

// The plain loop: the same blocks written with O_DIRECT from one aligned buffer, then fsync.
double plain_loop_mb_s(const std::filesystem::path& folder, std::uint64_t blocks) {
    const std::string path = (folder / "plain.bin").string();
    auto buffer = platform::AlignedBuffer::allocate(kBlock);
    if (!buffer) return 0.0;
    std::memset(buffer->data(), 0x5A, kBlock);
    const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_DIRECT, 0644);
    if (fd < 0) {
        std::perror("open O_DIRECT");
        return 0.0;
    }
    const auto start = Clock::now();
    for (std::uint64_t i = 0; i < blocks; ++i) {
        if (::write(fd, buffer->data(), kBlock) != static_cast<ssize_t>(kBlock)) {
            std::perror("write");
            break;
        }
    }
    if (::fsync(fd) != 0) std::perror("fsync");
    const double seconds = std::chrono::duration<double>(Clock::now() - start).count();
    if (::close(fd) != 0) std::perror("close");
    std::filesystem::remove(path);
    return static_cast<double>(blocks * kBlock) / 1e6 / seconds;
}

struct Bench {
    platform::RecordingHostWindow window;
    std::unique_ptr<CTamrelComMFC> session;
    std::unique_ptr<platform::UdpSocket> host;

    bool open(tamrel::api::DeviceKind kind) {
        control::reset(kind);
        session = std::make_unique<CTamrelComMFC>();
        session->SetMainWndHandle(&window);
        if (session->TmOpenDevice() != 0) return false;
        host = std::make_unique<platform::UdpSocket>();
        if (!host->open().ok() || !host->bind("127.0.0.1", platform::port_with_offset(platform::kHostPort)).ok()) {
            return false;
        }
        session->BeginThread();
        return command(u"connect", u"Connect:Ok");
    }
    bool command(const std::u16string& line, const std::u16string& answer) {
        window.clear();
        session->TmTypeEditAddCmd(line);
        return window.wait_for_text(answer, std::chrono::seconds(120));
    }
    bool start(const std::u16string& line) {
        session->TmTypeEditAddCmd(line);
        return wait_until([&] { return session->CurrentMode() == TM_MODE_RECORD; }, std::chrono::seconds(60));
    }
    // Counts the error reports with `status` among the packets received so far.
    int count_reports(std::uint32_t status) {
        int n = 0;
        std::uint8_t buffer[70'000];
        while (true) {
            auto got = host->receive(buffer, sizeof buffer, 0);
            if (!got.ok() || got->size < 24) {
                if (!got.ok()) break;
                continue;
            }
            std::uint32_t cmd = 0;
            std::uint32_t value = 0;
            std::memcpy(&cmd, buffer + 4, 4);
            std::memcpy(&value, buffer + 20, 4);
            if (cmd == TM_CMD_ERROR_REPORT && value == status) ++n;
        }
        return n;
    }
    std::string posix(const std::u16string& windows_path) {
        auto resolved = platform::process_drives().resolve(windows_path);
        return resolved.ok() ? resolved.value() : std::string();
    }
};

int gain_lines(const std::string& project) {
    int n = 0;
    auto reader = platform::TextLineReader::open(project);
    if (!reader.ok()) return -1;
    while (true) {
        auto line = reader->next_line();
        if (!line.ok() || !line->has_value()) break;
        if ((*line)->starts_with(u"$GAIN,")) ++n;
    }
    return n;
}

int unpaced(const Options& o, Bench& b) {
    // The disk is measured before and after the recording: a virtual disk's speed drifts with
    // what was written just before, so the recording is compared with the mean of both.
    const std::filesystem::path folder = std::filesystem::path(b.posix(b.session->CaptureFilePath())).parent_path();
    std::filesystem::create_directories(folder);
    const double plain_before = plain_loop_mb_s(folder, o.mib);
    control::set_capture_pacing(tamrel::api::CapturePacing{true, 1.0});
    control::set_capture_run_limit(o.mib * kBlock);
    if (!b.start(u"record 1")) {
        std::fprintf(stderr, "record did not start\n");
        return 1;
    }
    const std::u16string sample = b.session->CaptureFilePath();
    if (!wait_until([] { return control::capture_stats().delivered > 0; }, std::chrono::seconds(60))) return 1;
    const auto start = Clock::now();
    const std::uint64_t total = o.mib * kBlock;
    if (!wait_until([&] { return control::capture_stats().delivered == total && b.session->BlockQueueLength() == 0; },
                    std::chrono::seconds(3600))) {
        std::fprintf(stderr, "the recording did not complete\n");
        return 1;
    }
    b.command(u"record 0", u"RecordStop");  // closes and syncs the sample file
    const double seconds = std::chrono::duration<double>(Clock::now() - start).count();
    const std::string path = b.posix(sample);
    std::error_code ec;
    const std::uint64_t size = std::filesystem::file_size(path, ec);
    // The first block was read before the clock started.
    const double record_mb_s = static_cast<double>(total - kBlock) / 1e6 / seconds;
    std::error_code removed;
    std::filesystem::remove(path, removed);
    const double plain_after = plain_loop_mb_s(folder, o.mib);
    const double plain_mb_s = (plain_before + plain_after) / 2.0;
    std::printf("record path: %llu MiB in %s (file %llu bytes)\n", static_cast<unsigned long long>(o.mib),
                folder.c_str(), static_cast<unsigned long long>(size));
    std::printf("  plain O_DIRECT before %8.1f MB/s\n", plain_before);
    std::printf("  record path           %8.1f MB/s\n", record_mb_s);
    std::printf("  plain O_DIRECT after  %8.1f MB/s\n", plain_after);
    std::printf("  ratio to their mean   %8.1f %%\n", plain_mb_s > 0 ? 100.0 * record_mb_s / plain_mb_s : 0.0);
    std::filesystem::remove(path, ec);
    std::filesystem::remove(std::filesystem::path(path).replace_extension("wpj"), ec);
    return size == total ? 0 : 1;
}

int paced(const Options& o, Bench& b, bool second) {
    control::set_capture_pacing(tamrel::api::CapturePacing{false, 1.0});
    const unsigned rate = second ? 70'000'000U : 30'000'000U;
    if (second ? !b.command(u"t2recordiqrate 70000000", u"Capture BW:56000000 Hz")
               : !b.command(u"capturebw 1", u"Capture BW:24MHz")) {
        std::fprintf(stderr, "could not set the rate\n");
        return 1;
    }
    const std::u16string start_line = second ? u"t2record 1" : u"record 1";
    if (!b.start(start_line)) return 1;
    const std::u16string sample = b.session->CaptureFilePath();
    const std::u16string project = b.session->CaptureProjectPath();
    std::this_thread::sleep_for(std::chrono::seconds(o.seconds));
    b.command(second ? u"t2record 0" : u"record 0", second ? u"Tm2RecordStop" : u"RecordStop");
    const tamrel::sim::CaptureStats stats = control::capture_stats();
    const std::string path = b.posix(sample);
    std::error_code ec;
    const std::uint64_t size = std::filesystem::file_size(path, ec);
    const std::uint64_t expected_lines = size / 4 / rate;
    const int lines = gain_lines(b.posix(project));
    const int queue_full = b.count_reports(CTamrelComMFC::kStatusBlockQueueFull);
    std::printf("paced %s at %u samples/s for %d s\n", second ? "sim2" : "sim1", rate, o.seconds);
    std::printf("  recorded          %llu bytes\n", static_cast<unsigned long long>(size));
    std::printf("  queue-full reports %d\n", queue_full);
    std::printf("  board FIFO lost   %llu bytes\n", static_cast<unsigned long long>(stats.lost));
    std::printf("  gain lines        %d (samples on disk make %llu whole seconds)\n", lines,
                static_cast<unsigned long long>(expected_lines));
    std::filesystem::remove(path, ec);
    std::filesystem::remove(b.posix(project), ec);
    return queue_full == 0 && stats.lost == 0 && lines >= 0 && static_cast<std::uint64_t>(lines) == expected_lines ? 0
                                                                                                                 : 1;
}

}  // namespace

int main(int argc, char** argv) {
    Options o;
    if (!parse(argc, argv, o)) {
        std::fprintf(stderr,
                     "usage: bench_record_path [--dir DIR] [--mib N] [--paced sim1|sim2] [--seconds N] "
                     "[--port-offset N]\n");
        return 2;
    }
    const std::filesystem::path root = std::filesystem::absolute(o.dir) / "drives";
    for (const char* drive : {"C", "D", "E"}) std::filesystem::create_directories(root / drive);
    if (!platform::set_process_drives_root(root.string()).ok() || !platform::set_port_offset(o.port_offset).ok() ||
        !platform::set_bind_address("127.0.0.1").ok()) {
        std::fprintf(stderr, "cannot set up the drives or ports\n");
        return 1;
    }
    const bool second = o.paced == "sim2";
    Bench bench;
    if (!bench.open(o.paced.empty() || !second ? tamrel::api::DeviceKind::first_generation
                                                : tamrel::api::DeviceKind::second_generation)) {
        std::fprintf(stderr, "the simulated instrument did not open or connect\n");
        return 1;
    }
    const int result = o.paced.empty() ? unpaced(o, bench) : paced(o, bench, second);
    bench.session->TerminateAllThread();
    return result;
}
