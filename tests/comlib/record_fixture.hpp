#pragma once
// A connected session on the simulated instrument, ready to record: the device is opened, the
// host's packet port listens, and "connect" has run. Console lines run on the test's thread;
// the data threads run as in the field.

#include <gtest/gtest.h>

#include <chrono>
#include <cstring>
#include <fstream>
#include <functional>
#include <iterator>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "platform/fs/text_line_reader.hpp"
#include "platform/text/utf.hpp"
#include "session_fixture.hpp"
#include "tamrelapi/sim/control.hpp"

struct ReceivedPacket {
    std::uint32_t cmd = 0, rw = 0, length = 0;
    std::vector<std::uint8_t> payload;
    std::u16string text() const {
        std::u16string t(payload.size() / 2, u'\0');
        std::memcpy(t.data(), payload.data(), t.size() * 2);
        return t;
    }
};

class RecordTest : public SessionTest {
protected:
    // Opens an instrument of `kind` whose capture source delivers the counter as fast as it is
    // read, and connects the host.
    void open_connected(tamrel::api::DeviceKind kind) {
        namespace control = tamrel::sim::control;
        control::reset(kind);
        control::set_capture_content(tamrel::sim::CaptureContent::counter);
        ASSERT_TRUE(control::set_capture_pacing(tamrel::api::CapturePacing{true, 1.0}).ok());
        ASSERT_EQ(session_->TmOpenDevice(), 0U);
        ASSERT_EQ(session_->CreateUDP_Socket(), 0);
        host_ = listen_on(platform::kHostPort);
        run(u"connect");
        ASSERT_EQ(session_->ConnectionState(), 2U);
    }

    void run(const std::u16string& line) { CTamrelComMFCTestPeer::run(*session_, line); }

    // Packets the host received so far, then those arriving within `wait`.
    const std::vector<ReceivedPacket>& packets(std::chrono::milliseconds wait = std::chrono::milliseconds(0)) {
        const auto deadline = std::chrono::steady_clock::now() + wait;
        do {
            std::uint8_t buffer[70'000];
            while (true) {
                auto got = host_->receive(buffer, sizeof buffer, 0);
                if (!got.ok() || got->size < 20) break;
                ReceivedPacket p;
                std::memcpy(&p.cmd, buffer + 4, 4);
                std::memcpy(&p.rw, buffer + 8, 4);
                std::memcpy(&p.length, buffer + 12, 4);
                p.payload.assign(buffer + 20, buffer + got->size);
                seen_.push_back(std::move(p));
            }
            if (std::chrono::steady_clock::now() >= deadline) break;
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
        } while (true);
        return seen_;
    }

    // Waits up to `limit` until a packet (cmd, rw) has arrived; the packet, or none.
    std::optional<ReceivedPacket> wait_packet(std::uint32_t cmd, std::uint32_t rw,
                                              std::chrono::milliseconds limit = std::chrono::seconds(20)) {
        const auto deadline = std::chrono::steady_clock::now() + limit;
        std::size_t checked = 0;
        while (true) {
            packets();
            for (; checked < seen_.size(); ++checked) {
                if (seen_[checked].cmd == cmd && seen_[checked].rw == rw) return seen_[checked];
            }
            if (std::chrono::steady_clock::now() >= deadline) return std::nullopt;
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
        }
    }

    std::size_t count_packets(std::uint32_t cmd, std::uint32_t rw) {
        std::size_t n = 0;
        for (const ReceivedPacket& p : packets()) n += (p.cmd == cmd && p.rw == rw) ? 1U : 0U;
        return n;
    }

    // Waits up to `limit` for `done`.
    static bool eventually(const std::function<bool()>& done, std::chrono::milliseconds limit = std::chrono::seconds(30)) {
        const auto deadline = std::chrono::steady_clock::now() + limit;
        while (!done()) {
            if (std::chrono::steady_clock::now() >= deadline) return false;
            std::this_thread::sleep_for(std::chrono::milliseconds(2));
        }
        return true;
    }

    // The POSIX path of a Windows path on the test drives.
    std::string posix(const std::u16string& windows_path) const {
        auto resolved = platform::process_drives().resolve(windows_path);
        EXPECT_TRUE(resolved.ok());
        return resolved.ok() ? resolved.value() : std::string();
    }

    static std::vector<std::uint8_t> read_bytes(const std::string& path) {
        std::ifstream in(path, std::ios::binary);
        return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    }

    static std::vector<std::u16string> read_lines(const std::string& path) {
        std::vector<std::u16string> lines;
        auto reader = platform::TextLineReader::open(path);
        if (!reader.ok()) return lines;
        while (true) {
            auto line = reader->next_line();
            if (!line.ok() || !line->has_value()) break;
            lines.push_back(**line);
        }
        return lines;
    }

    static std::size_t count_prefixed(const std::vector<std::u16string>& lines, std::u16string_view prefix) {
        std::size_t n = 0;
        for (const auto& line : lines) n += line.starts_with(prefix) ? 1U : 0U;
        return n;
    }

    // The index of the first sample of a counter stream whose samples are not consecutive from
    // `first`, or the sample count when all are.
    static std::size_t first_counter_gap(const std::vector<std::uint8_t>& bytes, std::uint32_t first) {
        const std::size_t samples = bytes.size() / 4;
        for (std::size_t i = 0; i < samples; ++i) {
            std::uint32_t value = 0;
            std::memcpy(&value, bytes.data() + i * 4, 4);
            if (value != first + static_cast<std::uint32_t>(i)) return i;
        }
        return samples;
    }

    std::unique_ptr<platform::UdpSocket> host_;
    std::vector<ReceivedPacket> seen_;
};
