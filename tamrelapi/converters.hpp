#pragma once
// The play path's converter chips: CAD9789, the DAC whose symbol-rate generator sets the arbitrary
// play rate, and CADF4153, the synthesizer (PLL) of the play local oscillator (no operations yet).
//
// Stateless: members forward to the back-end and may be called from any thread.

// The play DAC. Stateless like CTamrelAPI: it forwards to the device back-end.
class CAD9789 {
public:
    // The DAC's symbol rate: the play I/Q rate in force (PlaySetBW), samples/s.
    unsigned GetArbSymRate(unsigned& rate) const;
};

class CADF4153 {};

extern CAD9789 gc_AD9789;
extern CADF4153 gc_ADF4153;
