#include "boarddiag/shell/shell_state.hpp"

namespace boarddiag {

ShellState& shell_state() {
    static ShellState state;
    return state;
}

}  // namespace boarddiag
