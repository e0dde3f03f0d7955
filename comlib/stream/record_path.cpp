// Starting and ending a single recording: names, the sample and project files, the board start,
// and the sample counts the measurement runs on.
//
// A recording never overwrites another: both files are created exclusively. A file that cannot
// be made fails the start with nothing left behind (the files made by this start are removed),
// and the board is not started.

#include "comlib/files/capture_name.hpp"
#include "comlib/files/project_lines.hpp"
#include "comlib/files/file_names.hpp"
#include "comlib/session/device.hpp"
#include "comlib/session/tamrel_com_mfc.hpp"
#include "platform/fs/drive_table.hpp"
#include "platform/fs/file_ops.hpp"
#include "platform/sys/time.hpp"
#include "platform/text/format.hpp"

namespace {

constexpr unsigned kFifoSettleMs = 200;

// Creates the sample file (never replacing one), then opens it again for unbuffered writing.
platform::Result<platform::UnbufferedWriter> create_sample_file(const std::string& posix_path) {
    auto created = platform::File::open(posix_path, platform::FileMode::create_new);
    if (!created) return created.status();
    if (platform::Status closed = created->close(); !closed) return closed;
    return platform::UnbufferedWriter::open(posix_path, platform::UnbufferedWriter::Open::existing);
}

}  // namespace

unsigned CTamrelComMFC::TmRecord() { return start_record(false); }

unsigned CTamrelComMFC::Tm2Record() { return start_record(true); }

void CTamrelComMFC::choose_record_names(std::u16string& sample, std::u16string& project) {
    std::lock_guard lock(path_mutex_);
    if (!capture_file_override_.empty()) {
        sample = capture_file_override_;
        project = capture_project_override_.empty() ? project_path_of(sample)
                                                    : capture_project_override_;
    } else {
        sample = capture_file_path_;
        project = capture_project_path_;
    }
}

void CTamrelComMFC::prepare_next_record_names() {
    renew_capture_names();
    std::lock_guard lock(path_mutex_);
    capture_file_override_.clear();
    capture_project_override_.clear();
}

unsigned CTamrelComMFC::start_record(bool second) {
    if (sample_buffer_ == nullptr) return kStatusRefused;  // said once, when allocation failed
    TmCheckDrive(static_cast<_TmDriveLetterType_e>(setting_.get(&_TmSettingBlock_t::DriveIndex)));
    std::u16string sample;
    std::u16string project;
    choose_record_names(sample, project);
    const std::u16string sample_name = file_name(sample);
    send_status(platform::format(u"R-IQW(%s)", sample_name).c_str());
    send_status(platform::format(u"R-WPJ(%s)", file_name(project)).c_str());
    TmSetStaticWinText(TM_STATIC_CAPTURE_FILE, sample_name);
    const std::u16string title = file_title(sample);
    SendCmdData(host_address_.load(), TM_CMD_CAPTUREFILE, TM_RW_FILE_NAME,
                static_cast<unsigned>(title.size() * sizeof(char16_t)), title.data());

    const platform::DriveTable& drives = platform::process_drives();
    auto sample_posix = drives.resolve(sample);
    auto project_posix = drives.resolve(project);
    platform::Result<platform::UnbufferedWriter> sample_file =
        sample_posix ? create_sample_file(*sample_posix) : platform::Result<platform::UnbufferedWriter>(sample_posix.status());
    if (!sample_file) {
        send_status(u"IQW File Create Error");
        return kStatusIqwFile;
    }
    auto project_file = project_posix
                            ? platform::TextFileWriter::open(*project_posix, platform::TextFileWriter::Open::create_new)
                            : platform::Result<platform::TextFileWriter>(project_posix.status());
    if (!project_file) {
        (void)sample_file->close(platform::CloseSync::no_sync);
        (void)platform::delete_file(drives, sample);  // empty, made by this start
        send_status(u"WPJ File Create Error");
        return kStatusWpjFile;
    }
    sample_file_ = std::move(*sample_file);
    project_file_ = std::move(*project_file);

    fill_ring();
    const unsigned rate = apply_capture_rate(second);
    (void)project_file_.write(project_header_line(sample_name, rate, second,
                                                  setting_.get(&_TmSettingBlock_t::CaptureFreq),
                                                  static_cast<int>(setting_.get(&_TmSettingBlock_t::CaptureAGC))));
    (void)project_file_.flush();

    gps_accept_.store(1);
    unsigned started = 0;
    if (second) {
        current_mode_.store(TM_MODE_RECORD);
        tm_device().Tm2SetDMAInitCtrl(true, 0);
        if (!launch_data_threads(true)) {
            started = kStatusRefused;
        } else {
            started = tm_device().Tm2Start();
            if (started != 0) stop_data_threads();
        }
    } else {
        tm_device().FifoReset();
        platform::sleep_ms(kFifoSettleMs);
        started = tm_device().Start();
        if (started == 0) {
            current_mode_.store(TM_MODE_RECORD);
            if (!launch_data_threads(false)) started = kStatusRefused;
        }
    }
    if (started != 0) {
        // The board did not start: no recording, and no files that look like one.
        gps_accept_.store(0);
        if (second) tm_device().Tm2Stop(); else tm_device().Stop();
        current_mode_.store(TM_MODE_INIT);
        TmCloseRecordFile();
        (void)platform::delete_file(drives, sample);
        (void)platform::delete_file(drives, project);
        send_status(u"Record Start Fail");
        return started;
    }
    return 0;
}

unsigned CTamrelComMFC::apply_capture_rate(bool second) {
    // The rate commands only store a new rate while idle; it reaches the board here, so that the
    // board delivers the rate the measurement and the header assume.
    if (second) {
        unsigned rate = setting_.get(&_TmSettingBlock_t::RecordIQRate);
        if (tm_device().Tm2RecordSetIQRate(rate) != 0 && tm_device().Tm2RecordGetIQRate(rate) == 0) {
            setting_.set(&_TmSettingBlock_t::RecordIQRate, rate);  // the board kept its own
        }
        Tm2SetCaptureSampleCnt(rate);
        return rate;
    }
    const std::uint32_t bandwidth = setting_.get(&_TmSettingBlock_t::CaptureBW);
    (void)tm_device().CaptureSetBW(bandwidth);
    TmSetCaptureSampleCnt(static_cast<_TmBWType_e>(bandwidth));
    return capture_sample_count_[0].load();
}

unsigned CTamrelComMFC::TmCloseRecordFile() {
    if (sample_file_.is_open()) (void)sample_file_.close(platform::CloseSync::sync);
    if (project_file_.is_open()) (void)project_file_.close();
    record_writing_.store(0);
    return 0;
}

void CTamrelComMFC::Tm2SetCaptureSampleCnt(unsigned samples) {
    capture_sample_count_[0].store(samples);
    capture_sample_count_[1].store(samples * 2);
}
