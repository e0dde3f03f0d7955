#pragma once
// Which board is fitted, how many of it, and whether the session has opened it. Every operation
// asks admit() first, so the rules "no board", "wrong generation" and "not open" live in one place.

#include <mutex>

#include "tamrelapi/device_select.hpp"

namespace tamrel::sim {

// What an operation needs before it may act.
enum class Needs {
    nothing,       // counts and the library version: always answer
    first_board,   // Open: a first-generation board, open or not
    second_board,  // Tm2Open
    first_open,    // a first-generation board opened with Open
    second_open,   // a second-generation board opened with Tm2Open
    either_open,   // whichever board is fitted, opened
};

// Thread-safety: every member may be called from any thread; each is atomic on its own.
class Presence {
public:
    explicit Presence(api::DeviceKind kind) { reset(kind); }

    // A fresh board of that kind (one of it, closed); none fits nothing.
    void reset(api::DeviceKind kind);
    // Boards of the fitted generation (for tests of odd counts); 0 is the same as no board.
    void set_board_count(unsigned count);

    api::DeviceKind kind() const;
    // Boards of the generation `kind` that are fitted.
    unsigned count(api::DeviceKind kind) const;
    bool is_open() const;

    // status_ok, or the status that refuses an operation with these needs.
    unsigned admit(Needs needs) const;
    // Opens board `board` of generation `kind` (first or second); opening an open board is
    // allowed and changes nothing.
    unsigned open(api::DeviceKind kind, unsigned board);
    void close();

private:
    unsigned admit_locked(Needs needs) const;

    mutable std::mutex mutex_;
    api::DeviceKind kind_ = api::DeviceKind::none;
    unsigned board_count_ = 0;
    bool open_ = false;
};

}  // namespace tamrel::sim
