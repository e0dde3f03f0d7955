// Construction, destruction, buffers and power-off of the session.

#include <sys/mman.h>

#include <cstdlib>
#include <cstring>
#include <new>

#include "comlib/session/device.hpp"
#include "comlib/session/tamrel_com_mfc.hpp"
#include "platform/sys/time.hpp"
#include "tamrelapi/plx_io.hpp"

namespace {
// First-generation board register that switches the instrument off.
constexpr unsigned kPowerRegisterSpace = 1;
constexpr unsigned kPowerRegister = 0x8004;
constexpr unsigned kPowerOffBit = 0x100;
}  // namespace

CTamrelComMFC::CTamrelComMFC()
    : last_gain_apply_tick_(platform::tick_ms()), last_drive_report_tick_(platform::tick_ms()) {
    WinSockStartUp();
    TmFlagInit();
    TmAllocBuffer();
    TmDeqInit();
}

CTamrelComMFC::~CTamrelComMFC() {
    TerminateAllThread();
    // A thread that outlived its bounded wait in TerminateAllThread is joined here: nothing the
    // threads use is freed while one of them still runs, and none survives the session.
    join_all_threads();
    // A recording still open when the session ends keeps what it wrote.
    TmCloseRecordFile();
    TmFreeBuffer();
    TmDeqInit();
}

void CTamrelComMFC::SetMainWndHandle(HWND window) { main_window_.store(window); }

unsigned CTamrelComMFC::TmComMFCInit() { return 0; }

unsigned CTamrelComMFC::TmAllocBuffer() {
    // The caller frees a held buffer first; a second allocation would otherwise leak the first.
    if (sample_buffer_ != nullptr) return 0;
    void* buffer = std::aligned_alloc(kSampleBufferHugeAlign, kSampleBufferBytes);
    sample_buffer_ = static_cast<std::uint8_t*>(buffer);
    if (sample_buffer_ != nullptr) {
        // Huge pages where the system offers them: every block moved to or from the disk
        // bypasses the page cache, and the kernel pins the ring's pages for each transfer; 2 MiB
        // pages make that a fraction of the work. Only advice: without it the ring works the same.
        (void)::madvise(sample_buffer_, kSampleBufferBytes, MADV_HUGEPAGE);
    }
    if (sample_buffer_ == nullptr) {
        // Record, play and preview refuse to start without the buffer; say why once.
        send_status(u"Sample buffer allocation failed (500 MiB)");
    }
    return 0;
}

unsigned CTamrelComMFC::TmFreeBuffer() {
    std::free(sample_buffer_);
    sample_buffer_ = nullptr;
    return 0;
}

unsigned CTamrelComMFC::TmDeqInit() {
    command_queue_.clear();
    return 0;
}

void CTamrelComMFC::TmSetPowerOff() {
    if (setting_.get(&_TmSettingBlock_t::Generation) < 2) {
        unsigned value = 0;
        if (gc_PLXIO.read_reg(kPowerRegisterSpace, kPowerRegister, value) == 0) {
            gc_PLXIO.write_reg(kPowerRegisterSpace, kPowerRegister, value | kPowerOffBit);
        }
    } else {
        tm_device().Tm2PowerOffLED();
    }
    if (connection_state_.load() == 2) {
        stop_current_mode();
        connection_state_.store(0);
    }
    TerminateAllThread();
    join_all_threads();
    TmCloseRecordFile();
    TmFreeBuffer();
    TmDeqInit();
}

_TmSettingBlock_t CTamrelComMFC::SettingBlock() const { return setting_.snapshot(); }

std::u16string CTamrelComMFC::CaptureFilePath() const {
    std::lock_guard lock(path_mutex_);
    return capture_file_path_;
}

std::u16string CTamrelComMFC::CaptureProjectPath() const {
    std::lock_guard lock(path_mutex_);
    return capture_project_path_;
}
