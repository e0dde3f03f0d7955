#pragma once
// The registers of a first-generation board the library itself gives meaning to. They sit in
// address space 1, the board's control and status window.

namespace tamrel::sim::board_registers {

inline constexpr unsigned control_space = 1;
inline constexpr unsigned power_control = 0x8004;   // read-write
inline constexpr unsigned power_off_bit = 0x100;    // set: prepare for power-off
inline constexpr unsigned fpga_version = 0x8008;    // read-only, four version bytes

}  // namespace tamrel::sim::board_registers
