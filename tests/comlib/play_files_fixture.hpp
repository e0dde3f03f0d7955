#pragma once
// A connected session with a recording folder on drive D, helpers that put recordings there as
// the recorder leaves them (sample file, project file, black-box event file), and helpers that
// take apart what the host received for one command.
//
// The project and event files are written here from their documented line formats rather than
// with the recorder's own line builders, so what the readers are given does not depend on the
// code that writes recordings. Text files go through platform::TextFileWriter: UTF-16LE with a
// byte-order mark, each "\r\n" ending CR CR LF on disk, as the recorder's files do.


#include <cstdint>
#include <cstring>
#include <filesystem>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/fs/file.hpp"
#include "platform/fs/text_file_writer.hpp"
#include "platform/text/format.hpp"
#include "platform/text/utf.hpp"
#include "record_fixture.hpp"

// One recorded second of a project file: its gain line and, when `gps` is not empty, the GPS
// sentence written after it.
struct RecordedSecond {
    float gain_db = 0.0F;
    double power_db = -60.0;
    std::u16string gps;
};

// A recording to write: `title`.iqw and `title`.wpj in D's recording folder.
struct RecordingPlan {
    std::u16string title;
    std::vector<RecordedSecond> seconds;
    unsigned iq_rate = 10'000'000;
    unsigned centre_hz = 50'000'000;
    int agc = 0;
    bool second_generation = false;
    // Size of the sample file; 0 means exactly one whole second per recorded second.
    std::uint64_t sample_bytes = 0;
    // Seeds the sample pattern at the start of the sample file (the first spectrum's bytes).
    std::uint8_t seed = 1;
};

class PlayFilesTest : public RecordTest {
public:
    static constexpr std::size_t kSpectrumBytes = CTamrelComMFC::kPreviewBytes;
    static constexpr std::size_t kRawChunk = 1024;
    static constexpr std::size_t kChunksPerSpectrum = kSpectrumBytes / kRawChunk;

    // ---- Recording text (the formats of the recorder's files) ------------------------------

    // Line 1 of a project file, as the recorder writes it.
    static std::u16string header_line(std::u16string_view sample_name, unsigned iq_rate, bool second_generation,
                                      unsigned centre_hz, int agc) {
        return platform::format(second_generation ? u"$Ver,1,IQ FileName,%s,IQ Rate,%u,Center,%u,Tracking,1,AGC,%d\r\n"
                                                  : u"$Ver,1,IQ FileName,%s,IQ Rate,%d,Center,%u,Tracking,1,AGC,%d\r\n",
                                sample_name, iq_rate, centre_hz, agc);
    }

    // A gain line as the recorder writes it, and as it reads without its line end.
    static std::u16string gain_text(float gain_db, double power_db, int second) {
        return platform::format(u"$GAIN,%.1f,POWER,%.1f,,,TIME,%d", static_cast<double>(gain_db), power_db, second);
    }

    // A GPS sentence that names its second, so each one can be told from the others.
    static std::u16string gps_text(unsigned second) {
        return platform::format(u"$GPRMC,%06u,A,4807.038,N,01131.000,E,022.4,084.4,230394,003.1,W*6A", second);
    }

    // The gain and GPS lines of `plan` after line 1, in file order, without line ends.
    static std::vector<std::u16string> log_lines(const RecordingPlan& plan) {
        std::vector<std::u16string> lines;
        int second = 0;
        for (const RecordedSecond& s : plan.seconds) {
            lines.push_back(gain_text(s.gain_db, s.power_db, ++second));
            if (!s.gps.empty()) lines.push_back(s.gps);
        }
        return lines;
    }

    static std::uint64_t bytes_per_second(unsigned iq_rate) { return static_cast<std::uint64_t>(iq_rate) * 4U; }

    // `count` seconds whose gain and power come from `at` (second from 1); a GPS sentence after
    // every gain line when `with_gps`.
    static std::vector<RecordedSecond> seconds_of(unsigned count, const std::function<RecordedSecond(unsigned)>& at,
                                                  bool with_gps = false) {
        std::vector<RecordedSecond> seconds;
        for (unsigned s = 1; s <= count; ++s) {
            RecordedSecond second = at(s);
            if (with_gps) second.gps = gps_text(s);
            seconds.push_back(second);
        }
        return seconds;
    }

protected:
    void SetUp() override {
        RecordTest::SetUp();
        std::filesystem::create_directories(record_folder());
    }

    // Opens the instrument as RecordTest::open_connected does, with `before_open` run on the
    // fresh instrument before the session opens it (to set calibration values it reads then).
    // Before the first command it waits until the session's receive thread has bound the device
    // port: a command's reply sent through the socket before that would give it another port.
    void open_connected_with(tamrel::api::DeviceKind kind, const std::function<void()>& before_open) {
        namespace control = tamrel::sim::control;
        control::reset(kind);
        control::set_capture_content(tamrel::sim::CaptureContent::counter);
        ASSERT_TRUE(control::set_capture_pacing(tamrel::api::CapturePacing{true, 1.0}).ok());
        before_open();
        ASSERT_EQ(session_->TmOpenDevice(), 0U);
        ASSERT_EQ(session_->CreateUDP_Socket(), 0);
        host_ = listen_on(platform::kHostPort);
        run(u"connect");
        ASSERT_EQ(session_->ConnectionState(), 2U);
    }
    void open_connected(tamrel::api::DeviceKind kind) {
        open_connected_with(kind, [] {});
    }

    std::filesystem::path record_folder() const { return root_ / "D" / "TamrelData" / "Record"; }
    std::string record_file(std::u16string_view name) const {
        return (record_folder() / platform::to_utf8(name)).string();
    }
    static std::u16string record_path(std::u16string_view name) {
        return u"D:\\TamrelData\\Record\\" + std::u16string(name);
    }

    // ---- Files -------------------------------------------------------------------------------

    void write_text(std::u16string_view name, std::u16string_view text) const {
        auto writer = platform::TextFileWriter::open(record_file(name));
        ASSERT_TRUE(writer.ok()) << writer.status().describe();
        ASSERT_TRUE(writer->write(text));
        ASSERT_TRUE(writer->close());
    }

    // The bytes a sample file written with `seed` starts with.
    static std::vector<std::uint8_t> sample_pattern(std::size_t bytes, std::uint8_t seed) {
        std::vector<std::uint8_t> pattern(bytes);
        for (std::size_t i = 0; i < bytes; ++i) {
            pattern[i] = static_cast<std::uint8_t>((i * 31U + seed * 7U + (i >> 8U)) & 0xFFU);
        }
        return pattern;
    }

    // A sample file of `size` bytes: the pattern of `seed` over its first kSpectrumBytes (or all
    // of it when shorter), the rest left sparse (zeros), so large recordings cost no disk.
    void write_sample(std::u16string_view name, std::uint64_t size, std::uint8_t seed) const {
        auto file = platform::File::open(record_file(name), platform::FileMode::write);
        ASSERT_TRUE(file.ok()) << file.status().describe();
        const auto head = static_cast<std::size_t>(std::min<std::uint64_t>(size, kSpectrumBytes));
        const std::vector<std::uint8_t> pattern = sample_pattern(head, seed);
        ASSERT_TRUE(file->write_all(pattern.data(), pattern.size()));
        ASSERT_TRUE(file->truncate(size));
        ASSERT_TRUE(file->close());
    }

    // Writes the recording; returns its project file path (Windows form).
    std::u16string write_recording(const RecordingPlan& plan) const {
        const std::u16string sample = plan.title + u".iqw";
        const std::uint64_t size =
            plan.sample_bytes != 0 ? plan.sample_bytes : plan.seconds.size() * bytes_per_second(plan.iq_rate);
        write_sample(sample, size, plan.seed);
        std::u16string text = header_line(sample, plan.iq_rate, plan.second_generation, plan.centre_hz, plan.agc);
        for (const std::u16string& line : log_lines(plan)) text += line + u"\r\n";
        write_text(plan.title + u".wpj", text);
        return record_path(plan.title + u".wpj");
    }

    // A black-box event file `name` listing the project files of `members` (titles), oldest
    // first, in the format the black-box recorder writes.
    std::u16string write_black_box_set(std::u16string_view name, const std::vector<std::u16string>& members) const {
        std::u16string text = platform::format(u"$Ver,1,Total,%d,Event,%s,Position,%lld,Mask,%s,%d,%.1f,%.1f,\r\n",
                                               static_cast<int>(members.size()), members.front() + u".wpj",
                                               static_cast<long long>(1'048'576), std::u16string(u"ATSC"), 12, 3.4, 5.6);
        for (const std::u16string& member : members) text += u"$File," + member + u".wpj,\r\n";
        write_text(name, text);
        return record_path(name);
    }

    // ---- Packets -----------------------------------------------------------------------------

    // Runs "syncdata" and waits for its reply: every packet a command sent before it has then
    // arrived (one socket, in order). The index of the reply in packets().
    std::size_t settle() {
        const std::size_t from = packets().size();
        run(u"syncdata");
        const std::size_t at = wait_index(from, [](const ReceivedPacket& p) {
            return p.cmd == TM_CMD_SYNCDATA && p.rw == TM_RW_ACK;
        });
        EXPECT_NE(at, npos) << "the syncdata reply did not arrive";
        return at;
    }

    static constexpr std::size_t npos = static_cast<std::size_t>(-1);

    // The index of the first packet at or after `from` that `match` accepts, waiting up to 20 s;
    // npos when none arrives.
    std::size_t wait_index(std::size_t from, const std::function<bool(const ReceivedPacket&)>& match) {
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
        std::size_t checked = from;
        while (true) {
            const auto& all = packets();
            for (; checked < all.size(); ++checked) {
                if (match(all[checked])) return checked;
            }
            if (std::chrono::steady_clock::now() >= deadline) return npos;
            std::this_thread::sleep_for(std::chrono::milliseconds(2));
        }
    }

    // Runs `line` and returns the packets it sent (those before the next settle()).
    std::vector<ReceivedPacket> packets_of(const std::u16string& line) {
        const std::size_t from = packets().size();
        run(line);
        const std::size_t to = settle();
        if (to == npos) return {};
        const auto& all = packets();
        return {all.begin() + static_cast<std::ptrdiff_t>(from), all.begin() + static_cast<std::ptrdiff_t>(to)};
    }

    static std::vector<ReceivedPacket> only(const std::vector<ReceivedPacket>& packets, std::uint32_t cmd,
                                            std::uint32_t rw) {
        std::vector<ReceivedPacket> kept;
        for (const ReceivedPacket& p : packets) {
            if (p.cmd == cmd && p.rw == rw) kept.push_back(p);
        }
        return kept;
    }

    // The index of the first packet (cmd, rw) in `packets`, or npos.
    static std::size_t index_of(const std::vector<ReceivedPacket>& packets, std::uint32_t cmd, std::uint32_t rw) {
        for (std::size_t i = 0; i < packets.size(); ++i) {
            if (packets[i].cmd == cmd && packets[i].rw == rw) return i;
        }
        return npos;
    }

    // The statuses of the error reports (packet 45 kind 1) in `packets`, in order.
    static std::vector<std::uint32_t> error_reports(const std::vector<ReceivedPacket>& packets) {
        std::vector<std::uint32_t> statuses;
        for (const ReceivedPacket& p : only(packets, TM_CMD_ERROR_REPORT, TM_RW_VALUE)) {
            statuses.push_back(p.payload.size() == 4 ? value_at<std::uint32_t>(p.payload, 0) : 0xFFFF'FFFFU);
        }
        return statuses;
    }

    // The text of a NUL-terminated name field.
    template <std::size_t N>
    static std::u16string name_of(const char16_t (&field)[N]) {
        const std::u16string_view all(field, N);
        return std::u16string(all.substr(0, all.find(u'\0')));
    }

    // The little-endian value of type T at `offset` of `bytes`.
    template <typename T>
    static T value_at(const std::vector<std::uint8_t>& bytes, std::size_t offset) {
        T value{};
        if (offset + sizeof value <= bytes.size()) std::memcpy(&value, bytes.data() + offset, sizeof value);
        return value;
    }

    // The 16-bit value a gain packet carries; 0x7FFF when its payload is not two bytes.
    static std::int16_t short_payload(const ReceivedPacket& p) {
        return p.payload.size() == 2 ? value_at<std::int16_t>(p.payload, 0) : std::int16_t{0x7FFF};
    }

    // The raw-data chunks (packets 3 or 4, kinds from 5 on) in `packets`, in order.
    static std::vector<ReceivedPacket> raw_chunks(const std::vector<ReceivedPacket>& packets) {
        std::vector<ReceivedPacket> chunks;
        for (const ReceivedPacket& p : packets) {
            if ((p.cmd == TM_CMD_RAW_CAPTURE || p.cmd == TM_CMD_RAW_PLAY) && p.rw >= TM_RW_RAW_FIRST) chunks.push_back(p);
        }
        return chunks;
    }
};
