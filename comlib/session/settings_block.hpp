#pragma once
// The settings block: the current capture, play and system settings and the device
// identification. It is also the payload of the search, connect and syncdata replies, so its
// layout is a wire format: 216 bytes, little-endian, no hidden padding. The layout is checked
// below at compile time.
//
// Thread-safety: the console thread writes the fields; other threads read them without a lock.
// Every field is a naturally aligned word, so a reader sees either the old or the new value.

#include <cstddef>
#include <cstdint>

// Bandwidth selector of the first generation.
enum _TmBWType_e : std::uint32_t {
    TM_BW_8MHZ = 0,
    TM_BW_24MHZ = 1,
};

// Second-generation system modes.
enum _Tm2SystemMode_e : std::uint32_t {
    TM2_SYSMODE_IDLE = 0,
    TM2_SYSMODE_HF_HP = 1,
    TM2_SYSMODE_HF_LP = 2,
    TM2_SYSMODE_LF = 3,
    TM2_SYSMODE_LF_AM = 4,
    TM2_SYSMODE_FULL_BAND_HF_HP = 5,
    TM2_SYSMODE_PLAY = 6,
    TM2_SYSMODE_HDRADIO = 7,
};

// Natural alignment gives exactly the wire layout (every field sits on its own size), so the
// block needs no packing and each field stays an aligned word.
struct _TmSettingBlock_t {
    std::uint32_t CaptureFreq;          //   0 Hz
    std::int16_t CaptureRange;          //   4 0.1 dBm
    std::uint8_t Pad0[2];               //   6
    std::uint32_t CapturePreAmp;        //   8 0 off / 1 on
    std::uint32_t CaptureBW;            //  12 _TmBWType_e
    std::uint32_t CaptureLoopThrough;   //  16
    std::uint32_t CaptureAGC;           //  20
    std::uint32_t CaptureAGCSpeed;      //  24 ms
    std::uint32_t PlayFreq;             //  28 Hz
    std::int16_t PlayGain;              //  32 0.1 dB
    std::uint8_t Pad1[2];               //  34
    std::uint32_t PlayBW;               //  36 _TmBWType_e
    std::uint32_t PlayIQRate;           //  40 samples/s
    std::uint32_t PlayFileLength;       //  44 s
    std::uint32_t PlayRepeatStart;      //  48 s
    std::uint32_t PlayRepeatEnd;        //  52 s
    std::uint32_t PlaySpecInv;          //  56
    std::uint32_t RefClock;             //  60 0 internal / 1 external
    std::uint32_t Trigger;              //  64
    std::uint32_t Storage;              //  68 0 internal / 1 external
    std::uint32_t DriveIndex;           //  72 0 = A
    std::uint32_t RunStatus;            //  76 0 idle, 2 rec, 5 preview, 8 play, 10 paused
    std::uint8_t Reserved0[16];         //  80
    std::uint32_t Connected;            //  96
    std::uint32_t Reserved1;            // 100
    std::uint32_t FpgaVer;              // 104 four bytes, high byte first
    std::uint32_t DMASpeed;             // 108
    char SerialNum[10];                 // 112 ASCII, not terminated when all 10 are used
    std::uint8_t Pad2[2];               // 122
    std::uint32_t GPS;                  // 124
    std::uint32_t PlayModuleID;         // 128 attenuator, TM_FirmWareID_u
    std::uint32_t CaptureModuleID;      // 132 down-converter, TM_FirmWareID_u
    float CaptureSpectrumGainOffset;    // 136 dB
    float PlaySpectrumGainOffset;       // 140 dB
    std::uint32_t Reserved2;            // 144
    std::uint32_t ResBW;                // 148
    std::uint32_t CaptureStopType;      // 152
    std::uint32_t CaptureTime;          // 156 s
    std::uint32_t RemoteUpdateSpeed;    // 160 0 fastest .. 6 slowest
    std::uint32_t PCBVersion;           // 164 TmPCBVersion_e
    std::uint32_t Generation;           // 168 0 first generation, 2+ second
    std::uint32_t TriggerOutLevel;      // 172
    std::uint32_t SystemMode;           // 176 _Tm2SystemMode_e
    std::uint32_t RecordIQRate;         // 180 samples/s
    std::uint32_t UpConvModuleID;       // 184
    std::uint32_t PumpFpgaVer;          // 188
    std::uint32_t DspNiosVer;           // 192
    std::uint32_t Reserved3;            // 196
    std::uint32_t AwgnEnable;           // 200
    std::uint32_t AwgnSN;               // 204 _TmAwgnSN_u
    double HDRadioIQRate;               // 208 samples/s
};

static_assert(sizeof(_TmSettingBlock_t) == 216, "settings block is a 216-byte wire record");
static_assert(alignof(_TmSettingBlock_t) == 8);
#define TM_CHECK_OFFSET(field, offset)                                   \
    static_assert(offsetof(_TmSettingBlock_t, field) == (offset),        \
                  "settings block field " #field " must sit at " #offset)
TM_CHECK_OFFSET(CaptureFreq, 0);
TM_CHECK_OFFSET(CaptureRange, 4);
TM_CHECK_OFFSET(CapturePreAmp, 8);
TM_CHECK_OFFSET(CaptureBW, 12);
TM_CHECK_OFFSET(CaptureLoopThrough, 16);
TM_CHECK_OFFSET(CaptureAGC, 20);
TM_CHECK_OFFSET(CaptureAGCSpeed, 24);
TM_CHECK_OFFSET(PlayFreq, 28);
TM_CHECK_OFFSET(PlayGain, 32);
TM_CHECK_OFFSET(PlayBW, 36);
TM_CHECK_OFFSET(PlayIQRate, 40);
TM_CHECK_OFFSET(PlayFileLength, 44);
TM_CHECK_OFFSET(PlayRepeatStart, 48);
TM_CHECK_OFFSET(PlayRepeatEnd, 52);
TM_CHECK_OFFSET(PlaySpecInv, 56);
TM_CHECK_OFFSET(RefClock, 60);
TM_CHECK_OFFSET(Trigger, 64);
TM_CHECK_OFFSET(Storage, 68);
TM_CHECK_OFFSET(DriveIndex, 72);
TM_CHECK_OFFSET(RunStatus, 76);
TM_CHECK_OFFSET(Reserved0, 80);
TM_CHECK_OFFSET(Connected, 96);
TM_CHECK_OFFSET(FpgaVer, 104);
TM_CHECK_OFFSET(DMASpeed, 108);
TM_CHECK_OFFSET(SerialNum, 112);
TM_CHECK_OFFSET(GPS, 124);
TM_CHECK_OFFSET(PlayModuleID, 128);
TM_CHECK_OFFSET(CaptureModuleID, 132);
TM_CHECK_OFFSET(CaptureSpectrumGainOffset, 136);
TM_CHECK_OFFSET(PlaySpectrumGainOffset, 140);
TM_CHECK_OFFSET(ResBW, 148);
TM_CHECK_OFFSET(CaptureStopType, 152);
TM_CHECK_OFFSET(CaptureTime, 156);
TM_CHECK_OFFSET(RemoteUpdateSpeed, 160);
TM_CHECK_OFFSET(PCBVersion, 164);
TM_CHECK_OFFSET(Generation, 168);
TM_CHECK_OFFSET(TriggerOutLevel, 172);
TM_CHECK_OFFSET(SystemMode, 176);
TM_CHECK_OFFSET(RecordIQRate, 180);
TM_CHECK_OFFSET(UpConvModuleID, 184);
TM_CHECK_OFFSET(PumpFpgaVer, 188);
TM_CHECK_OFFSET(DspNiosVer, 192);
TM_CHECK_OFFSET(AwgnEnable, 200);
TM_CHECK_OFFSET(AwgnSN, 204);
TM_CHECK_OFFSET(HDRadioIQRate, 208);
#undef TM_CHECK_OFFSET
