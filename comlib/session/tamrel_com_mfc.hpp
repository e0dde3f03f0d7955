#pragma once
// CTamrelComMFC: the session with the instrument, the one class the session library exports.
// The host creates one instance and keeps it for the life of the process. It holds the current
// settings, the worker threads and the queues between them, the sample buffer, the host's window
// handles and the UDP sockets.
//
// Thread-safety: the exported members are called from the host's thread; the session's own
// worker threads (console, follower, watchdog/status, UDP receive, player-remote API receive)
// call members too. The command queue has its own lock. Settings and state words are written
// mainly by the console thread and read by the other threads without a lock: each is a single
// aligned word (std::atomic where more than one thread writes it). The members that start and
// stop threads (BeginThread, TerminateAllThread, TmSetPowerOff, the destructor) are for the
// host's thread only.

#include <array>
#include <atomic>
#include <cstdint>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "comlib/console/command_queue.hpp"
#include "comlib/files/file_info.hpp"
#include "comlib/remote/packet.hpp"
#include "comlib/session/export.hpp"
#include "comlib/session/setting_store.hpp"
#include "comlib/stream/block_queue.hpp"
#include "comlib/stream/gps_line_queue.hpp"
#include "comlib/stream/second_meter.hpp"
#include "platform/fs/file.hpp"
#include "platform/fs/sample_reader.hpp"
#include "platform/fs/text_file_writer.hpp"
#include "platform/fs/unbuffered_writer.hpp"
#include "platform/host/host_window.hpp"
#include "platform/net/udp_socket.hpp"
#include "platform/serial/serial_port.hpp"
#include "platform/sys/event.hpp"
#include "platform/sys/thread.hpp"

struct sockaddr_in;
class CTamrelAPI;
struct TmPlayListEntry;

using HWND = platform::HWND;

// A drive letter as a number: 0 for A through 25 for Z.
enum _TmDriveLetterType_e : std::uint32_t {
    TM_DRIVE_A = 0,
    TM_DRIVE_C = 2,
    TM_DRIVE_D = 3,
    TM_DRIVE_E = 4,
    TM_DRIVE_Z = 25,
};

// The operating mode of the streaming engine.
enum TmMode_e : std::uint32_t {
    TM_MODE_INIT = 0,
    TM_MODE_PLAY = 1,
    TM_MODE_RECORD = 2,
    TM_MODE_PLAY_PREVIEW = 3,
    TM_MODE_RECORD_PREVIEW = 4,
    TM_MODE_BBR_RECORD = 5,
    TM_MODE_FULL_BAND_PREVIEW = 6,
    TM_MODE_HDRADIO = 7,
    TM_MODE_EVENT_RECORD = 8,
};

// Indices of the host's 24 static (status) windows.
enum TmStaticWinType_e : std::uint32_t {
    TM_STATIC_SN = 0,
    TM_STATIC_CONNECT = 1,
    TM_STATIC_MODE = 2,
    TM_STATIC_GPS = 3,
    TM_STATIC_RESERVED = 4,
    TM_STATIC_FPGA_VER = 5,
    TM_STATIC_DRIVE = 6,
    TM_STATIC_TOTAL = 7,
    TM_STATIC_FREE = 8,
    TM_STATIC_REF = 9,
    TM_STATIC_TRIGGER = 10,
    TM_STATIC_CAPTURE_FILE = 11,
    TM_STATIC_CAPTURE_FREQ = 12,
    TM_STATIC_CAPTURE_RANGE = 13,
    TM_STATIC_CAPTURE_PREAMP = 14,
    TM_STATIC_CAPTURE_BW = 15,
    TM_STATIC_CAPTURE_LOOP = 16,
    TM_STATIC_CAPTURE_AGC = 17,
    TM_STATIC_CAPTURE_AGC_SPEED = 18,
    TM_STATIC_PLAY_FILE = 19,
    TM_STATIC_PLAY_FREQ = 20,
    TM_STATIC_PLAY_GAIN = 21,
    TM_STATIC_PLAY_BW = 22,
    TM_STATIC_PLAY_SPECINV = 23,
    TM_STATIC_COUNT = 24,
};

// Remote update speed, 0 fastest to 6 slowest (4 is the slowest in use).
enum _TmRemoteUpdateSpeed_e : std::uint32_t {
    TM_REMOTE_UPDATE_SPEED_0 = 0,
    TM_REMOTE_UPDATE_SPEED_1 = 1,
    TM_REMOTE_UPDATE_SPEED_2 = 2,
    TM_REMOTE_UPDATE_SPEED_3 = 3,
    TM_REMOTE_UPDATE_SPEED_4 = 4,
    TM_REMOTE_UPDATE_SPEED_5 = 5,
    TM_REMOTE_UPDATE_SPEED_6 = 6,
};

// A four-part version: major in the highest byte, then minor, build and revision.
union _TmVer_u {
    std::uint32_t value;
    struct {
        std::uint8_t revision, build, minor, major;
    } part;
};

// The second-generation limit set: the ranges the second-generation commands accept in the
// current system mode.
struct Tm2LimitSet {
    std::uint32_t freq_min = 0, freq_max = 0;                  // Hz
    std::uint32_t record_iq_rate_min = 0, record_iq_rate_max = 0;  // samples/s
    std::int32_t record_range_min = 0, record_range_max = 0;    // 0.1 dBm
    std::int32_t play_gain_min = 0, play_gain_max = 0;          // 0.1 dB
    std::uint32_t fullband_start_min = 0, fullband_start_max = 0;  // Hz
    std::uint32_t fullband_stop_min = 0, fullband_stop_max = 0;    // Hz
};

// The event recorder's configuration.
struct Tm2EvtRecordConfig {
    int start_year = 0, start_month = 0, start_day = 0, start_hour = 0;
    std::uint32_t record_time_s = 0;
    std::uint64_t bytes_per_file = 0;
    std::uint32_t save_count = 0;
    std::uint64_t total_bytes = 0;
    std::uint32_t keep_count = 0;
};

// The result of the integer power sums: lane 0 sums the squares of the first component of every
// sample, lane 1 those of the second.
struct alignas(16) TmIQPowerSum_t {
    std::uint64_t lane[2];
};

// One sample file of a black-box or event set while it plays: its file descriptor (-1 when not
// open) and its size in bytes.
struct _TmMultiplePlayFileInfo_t {
    int FileHandle = -1;
    std::uint64_t SampleSize = 0;
};

class TM_EXPORT CTamrelComMFC {
public:
    // The library's own status codes.
    static constexpr unsigned kStatusRefused = 4096;          // mode change refused, index out of range
    static constexpr unsigned kStatusQueueFull = 6915;
    static constexpr unsigned kStatusStaticWinIndex = 6919;
    static constexpr unsigned kStatusIqwFile = 6916;         // sample file cannot be made or written
    static constexpr unsigned kStatusWpjFile = 6917;         // project file cannot be made
    static constexpr unsigned kStatusBlockQueueFull = 6922;  // the disk does not keep up
    static constexpr unsigned kStatusLowSpace = 6924;        // record refused: under 2 GB free
    static constexpr unsigned kStatusPlayFile = 6912;        // play file missing or not accepted
    static constexpr unsigned kStatusNotIdle = 6918;         // a play seek outside play or idle

    static constexpr std::size_t kBlockBytes = 1'048'576;                 // one DMA block
    static constexpr std::size_t kBlockSamples = kBlockBytes / 4;         // 262,144
    static constexpr std::size_t kRingBlocks = 500;

    static constexpr std::size_t kSampleBufferBytes = 524'288'000;  // 500 MiB
    static constexpr std::size_t kSampleBufferAlign = 4096;          // unbuffered writes need it
    static constexpr std::size_t kSampleBufferHugeAlign = 2 << 20;   // a huge page; a multiple of the above
    static constexpr std::size_t kPreviewBytes = 122'880;

    // ---- Lifecycle ---------------------------------------------------------------------------
    CTamrelComMFC();
    ~CTamrelComMFC();
    // A copy would share threads and sockets with the original: not allowed.
    CTamrelComMFC(const CTamrelComMFC&) = delete;
    CTamrelComMFC& operator=(const CTamrelComMFC&) = delete;

    void SetMainWndHandle(HWND window);
    unsigned TmComMFCInit();
    void TmFlagInit();
    void BeginThread();
    void TerminateAllThread();
    unsigned TmAllocBuffer();
    unsigned TmFreeBuffer();
    unsigned TmDeqInit();
    void TmSetPowerOff();

    // ---- Host notifications -----------------------------------------------------------------
    void TmStatusStrUpdate(const std::u16string& text);
    void TmCmdStrUpdate(const std::u16string& text);
    platform::LRESULT TmSendMessage(int message, unsigned wparam, long lparam);
    bool TmPostMessage(int message, unsigned wparam, long lparam);
    unsigned TmSetStaticWinID(unsigned index, HWND window);
    unsigned TmSetStaticWinText(unsigned index, const std::u16string& text);
    void SetExpireCount(unsigned count);
    unsigned GetExpireCount() const;
    void DecreaseExpireCount();
    void TmPlayCaptureModeStatusPrint(TmMode_e mode);
    void TmSetGraphInitTime(TmMode_e mode);
    void SetRemoteUpdateSpeed(_TmRemoteUpdateSpeed_e speed);
    void StartStop_ThreadCyclicControl(int start);
    unsigned TmGetDMASpeed(unsigned& speed);
    unsigned TmGetCaptureGain(float& gain_db);
    void TmSetCaptureSampleCnt(_TmBWType_e bandwidth);
    void TmSetPlaySampleCnt(unsigned rate);
    unsigned GetTotalRawBytesToFFT();
    short GetSearchRange(_TmBWType_e bandwidth, float level);
    _TmVer_u GetSWVer();

    // ---- Device opening ---------------------------------------------------------------------
    unsigned TmOpenDevice();
    unsigned Tm2InitMinMaxValueForSystemMode(_Tm2SystemMode_e mode);

    // ---- GPS --------------------------------------------------------------------------------
    int OpenSerial();
    int CloseSerial();
    int Tm2GPSOpen();

    // ---- Command queue ----------------------------------------------------------------------
    unsigned TmTypeEditAddCmd(const std::u16string& line);
    unsigned TmTypeEditAddCmdAPI(const std::u16string& line);
    unsigned TmSetClearCmd();

    // ---- UDP packet protocol ----------------------------------------------------------------
    int WinSockStartUp();
    int WinSockEnd();
    int CreateUDP_Socket();
    int CloseUDP_Socket();
    int CreateUDP_Socket_SupportAPI();
    int CloseUDP_Socket_SupportAPI();
    unsigned SendCmdData(unsigned long address, TM_CMD_ID_e cmd, TM_RW_ID_e rw, unsigned length,
                         const void* data);
    unsigned TmReturnAck(unsigned status, TM_CMD_ID_e cmd);
    unsigned TmReturnRW(TM_RW_ID_e rw, TM_CMD_ID_e cmd);
    unsigned TmErrorReport(unsigned status);
    unsigned SendRawData(const sockaddr_in* destination, const void* data, int length, int pace);
    unsigned FullBandSendRawData(const sockaddr_in* destination, const void* data, int length);
    // Turns a received packet into a console line; 0 when `line` is to be queued, 4096 when the
    // packet is refused.
    unsigned Convert_RemoteCmd2ConsoleCmd(std::u16string& line, _TmPacket_t* packet);
    // The black-box event request the last event packet (65) carried, zero-padded.
    static constexpr std::size_t kBlackBoxEventRequestBytes = 56;
    std::array<std::uint8_t, kBlackBoxEventRequestBytes> BlackBoxEventRequest() const;

    // ---- Streaming engine: the mode controller and the record and preview paths ------------
    // The only way in and out of a mode. action: 0 stop, 1 start, 2 pause, 3 resume (second
    // generation also 4 and 5, the HD Radio pause and resume). Safe to call from several threads:
    // calls are taken one at a time.
    unsigned TmPlayRecord(TmMode_e mode, int action);
    unsigned Tm2PlayRecord(TmMode_e mode, int action);
    unsigned TmRecord();
    unsigned Tm2Record();
    unsigned TmRecordPreview();
    unsigned Tm2RecordPreview();
    unsigned TmRecordFullBandPreview();
    unsigned Tm2RecordFullBandPreview();
    unsigned TmCloseRecordFile();
    void TmBeginThread_PushPop();
    void Tm2BeginThread_PushPop();
    void Tm2SetCaptureSampleCnt(unsigned samples);
    unsigned Tm2GetCaptureGain(float& gain_db);
    unsigned Tm2GetDMASpeed(unsigned& speed);
    // Power sums over `count` samples of interleaved 16-bit I/Q data, in groups of four samples
    // (count rounded up to a multiple of 4); each adds the samples it summed to the window count.
    // Forward: returns the address after the last group. FromLast: sums the samples just below
    // `data` and returns the lowest address summed.
    const short* TmIQSumPower(const short* data, unsigned count, TmIQPowerSum_t* result);
    const short* TmIQSumPowerFromLast(const short* data, unsigned count, TmIQPowerSum_t* result);
    const short* TmIQSumPowerDouble(const short* data, unsigned count, double result[2]);

    // ---- Play: opening a recording, the gain tables, the play path -------------------------
    unsigned TmCMDPlayFileProcess_WPJ(const std::u16string& project_path);
    unsigned TmCMDPlayFileProcess_BBR(const std::u16string& event_path);
    unsigned TmCMDPlayFileExProcess_WPJ(const std::u16string& project_path);
    unsigned TmCMDPlayFileExProcess_BBR(const std::u16string& event_path);
    unsigned Tm2CMDPlayFileExProcess_WPJ(const std::u16string& project_path);
    unsigned Tm2CMDPlayFileExProcess_BBR(const std::u16string& event_path);
    unsigned Tm2CMDPlayFileExProcess_WER(const std::u16string& event_path);
    unsigned TmPlayFileGetAllGainFromWPJFullPath(const std::u16string& project_path, double& max_power,
                                                 unsigned& max_position);
    unsigned TmPlayFileExGetAllGainFromWPJFullPath(const std::u16string& project_path, double& max_power,
                                                   unsigned& max_position);
    unsigned TmPlayFileExGetAllGainFromBBRFullPath(const std::u16string& event_path, double& max_power,
                                                   unsigned& max_position);
    unsigned TmPlayFileExGetAllGainFromWERFullPath(const std::u16string& event_path, double& max_power,
                                                   unsigned& max_position);
    unsigned TmPlayFileSelected(const _TmFileInfo_t* description);
    unsigned TmPlayFileSendFirstSpectrum(const std::u16string& sample_path);
    void TmCMDLogRequestProcess_WPJ(const std::u16string& project_path);
    void TmCMDLogRequestProcess_BBR();
    void TmCMDLogRequestProcess_WER();
    // Both gain tables with room for `entries` × 4 + 40 bytes, zero-filled; 0, or 4096 when the
    // count is beyond what a recording can hold.
    unsigned AllocPlayFileGainBuffer(unsigned entries);
    void FreePlayFileGainBuffer();
    unsigned TmGetMultiplePlayFileInfo(_TmMultiplePlayFileInfo_t* destination, unsigned index) const;
    void Tm2CmdPlayFileFullPath(const std::u16string& path);
    unsigned Tm2PlaySetLogGain(float gain_db);
    unsigned TmPlay();
    unsigned Tm2Play();
    unsigned TmPlayStart_WPJ(const std::u16string& sample_path);
    unsigned TmPlayStart_BBR();
    unsigned Tm2PlayStart_WER();
    unsigned TmPlayStop_WPJ();
    unsigned TmPlayStop_BBR();
    unsigned Tm2PlayStop_WPJ();
    unsigned Tm2PlayStop_BBR();
    unsigned Tm2PlayStop_WER();
    unsigned TmPlayPosition_BBR(std::uint64_t position);
    unsigned TmPlayPosition_WER(std::uint64_t position);

    // ---- Storage ----------------------------------------------------------------------------
    void TmCheckDrive(_TmDriveLetterType_e drive);
    void TmCheckCopyDrive(_TmDriveLetterType_e drive);
    void UpdateSSDSize();

    // ---- Read access for the host and tests -------------------------------------------------
    _TmSettingBlock_t SettingBlock() const;
    unsigned ConnectionState() const { return connection_state_.load(); }
    TmMode_e CurrentMode() const { return current_mode_.load(); }
    std::uint32_t HostAddress() const { return host_address_.load(); }
    std::uint16_t HostUdpPort() const { return host_udp_port_.load(); }
    std::uint32_t SearchRequesterAddress() const { return search_address_.load(); }
    unsigned UpdatePeriodMs() const { return update_period_ms_.load(); }
    unsigned DeviceCount() const { return device_count_.load(); }
    unsigned CaptureSampleCount(int which) const { return capture_sample_count_[which & 1].load(); }
    unsigned PlaySampleCount(int which) const { return play_sample_count_[which & 1].load(); }
    float CaptureGainDb() const { return capture_gain_db_.load(); }
    float CaptureIQPowerOffset() const { return capture_iq_power_offset_.load(); }
    short PlayOffsetGain() const { return play_offset_gain_.load(); }
    short PlayOffsetGainFromDac() const { return play_offset_gain_dac_.load(); }
    unsigned Direction() const { return direction_.load(); }
    Tm2LimitSet LimitSet() const { return limits_; }
    Tm2EvtRecordConfig EvtRecordConfig() const { return evt_config_; }
    std::u16string CaptureFilePath() const;
    std::u16string CaptureProjectPath() const;
    // The recording last opened for play: its description and the paths TmPlay uses.
    _TmFileInfo_t PlayFileInfo() const;
    std::u16string PlaySamplePath() const;
    std::u16string PlayProjectPath() const;
    std::uint32_t PlayElapsedSeconds() const { return play_elapsed_s_.load(); }
    std::uint64_t PlayRepeatStartByte() const { return play_repeat_start_byte_.load(); }
    std::uint64_t PlayRepeatEndByte() const { return play_repeat_end_byte_.load(); }
    float PlayFileGainDb() const { return play_file_gain_db_.load(); }
    // The play gain range last reported, 0.1 dB: maximum, minimum.
    std::int32_t PlayGainRangeMax() const { return play_gain_range_max_.load(); }
    std::int32_t PlayGainRangeMin() const { return play_gain_range_min_.load(); }
    std::uint32_t LogPosition() const { return log_position_.load(); }
    const void* SampleBuffer() const { return sample_buffer_; }
    std::size_t CommandQueueLength() const { return command_queue_.size(); }
    int DriveTotalGB() const { return drive_total_gb_.load(); }
    int DriveFreeGB() const { return drive_free_gb_.load(); }
    int DriveUsedGB() const { return drive_used_gb_.load(); }
    unsigned LowSpace() const { return low_space_.load(); }
    unsigned RunStatus() const { return setting_.get(&_TmSettingBlock_t::RunStatus); }
    // Gain lines measured since the data threads were last launched.
    std::uint32_t MeasuredSeconds() const { return meter_.seconds(); }
    std::size_t BlockQueueLength() const;
    bool DataThreadsRunning() const;
    // The bytes of a raw buffer one SendRawData call may send (kept by the spectrum size).
    void SetRawDataLimit(unsigned bytes) { raw_data_limit_.store(bytes); }
    // The threads the session started that are still running (0 after shut-down).
    unsigned RunningThreadCount() const;

    // What a command handler is given: the whole line, the command word and where it ends, and
    // the row the word selected (also the identifier of the packets that answer it).
    struct CommandContext {
        std::u16string_view line;
        std::u16string_view word;
        std::size_t word_end;
        TM_CMD_ID_e row;
    };
    using CommandHandler = void (CTamrelComMFC::*)(const CommandContext&);

private:
    friend struct CTamrelComMFCTestPeer;

    // The handler of a table row, or null for rows the string commands answer.
    static CommandHandler command_handler(std::size_t row);
    // The usage reply: the read-form help line, then the write-form help line.
    void send_usage(const char16_t* read_help, const char16_t* write_help);

    // Command handlers (console/*_commands.cpp).
    void cmd_search(const CommandContext& context);
    void cmd_connect(const CommandContext& context);
    void cmd_disconnect(const CommandContext& context);
    void cmd_syncdata(const CommandContext& context);
    void cmd_record(const CommandContext& context);
    void cmd_preview(const CommandContext& context);
    void cmd_t2record(const CommandContext& context);
    void cmd_t2preview(const CommandContext& context);
    void cmd_capturestoptype(const CommandContext& context);
    void cmd_capturetime(const CommandContext& context);
    void cmd_capturebw(const CommandContext& context);
    void cmd_t2recordiqrate(const CommandContext& context);
    void cmd_play(const CommandContext& context);
    void cmd_remoteupdatespeed(const CommandContext& context);
    void cmd_resbw(const CommandContext& context);
    void cmd_capturegain(const CommandContext& context);
    void cmd_capturefreq(const CommandContext& context);
    void cmd_capturerange(const CommandContext& context);
    void cmd_autorange(const CommandContext& context);
    void cmd_captureamp(const CommandContext& context);
    void cmd_captureloop(const CommandContext& context);
    void cmd_captureagc(const CommandContext& context);
    void cmd_captureagcspeed(const CommandContext& context);
    void cmd_playfreq(const CommandContext& context);
    void cmd_playgain(const CommandContext& context);
    void cmd_arb(const CommandContext& context);
    void cmd_playspecinv(const CommandContext& context);
    void cmd_extclk(const CommandContext& context);
    void cmd_trigger(const CommandContext& context);
    void cmd_modechange(const CommandContext& context);
    // The capture gain read from the board (the last one known when the read fails), as a
    // status line made with `format` ("%.1f" for the dB value).
    void report_capture_gain(const char16_t* format);
    // With loop-through on, the play path compensates the capture gain.
    void compensate_loop_through();
    // The range on the board and in the block, the range read back (with `range_format`) and
    // the capture gain it gives.
    void set_capture_range(short range, const char16_t* range_format);
    void cmd_playpause(const CommandContext& context);
    void cmd_playresume(const CommandContext& context);
    void cmd_pp(const CommandContext& context);
    void cmd_playrepeat(const CommandContext& context);
    void cmd_t2play(const CommandContext& context);
    void cmd_t2playpause(const CommandContext& context);
    void cmd_t2playresume(const CommandContext& context);
    void cmd_t2pp(const CommandContext& context);
    void cmd_t2playrepeat(const CommandContext& context);
    void cmd_playfile(const CommandContext& context);
    void cmd_playfileex(const CommandContext& context);
    void cmd_t2playfile(const CommandContext& context);
    void cmd_logrequest(const CommandContext& context);
    void cmd_folderlist(const CommandContext& context);
    void cmd_filelist(const CommandContext& context);
    // The play-file commands: `which` 0 "playfile", 1 "playfileex", 2 "t2playfile".
    void play_file_command(const CommandContext& context, int which);
    // Seek and repeat-range changes of both generations ("pp", "playrepeat", "t2pp", ...).
    void play_seek_command(const CommandContext& context, bool second);
    void play_repeat_command(const CommandContext& context, bool second);
    // Moves play to whole second `seconds`: while play runs the data threads are stopped, the
    // positions set and the threads started again; while paused or idle only the elapsed seconds
    // change (the positions follow at resume or start). 0, or 6918 in any other mode.
    unsigned play_seek(bool second, std::uint32_t seconds);
    // A mode command: read form prints the current mode; 1 stops what runs and starts `mode`,
    // 0 stops `mode`, each through the controller of the generation the command belongs to.
    void mode_command(const CommandContext& context, bool second, TmMode_e mode, const char16_t* read_help,
                      const char16_t* write_help);

    // Thread bodies.
    void console_thread();
    void follower_thread();
    void status_thread();
    void udp_receive_thread();
    void api_receive_thread();

    void execute_line(const std::u16string& line);
    using DatagramHandler = void (CTamrelComMFC::*)(std::uint8_t* buffer, std::size_t size,
                                                    std::uint32_t source_be);
    // A receive thread's body: create and bind the socket, then hand each datagram to `handle`
    // until the session stops or the socket is closed.
    void receive_loop(platform::UdpSocket& socket, int (CTamrelComMFC::*create)(), DatagramHandler handle);
    // Opens `socket` and binds it to the session's port `base_port` (with the process's offset);
    // 0, or which of the two failed.
    static constexpr int kSocketOpenFailed = 1;
    static constexpr int kSocketBindFailed = 2;
    int open_bound(platform::UdpSocket& socket, std::uint16_t base_port);
    void handle_received_packet(std::uint8_t* buffer, std::size_t size, std::uint32_t source_be);
    void handle_api_request(std::uint8_t* buffer, std::size_t size, std::uint32_t source_be);
    // A remote connect takes the session's connect slot (false when a host is attached or
    // another connect waits for the console); "connect" then attaches that host.
    bool claim_connect(std::uint32_t address_be, std::uint16_t port);
    void keep_black_box_event_request(const std::uint8_t* data, std::size_t size);
    unsigned send_raw_chunks(const sockaddr_in* destination, const void* data, int length,
                             std::uint32_t cmd, bool pace);
    void run_string_command(const std::u16string& word, const std::u16string& line,
                            std::size_t word_end);
    void send_status(const char16_t* text);
    bool stop_requested() const { return stop_flag_.load(std::memory_order_acquire); }
    void join_all_threads();
    unsigned default_update_period() const;
    // Sleeps up to `ms`, returning early (false) when the session stops.
    bool idle_for(unsigned ms);
    // The sample rate the update period (and, with `full_band_as_capture`, the spectrum size)
    // follows: play rate, capture rate, or 10 MS/s for any other direction.
    unsigned direction_rate(bool full_band_as_capture = false) const;
    void follower_pass();
    void status_pass();
    void watchdog_pass();
    // Stops the current operating mode with the mode controller of the device's generation.
    void stop_current_mode();

    // Streaming engine internals.
    bool second_generation() const { return setting_.get(&_TmSettingBlock_t::Generation) >= 2; }
    unsigned start_mode(bool second, TmMode_e mode);
    unsigned stop_mode(bool second, TmMode_e mode);
    unsigned pause_play(bool second);
    unsigned resume_play(bool second, TmMode_e mode);
    unsigned pause_hd_radio();
    unsigned resume_hd_radio(TmMode_e mode);
    void stop_capture(bool second);
    void finish_record(bool second, TM_CMD_ID_e packet, const char16_t* status_line);
    void finish_preview(bool second, TM_CMD_ID_e packet, const char16_t* status_line);
    void send_mode_packet(TM_CMD_ID_e packet);
    void set_run_status(unsigned status);
    bool launch_data_threads(bool second);
    // Clears the run flag and waits until both data threads have ended.
    void stop_data_threads();
    void fill_ring();
    std::uint8_t* ring_block(std::size_t index) const { return sample_buffer_ + index * kBlockBytes; }
    unsigned start_record(bool second);
    // Puts the session's capture rate (bandwidth or record I/Q rate) on the board and sets the
    // sample counts from it; the samples per second in force.
    unsigned apply_capture_rate(bool second);
    unsigned start_preview(bool second, TmMode_e mode);
    // The DMA speed / capture gain getters of both generations: `read` is the device call.
    unsigned read_dma_speed(unsigned (CTamrelAPI::*read)(unsigned&) const, unsigned& speed);
    unsigned read_capture_gain(unsigned (CTamrelAPI::*read)(short&) const, float& gain_db);
    // Reads one block from the capture DMA of the generation; true when a whole block arrived.
    bool read_capture_block(bool second, std::uint8_t* block);
    void capture_push_thread(bool second, TmMode_e mode);
    void capture_pop_thread(bool second, TmMode_e mode);
    // One completed second: the gain line, its GPS sentence (the newest queued, else the last
    // one of this launch) and the DMA speed, to the project file (when `to_file`) and the host.
    // False when the capture-time limit is reached.
    bool report_second(bool second, std::uint64_t power_sum, std::uint32_t number, bool to_file,
                       std::u16string& last_sentence);
    void copy_preview(const std::uint8_t* block);
    // The newest sentence of the GPS receiver, emptied by the call; empty when none arrived.
    std::u16string take_newest_gps_sentence();
    // Write failure of the sample file: stop writing, keep what is on disk whole, tell the host.
    void sample_write_failed();
    // The record names to use: the operator's override pair, else a fresh capture path.
    void choose_record_names(std::u16string& sample, std::u16string& project);
    void prepare_next_record_names();
    // A fresh generated name pair on the record drive, stored as the capture paths.
    void renew_capture_names();
    // Waits up to `ms` unless the data threads are told to stop.
    void data_wait(unsigned ms);
    // Play internals (stream/play_*.cpp, files/play_open*.cpp).
    enum class PlayOpener { play_file, play_file_ex, second };
    // The row whose acknowledgement an opener sends: the command that called it.
    static TM_CMD_ID_e play_open_row(PlayOpener opener);
    // Opens a project file, black-box set or event set (`kind`, _TmFileKind_e) for play.
    unsigned open_for_play(PlayOpener opener, const std::u16string& path, int kind);
    // Both gain tables from the gain lines of `projects` read one after another, at most one line
    // more than the selected recording's seconds; the loudest second by its TIME field, or by
    // its count of lines across the files (`position_by_count`, for sets).
    unsigned fill_gain_tables(const std::vector<std::u16string>& projects, bool position_by_count,
                              double& max_power, unsigned& max_position);
    unsigned set_play_hardware(PlayOpener opener, double max_power, unsigned max_position);
    // The gain log: every line of a project file at once, or one page at a time.
    struct LogPage {
        std::uint32_t start = 0;      // gain lines sent by earlier pages
        std::uint32_t position = 0;   // gain lines sent, this page included
        std::uint32_t gain_seen = 0;  // gain lines walked, across the files of a set
        unsigned sent = 0;            // lines sent by this page
        bool skip_gps = false;        // the sentence after gain line `start` was sent already
        bool last_was_gps = false;
    };
    void send_log_line(const std::u16string& line, bool gain);
    void send_recorded_lines(const std::u16string& project_path, std::size_t gain_limit);
    LogPage begin_log_page() const;
    // False when the file cannot be read.
    bool page_log_file(const std::u16string& project_path, LogPage& page, bool renumber);
    void finish_log_page(const LogPage& page);
    void log_request_set(const std::vector<TmPlayListEntry>& files);
    unsigned start_play(bool second);
    unsigned open_set_files(const std::vector<TmPlayListEntry>& files);
    void close_play_files();
    unsigned finish_play(bool second);
    // Moves the push side to byte `position` of the recording (the file of a set that holds it).
    void play_reposition(std::uint64_t position);
    unsigned position_in_set(std::uint64_t position);
    std::uint64_t play_bytes_per_second() const;
    // A seek or repeat change while play runs: the data threads are stopped and the board's play
    // DMA with them (halt), then play goes on from byte `position` (relaunch).
    void halt_play_threads(bool second);
    void relaunch_play_at(bool second, std::uint64_t position);
    // Both positions from the elapsed seconds, and the push side moved there.
    void position_play_at_elapsed();
    // Fills one ring block from the recording, wrapping at the repeat end and moving on across
    // the files of a set; false when the block is to be dropped.
    bool fill_play_block(std::uint8_t* block);
    void play_push_thread(bool second);
    void play_pop_thread(bool second);
    void count_played_block(bool second);
    void send_elapsed_seconds();

    // Host windows.
    std::atomic<HWND> main_window_{nullptr};
    std::atomic<HWND> static_windows_[TM_STATIC_COUNT] = {};

    // Settings block and the session state beside it.
    SettingStore setting_;
    std::atomic<unsigned> local_monitor_{0};
    std::atomic<unsigned> connection_state_{0};
    std::atomic<unsigned> remote_monitor_{1};
    std::atomic<TmMode_e> current_mode_{TM_MODE_INIT};
    std::atomic<unsigned> direction_{1};  // 1 capture, 0 play, 3 third board mode
    std::atomic<std::uint32_t> search_address_{0};
    std::atomic<std::uint32_t> host_address_{0};
    std::atomic<std::uint16_t> host_udp_port_{0};
    // A remote connect waiting for the console: its host, applied only when "connect" succeeds.
    std::atomic<unsigned> connect_pending_{0};
    std::atomic<std::uint32_t> pending_host_address_{0};
    std::atomic<std::uint16_t> pending_host_port_{0};
    mutable std::mutex bbr_event_mutex_;
    std::array<std::uint8_t, kBlackBoxEventRequestBytes> bbr_event_request_{};
    mutable std::mutex path_mutex_;  // guards the path strings below
    std::u16string capture_file_path_;
    std::u16string capture_project_path_;
    // The operator's names for the next recording ("capturefile"); empty when none. TmRecord
    // uses them instead of the generated pair, and stopping a recording clears them, so the
    // drive check that renews the generated names cannot overwrite the operator's choice.
    std::u16string capture_file_override_;
    std::u16string capture_project_override_;
    std::u16string play_file_path_;
    std::atomic<unsigned> expire_count_{60};
    std::atomic<int> drive_total_gb_{0};
    std::atomic<int> drive_free_gb_{0};
    std::atomic<int> drive_used_gb_{0};
    std::atomic<unsigned> low_space_{0};
    std::atomic<float> capture_gain_db_{0.0F};
    std::atomic<unsigned> capture_sample_count_[2] = {};
    std::atomic<unsigned> play_sample_count_[2] = {};
    // Follower state.
    std::uint32_t last_gain_apply_tick_ = 0;   // follower thread only
    std::atomic<float> last_play_file_gain_{0.0F};  // follower's copy; the openers set it too
    std::atomic<unsigned> trigger_seen_{0};
    std::atomic<float> play_file_gain_db_{0.0F};   // captured gain at the play position
    std::atomic<unsigned> play_file_agc_{0};       // the selected play file was recorded with AGC
    // Preview hand-over between the data path and the status thread: the status thread asks
    // (request 1), a data thread copies a block's start and says so (request 0, ready 1).
    std::atomic<unsigned> preview_enable_{1};
    std::atomic<unsigned> preview_request_{1};
    std::atomic<unsigned> preview_ready_{0};
    std::atomic<unsigned> fullband_request_{1};
    std::atomic<unsigned> fullband_segment_{0};
    std::uint32_t last_drive_report_tick_ = 0;     // status thread only
    std::atomic<unsigned> preview_size_{kPreviewBytes};
    std::atomic<unsigned> debug_{0};
    std::atomic<unsigned> device_count_{0};
    std::atomic<unsigned> update_period_ms_{0};
    std::atomic<unsigned> api_in_control_{0};
    std::atomic<unsigned> raw_data_limit_{kPreviewBytes};

    // Calibration values kept outside the block, the limit set and the event recorder's
    // configuration (written by the console thread while no mode runs).
    std::atomic<float> capture_iq_power_offset_{0.0F};
    std::atomic<short> play_offset_gain_{0};
    std::atomic<short> play_offset_gain_work_{0};
    std::atomic<short> play_offset_gain_dac_{0};
    Tm2LimitSet limits_;
    Tm2EvtRecordConfig evt_config_;

    // Streaming engine. The mode controller runs one call at a time (mode_mutex_); the data
    // threads share with it only the run flag and the block queue.
    std::mutex mode_mutex_;
    std::atomic<unsigned> data_run_{0};
    platform::Event data_stop_event_{platform::Event::Reset::manual};
    platform::Thread push_thread_;
    platform::Thread pop_thread_;
    BlockQueue block_queue_{kRingBlocks};
    GpsLineQueue gps_lines_;
    SecondMeter meter_;
    std::atomic<unsigned> gps_accept_{0};       // the GPS receiver hands sentences to a recording
    std::atomic<unsigned> record_writing_{0};   // the pop thread still writes the sample file
    std::uint32_t last_queue_full_tick_ = 0;    // push thread only
    // Record files; the pop thread writes them while a recording runs, the controller opens
    // and closes them while no data thread runs.
    platform::UnbufferedWriter sample_file_;
    platform::TextFileWriter project_file_;
    // Play state the pause and resume actions keep (the play path fills it).
    std::atomic<std::uint32_t> play_elapsed_s_{0};
    std::atomic<std::uint64_t> play_start_offset_{0};
    std::atomic<std::uint64_t> play_pop_position_{0};
    std::atomic<std::uint64_t> play_push_position_{0};
    std::atomic<int> play_file_kind_{0};     // 0 project file, 1 black-box set, 5 event set
    platform::SampleReader play_file_;
    std::atomic<std::uint64_t> play_bytes_per_second_{0};
    std::atomic<std::uint64_t> play_bytes_this_second_{0};
    std::atomic<double> hd_radio_bytes_per_second_{0.0};
    std::atomic<double> hd_radio_bytes_this_second_{0.0};
    std::atomic<unsigned> hd_radio_block_selector_{0};
    // The recording selected for play (written by the openers while idle), its gain and power
    // tables (read by the pop thread while playing), the repeat range in bytes, and the play
    // files held open while playing: one for a project file, one per file for a set.
    _TmFileInfo_t play_file_info_{};
    std::u16string play_sample_path_;    // under path_mutex_
    std::u16string play_project_path_;   // under path_mutex_
    std::vector<float> play_gain_table_;
    std::vector<float> play_power_table_;
    std::atomic<std::uint64_t> play_repeat_start_byte_{0};
    std::atomic<std::uint64_t> play_repeat_end_byte_{0};
    std::atomic<std::int32_t> play_gain_range_max_{300};
    std::atomic<std::int32_t> play_gain_range_min_{-300};
    std::atomic<std::uint32_t> log_position_{0};
    std::atomic<bool> log_gps_sent_{false};
    std::vector<platform::SampleReader> play_set_files_;               // a set's files, in set order
    std::vector<_TmMultiplePlayFileInfo_t> play_set_info_;     // their descriptors and sizes
    platform::SampleReader* play_current_ = nullptr;   // the file the push thread reads (push thread)
    std::size_t play_index_ = 0;               // index of that file in a set (push thread)

    // Queues and buffers.
    CommandQueue command_queue_;
    std::uint8_t* sample_buffer_ = nullptr;
    alignas(16) std::uint8_t preview_buffer_[kPreviewBytes] = {};

    // The first generation's GPS receiver port.
    std::unique_ptr<platform::SerialPort> gps_port_;
    std::atomic<unsigned> gps_run_{0};

    // Sockets.
    platform::UdpSocket udp_socket_;
    platform::UdpSocket api_socket_;
    std::mutex socket_mutex_;  // guards creating and closing the two sockets

    // Threads, and the flags that stop them.
    platform::Thread console_;
    platform::Thread follower_;
    platform::Thread status_;
    platform::Thread udp_receive_;
    platform::Thread api_receive_;
    std::atomic<bool> stop_flag_{false};
    std::atomic<bool> follower_stop_{false};
    platform::Event stop_event_{platform::Event::Reset::manual};
    platform::Event follower_stop_event_{platform::Event::Reset::manual};
};
