#pragma once
// The shell's process-wide state: the board handle, the prompt flag and the status values the
// prompt shows, the general-purpose output shadow, and the play and capture files.
//
// Thread-safety: the shell thread owns everything here. The status values and the shadow are
// atomics because the transfer threads (DMA tools) update them while the shell redraws the
// prompt; a prompt may show a mix of old and new values.

#include <atomic>
#include <cstdint>

#include "wdc/wdc_lib.hpp"

namespace boarddiag {

constexpr std::uint32_t capture_ring_start = 0;
constexpr std::uint32_t capture_ring_end = 0x7FFFFF8;
constexpr std::uint32_t play_ring_start = 0x8000000;
constexpr std::uint32_t play_ring_end = 0xFFFFFF8;

struct ShellState {
    WDC_DEVICE_HANDLE board = nullptr;  // set once at start-up, then only read
    std::atomic<std::uint8_t> prompt_on{1};
    std::atomic<std::uint32_t> capture_write{0};                 // read from the board
    std::atomic<std::uint32_t> capture_read{capture_ring_start};  // host
    std::atomic<std::uint32_t> play_write{play_ring_start};       // host
    std::atomic<std::uint32_t> play_read{play_ring_start};        // read from the board
    std::atomic<std::uint32_t> gpo_shadow{0};
    int play_file = -1;
    std::int64_t play_length = 0;
    int capture_file = -1;
};

ShellState& shell_state();

}  // namespace boarddiag
