#pragma once
// The play path's converter chips: CAD9789, the DAC whose symbol-rate generator sets the arbitrary
// play rate, and CADF4153, the synthesizer (PLL) of the play local oscillator. No operations yet.
//
// Stateless: members forward to the back-end and may be called from any thread.

class CAD9789 {};

class CADF4153 {};

extern CAD9789 gc_AD9789;
extern CADF4153 gc_ADF4153;
