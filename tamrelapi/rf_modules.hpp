#pragma once
// The first-generation RF modules: CRfDC, the down-converter of the capture path, and CRfAtten,
// the attenuator of the play path. Each keeps calibration offsets measured at the factory; the
// session adds them to its spectrum and power figures. Offsets are in dB.
//
// Stateless: every member forwards to the back-end. Thread-safety: callable from any thread.

class CRfDC {
public:
    unsigned GetCapture_Spectrum_GainOffset_Cal(float& db) const;
    // The offset of the I/Q (band) power measurement.
    unsigned GetCapture_IQPower_GainOffset_Cal(float& db) const;
};

class CRfAtten {
public:
    unsigned GetPlay_Spectrum_GainOffset_Cal(float& db) const;
};

extern CRfDC gc_RfDC;
extern CRfAtten gc_RfAtten;
