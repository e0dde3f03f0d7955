#pragma once
// The board's register file: 32-bit registers addressed by address space and byte offset, as the
// PCI bridge exposes them. A register reads back what was last written; one never written reads
// 0. Registers marked read-only (version registers) ignore writes from the session, as the board
// does; tests change them with poke().

#include <array>
#include <mutex>
#include <set>
#include <unordered_map>
#include <utility>

namespace tamrel::sim {

// Thread-safety: every member may be called from any thread; each read and write is atomic.
class RegisterFile {
public:
    static constexpr unsigned space_count = 4;
    static constexpr unsigned window_bytes = 0x100000;  // offsets below this, multiples of 4

    // status_ok, or status_invalid_argument for an address outside the windows.
    static unsigned check_address(unsigned space, unsigned offset);

    // Accesses from the session: the status, and the value only on success.
    unsigned read(unsigned space, unsigned offset, unsigned& value) const;
    unsigned write(unsigned space, unsigned offset, unsigned value);

    // Accesses from tests and from the instrument itself; a poke also reaches read-only
    // registers. Same statuses.
    unsigned poke(unsigned space, unsigned offset, unsigned value);
    void set_read_only(unsigned space, unsigned offset);

    // Every register back to 0 and writable.
    void clear();

private:
    mutable std::mutex mutex_;
    std::array<std::unordered_map<unsigned, unsigned>, space_count> spaces_;
    std::set<std::pair<unsigned, unsigned>> read_only_;
};

}  // namespace tamrel::sim
