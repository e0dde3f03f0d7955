#pragma once
// A session on the simulated instrument with its own drives folder, its own UDP ports and a
// recording host window, plus a UDP listener standing in for the host's packet port.

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <memory>
#include <string>
#include <unistd.h>

#include "comlib/session/tamrel_com_mfc.hpp"
#include "platform/fs/drive_table.hpp"
#include "platform/host/recording_host_window.hpp"
#include "platform/net/net_settings.hpp"
#include "platform/net/udp_socket.hpp"
#include "platform/serial/serial_devices.hpp"
#include "tamrelapi/sim/control.hpp"
#include "tests/support/port_offset.hpp"

// Reaches the session state that only commands change (the connection), for tests that need a
// connected host before the connect command exists.
struct CTamrelComMFCTestPeer {
    static void set_connected(CTamrelComMFC& session, bool connected) {
        session.connection_state_.store(connected ? 2U : 0U);
        session.setting_.set(&_TmSettingBlock_t::Connected, connected ? 1U : 0U);
    }
    static void receive(CTamrelComMFC& session, std::uint8_t* buffer, std::size_t size,
                        std::uint32_t source_be) {
        session.handle_received_packet(buffer, size, source_be);
    }
    static void set_mode(CTamrelComMFC& session, TmMode_e mode) { session.current_mode_.store(mode); }
    static void set_direction(CTamrelComMFC& session, unsigned direction) {
        session.direction_.store(direction);
    }
    template <typename T, typename V>
    static void set_setting(CTamrelComMFC& session, T _TmSettingBlock_t::*field, V value) {
        session.setting_.set(field, value);
    }
    static void set_local_monitor(CTamrelComMFC& session, bool on) { session.local_monitor_.store(on ? 1U : 0U); }
    static void status_pass(CTamrelComMFC& session) { session.status_pass(); }
    static void follower_pass(CTamrelComMFC& session) { session.follower_pass(); }
    static void set_api_in_control(CTamrelComMFC& session, bool on) {
        session.api_in_control_.store(on ? 1U : 0U);
    }
    // Runs one console line on the calling thread, as the console thread would (without the
    // echo and the closing ">").
    static void run(CTamrelComMFC& session, const std::u16string& line) { session.execute_line(line); }
    static void set_record_override(CTamrelComMFC& session, const std::u16string& sample,
                                    const std::u16string& project) {
        std::lock_guard lock(session.path_mutex_);
        session.capture_file_override_ = sample;
        session.capture_project_override_ = project;
    }
    static std::u16string record_override(CTamrelComMFC& session) {
        std::lock_guard lock(session.path_mutex_);
        return session.capture_file_override_ + session.capture_project_override_;
    }
    // A play in progress as the play path leaves it, for the pause arithmetic.
    static void set_play_state(CTamrelComMFC& session, std::uint32_t elapsed_s, std::uint64_t start_offset,
                               platform::SampleReader file) {
        session.play_elapsed_s_.store(elapsed_s);
        session.play_start_offset_.store(start_offset);
        session.play_file_ = std::move(file);
    }
    static std::uint64_t play_file_position(CTamrelComMFC& session) {
        return session.play_file_.is_open() ? session.play_file_.tell() : ~0ULL;
    }
    static std::uint64_t play_pop_position(CTamrelComMFC& session) { return session.play_pop_position_.load(); }
    static unsigned preview_ready(CTamrelComMFC& session) { return session.preview_ready_.load(); }
    static void set_preview_enable(CTamrelComMFC& session, unsigned on) { session.preview_enable_.store(on); }
    static const std::uint8_t* preview_buffer(CTamrelComMFC& session) { return session.preview_buffer_; }
    static unsigned fullband_request(CTamrelComMFC& session) { return session.fullband_request_.load(); }
    static void set_fullband_request(CTamrelComMFC& session, unsigned value) { session.fullband_request_.store(value); }
};

class SessionTest : public ::testing::Test {
protected:
    void SetUp() override {
        char pattern[] = "/tmp/tamrel-session-XXXXXX";
        ASSERT_NE(::mkdtemp(pattern), nullptr);
        root_ = pattern;
        for (const char* drive : {"C", "D", "E"}) std::filesystem::create_directory(root_ / drive);
        // The process-wide drives root can be set once per process; each test case runs in its
        // own process.
        (void)platform::set_process_drives_root(root_.string());
        offset_ = pick_port_offset();
        ASSERT_TRUE(platform::set_port_offset(offset_).ok());
        ASSERT_TRUE(platform::set_bind_address("127.0.0.1").ok());
        tamrel::sim::control::reset(tamrel::api::DeviceKind::second_generation);
        // No GPS receiver on the test machine's serial port: opening it fails predictably.
        platform::set_serial_device_path("COM5", (root_ / "no-such-tty").string());
        session_ = std::make_unique<CTamrelComMFC>();
        session_->SetMainWndHandle(&window_);
    }

    void TearDown() override {
        session_.reset();
        std::error_code ignored;
        std::filesystem::remove_all(root_, ignored);
    }

    // A socket bound where the session sends: the host port (or the search-reply port).
    static std::unique_ptr<platform::UdpSocket> listen_on(std::uint16_t base_port) {
        auto socket = std::make_unique<platform::UdpSocket>();
        EXPECT_TRUE(socket->open().ok());
        EXPECT_TRUE(socket->bind("127.0.0.1", platform::port_with_offset(base_port)).ok());
        return socket;
    }

    std::filesystem::path root_;
    int offset_ = 0;
    platform::RecordingHostWindow window_;
    std::unique_ptr<CTamrelComMFC> session_;
};
