#pragma once
// Reading one number from the operator, with a cancel letter and an optional range.

#include "wdc/wdc_lib.hpp"

// 1 when a valid value was stored, 0 for invalid input, -1 when the operator cancelled.
int DIAG_InputData(const char* prompt, UINT32* value, bool hexadecimal, UINT64 minimum,
                   UINT64 maximum);
