#pragma once
// The shell: start-up (library, board, design check, register set-up) and the command loop.

// Returns 1 after a start-up failure, 0 at the end of input; the exit command ends the process.
int alt_pcie_qsys_simple_diag();
