// Play path benchmark.
//
//   unpaced (default): a recording of --mib MiB at 70 MS/s is written to --dir, dropped from the
//     page cache, and played once through its range into the unpaced simulated sink (second
//     generation); timed from the first byte the sink takes to the last byte of the range.
//     Beside it, a plain O_DIRECT loop reads the same file in 1 MiB blocks (cache dropped too),
//     before and after, into an ordinary buffer and into a huge-page buffer like the session's
//     ring. Prints the rates and the ratios to their means, and checks the sink's hash.
//   --paced sim1|sim2: the recording plays in real time for --seconds at 30 MS/s (first
//     generation) or 70 MS/s (second generation); prints the sink's underruns and checks that its
//     hash equals the recording's bytes, cycled, for everything it received.
//
// Options: --dir DIR (default ./bench-play, on the disk to be measured), --mib N (2048),
// --paced sim1|sim2, --seconds N (60), --file-seconds N (4, the paced recording's length),
// --port-offset N (910). The files are removed afterwards.

#include <fcntl.h>
#include <sys/mman.h>
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
#include <vector>

#include "comlib/session/tamrel_com_mfc.hpp"
#include "platform/fs/aligned_buffer.hpp"
#include "platform/fs/drive_table.hpp"
#include "platform/fs/text_file_writer.hpp"
#include "platform/host/recording_host_window.hpp"
#include "platform/net/net_settings.hpp"
#include "platform/text/utf.hpp"
#include "tamrelapi/sim/control.hpp"
#include "tamrelapi/sim/play_hash.hpp"

namespace {

using Clock = std::chrono::steady_clock;
namespace control = tamrel::sim::control;
constexpr std::size_t kBlock = 1'048'576;

struct Options {
    std::filesystem::path dir = "bench-play";
    std::uint64_t mib = 2048;
    std::string paced;  // empty: unpaced
    int seconds = 60;
    unsigned file_seconds = 4;
    int port_offset = 910;
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
        } else if (a == "--file-seconds" && has_value) {
            o.file_seconds = static_cast<unsigned>(std::atoi(argv[++i]));
        } else if (a == "--port-offset" && has_value) {
            o.port_offset = std::atoi(argv[++i]);
        } else {
            return false;
        }
    }
    return o.mib > 0 && o.seconds > 0 && o.file_seconds > 0 &&
           (o.paced.empty() || o.paced == "sim1" || o.paced == "sim2");
}

bool wait_until(const std::function<bool()>& done, std::chrono::seconds limit) {
    const auto deadline = Clock::now() + limit;
    while (!done()) {
        if (Clock::now() > deadline) return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    return true;
}

// The page cache forgets the file, so the next read comes from the disk.
void drop_cache(const std::string& path) {
    const int fd = ::open(path.c_str(), O_RDONLY);
    if (fd < 0) return;
    if (::fdatasync(fd) != 0) std::perror("fdatasync");
    if (::posix_fadvise(fd, 0, 0, POSIX_FADV_DONTNEED) != 0) std::fprintf(stderr, "posix_fadvise failed\n");
    ::close(fd);
}

// A sample file of `bytes` (a counter, 4 bytes a sample) and its project file with one gain line
// per whole second.
bool write_recording(const std::filesystem::path& folder, const std::string& title, std::uint64_t bytes,
                     unsigned rate) {
    auto buffer = platform::AlignedBuffer::allocate(kBlock);
    if (!buffer) return false;
    const std::string sample = (folder / (title + ".iqw")).string();
    std::FILE* file = std::fopen(sample.c_str(), "wb");
    if (file == nullptr) return false;
    std::uint32_t counter = 0;
    for (std::uint64_t done = 0; done < bytes; done += kBlock) {
        auto* words = reinterpret_cast<std::uint32_t*>(buffer->data());
        for (std::size_t i = 0; i < kBlock / 4; ++i) words[i] = counter++;
        const std::size_t n = static_cast<std::size_t>(std::min<std::uint64_t>(kBlock, bytes - done));
        if (std::fwrite(buffer->data(), 1, n, file) != n) {
            std::fclose(file);
            return false;
        }
    }
    if (std::fclose(file) != 0) return false;
    const std::uint64_t whole_seconds = bytes / (std::uint64_t{rate} * 4);
    std::string header = "$Ver,1,IQ FileName," + title + ".iqw,IQ Rate," + std::to_string(rate) +
                         ",Center,474000000,Tracking,1,AGC,0\r\n";
    std::u16string text = platform::from_utf8(header);
    for (std::uint64_t s = 1; s <= whole_seconds; ++s) {
        text += platform::from_utf8("$GAIN,10.0,POWER,-30.0,,,TIME," + std::to_string(s) + "\r\n");
    }
    auto writer = platform::TextFileWriter::open((folder / (title + ".wpj")).string());
    return writer.ok() && writer->write(text) && writer->close();
}

// The plain loop: the file's first `bytes`, read with O_DIRECT in 1 MiB blocks into one buffer:
// an ordinary 4 KiB-page buffer, or (`huge`) one advised to use a 2 MiB huge page as the
// session's ring is, so the pinning cost of both is alike.
double plain_loop_mb_s(const std::string& path, std::uint64_t bytes, bool huge) {
    drop_cache(path);
    constexpr std::size_t kHugePage = 2 << 20;
    std::unique_ptr<void, decltype(&std::free)> memory(std::aligned_alloc(huge ? kHugePage : 4096, huge ? kHugePage : kBlock),
                                                       &std::free);
    if (!memory) return 0.0;
    if (huge) (void)::madvise(memory.get(), kHugePage, MADV_HUGEPAGE);
    std::memset(memory.get(), 0, kBlock);
    const int fd = ::open(path.c_str(), O_RDONLY | O_DIRECT);
    if (fd < 0) {
        std::perror("open O_DIRECT");
        return 0.0;
    }
    const auto start = Clock::now();
    std::uint64_t done = 0;
    while (done < bytes) {
        const ssize_t n = ::read(fd, memory.get(), kBlock);
        if (n <= 0) break;
        done += static_cast<std::uint64_t>(n);
    }
    const double seconds = std::chrono::duration<double>(Clock::now() - start).count();
    if (::close(fd) != 0) std::perror("close");
    return static_cast<double>(done) / 1e6 / seconds;
}

// The hash of `bytes` of the file's range [0, range), cycled.
std::uint64_t expected_hash(const std::string& path, std::uint64_t range, std::uint64_t bytes) {
    tamrel::sim::PlayHash hash;
    std::vector<std::uint8_t> buffer(kBlock);
    while (bytes > 0) {
        std::FILE* file = std::fopen(path.c_str(), "rb");
        if (file == nullptr) return 0;
        std::uint64_t position = 0;
        while (bytes > 0 && position < range) {
            const auto want = static_cast<std::size_t>(std::min<std::uint64_t>({kBlock, range - position, bytes}));
            const std::size_t got = std::fread(buffer.data(), 1, want, file);
            if (got == 0) break;
            hash.update(buffer.data(), got);
            position += got;
            bytes -= got;
        }
        std::fclose(file);
    }
    return hash.value();
}

struct Bench {
    platform::RecordingHostWindow window;
    std::unique_ptr<CTamrelComMFC> session;

    bool open(tamrel::api::DeviceKind kind) {
        control::reset(kind);
        session = std::make_unique<CTamrelComMFC>();
        session->SetMainWndHandle(&window);
        if (session->TmOpenDevice() != 0) return false;
        session->BeginThread();
        return command(u"connect", u"Connect:Ok");
    }
    bool command(const std::u16string& line, const std::u16string& answer) {
        window.clear();
        session->TmTypeEditAddCmd(line);
        return window.wait_for_text(answer, std::chrono::seconds(120));
    }
};

int run(const Options& o, Bench& b, const std::filesystem::path& folder) {
    const bool paced = !o.paced.empty();
    const bool second = !paced || o.paced == "sim2";
    const unsigned rate = second ? 70'000'000U : 30'000'000U;
    const std::uint64_t per_second = std::uint64_t{rate} * 4;
    const std::uint64_t bytes = paced ? per_second * o.file_seconds + kBlock / 2 : o.mib * kBlock;
    const std::string title = "bench_play";
    const std::string sample = (folder / (title + ".iqw")).string();
    if (!write_recording(folder, title, bytes, rate)) {
        std::fprintf(stderr, "cannot write the recording in %s\n", folder.c_str());
        return 1;
    }
    const std::uint64_t range = bytes / per_second * per_second;
    const std::u16string project = u"D:\\TamrelData\\Record\\" + platform::from_utf8(title) + u".wpj";
    if (!b.command((second ? u"t2playfile " : u"playfileex ") + project, u"Tamrel Project File:Ok")) {
        std::fprintf(stderr, "the recording did not open\n");
        return 1;
    }
    const double plain_before = paced ? 0.0 : plain_loop_mb_s(sample, range, false);
    const double huge_before = paced ? 0.0 : plain_loop_mb_s(sample, range, true);
    control::set_play_pacing(tamrel::api::CapturePacing{!paced, 1.0});
    control::clear_play_record();
    drop_cache(sample);
    b.session->TmTypeEditAddCmd(second ? u"t2play 1" : u"play 1");
    if (!wait_until([] { return control::play_stats().received > 0; }, std::chrono::seconds(60))) {
        std::fprintf(stderr, "play did not start\n");
        return 1;
    }
    const auto start = Clock::now();
    if (paced) {
        std::this_thread::sleep_for(std::chrono::seconds(o.seconds));
    } else if (!wait_until([&] { return control::play_stats().received >= range; }, std::chrono::seconds(3600))) {
        std::fprintf(stderr, "play did not get through the recording\n");
        return 1;
    }
    const double seconds = std::chrono::duration<double>(Clock::now() - start).count();
    const std::uint64_t at_end = control::play_stats().received;
    b.command(second ? u"t2play 0" : u"play 0", second ? u"Tm2PlayStop" : u"PlayStop");
    const tamrel::sim::PlayStats stats = control::play_stats();
    const bool hash_ok = stats.hash == expected_hash(sample, range, stats.received);
    int result = hash_ok ? 0 : 1;
    if (paced) {
        std::printf("paced %s at %u samples/s for %d s\n", o.paced.c_str(), rate, o.seconds);
        std::printf("  played            %llu bytes (%.1f s of samples)\n", static_cast<unsigned long long>(stats.received),
                    static_cast<double>(stats.received) / static_cast<double>(per_second));
        std::printf("  underruns         %llu (%llu bytes starved)\n", static_cast<unsigned long long>(stats.underruns),
                    static_cast<unsigned long long>(stats.starved));
        if (stats.underruns != 0) result = 1;
    } else {
        // The first block was taken before the clock started.
        const double play_mb_s = static_cast<double>(at_end - kBlock) / 1e6 / seconds;
        const double plain_after = plain_loop_mb_s(sample, range, false);
        const double huge_after = plain_loop_mb_s(sample, range, true);
        const double plain_mb_s = (plain_before + plain_after) / 2.0;
        const double huge_mb_s = (huge_before + huge_after) / 2.0;
        std::printf("play path: %llu bytes of a %llu MiB recording in %s\n", static_cast<unsigned long long>(range),
                    static_cast<unsigned long long>(o.mib), folder.c_str());
        std::printf("  plain O_DIRECT before           %8.1f MB/s\n", plain_before);
        std::printf("  plain O_DIRECT, huge page before %7.1f MB/s\n", huge_before);
        std::printf("  play path                       %8.1f MB/s\n", play_mb_s);
        std::printf("  plain O_DIRECT after            %8.1f MB/s\n", plain_after);
        std::printf("  plain O_DIRECT, huge page after %8.1f MB/s\n", huge_after);
        std::printf("  ratio to the plain loop's mean  %8.1f %%\n", plain_mb_s > 0 ? 100.0 * play_mb_s / plain_mb_s : 0.0);
        std::printf("  ratio to the huge-page mean     %8.1f %%\n", huge_mb_s > 0 ? 100.0 * play_mb_s / huge_mb_s : 0.0);
    }
    std::printf("  sink hash %s the recording's bytes (%llu bytes compared)\n", hash_ok ? "equals" : "DIFFERS from",
                static_cast<unsigned long long>(stats.received));
    std::error_code ec;
    std::filesystem::remove(sample, ec);
    std::filesystem::remove(folder / (title + ".wpj"), ec);
    return result;
}

}  // namespace

int main(int argc, char** argv) {
    Options o;
    if (!parse(argc, argv, o)) {
        std::fprintf(stderr,
                     "usage: bench_play_path [--dir DIR] [--mib N] [--paced sim1|sim2] [--seconds N] "
                     "[--file-seconds N] [--port-offset N]\n");
        return 2;
    }
    const std::filesystem::path root = std::filesystem::absolute(o.dir) / "drives";
    for (const char* drive : {"C", "D", "E"}) std::filesystem::create_directories(root / drive);
    const std::filesystem::path folder = root / "D/TamrelData/Record";
    std::filesystem::create_directories(folder);
    if (!platform::set_process_drives_root(root.string()).ok() || !platform::set_port_offset(o.port_offset).ok() ||
        !platform::set_bind_address("127.0.0.1").ok()) {
        std::fprintf(stderr, "cannot set up the drives or ports\n");
        return 1;
    }
    const bool first = o.paced == "sim1";
    Bench bench;
    if (!bench.open(first ? tamrel::api::DeviceKind::first_generation : tamrel::api::DeviceKind::second_generation)) {
        std::fprintf(stderr, "the simulated instrument did not open or connect\n");
        return 1;
    }
    const int result = run(o, bench, folder);
    bench.session->TerminateAllThread();
    return result;
}
