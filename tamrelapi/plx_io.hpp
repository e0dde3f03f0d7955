#pragma once
// CPLXIO: register access to a first-generation board through its PCI bridge. Registers are
// 32-bit words addressed by address space (0 to 3) and byte offset (a multiple of 4 below
// 0x100000); a register never written reads 0. Address space 1 holds the board's control and
// status registers: 0x8004 power control (bit 0x100 prepares power-off), 0x8008 FPGA version
// (read-only).
//
// Stateless: every member forwards to the back-end. Thread-safety: callable from any thread;
// each single read or write is atomic, a read-modify-write sequence of the caller is not.

class CPLXIO {
public:
    unsigned read_reg(unsigned space, unsigned offset, unsigned& value) const;
    unsigned write_reg(unsigned space, unsigned offset, unsigned value) const;
};

extern CPLXIO gc_PLXIO;
