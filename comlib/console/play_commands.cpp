// The commands that drive play from the console: start and stop (play, t2play), pause and
// resume, the seek to a second (pp, t2pp) and the repeat range (playrepeat, t2playrepeat).
//
// A seek or a new repeat range while play runs stops the data threads first, changes the
// positions and starts them again, under the controller's lock, so that no other stop or start
// runs in between. Seeks and ranges outside the recording are refused.

#include "comlib/console/command_line.hpp"
#include "comlib/session/tamrel_com_mfc.hpp"
#include "platform/text/format.hpp"
#include "platform/text/scan.hpp"

namespace {
constexpr unsigned kRunPlaying = 8;
}  // namespace

void CTamrelComMFC::cmd_play(const CommandContext& context) {
    mode_command(context, false, TM_MODE_PLAY, u"Usage(read) : play", u"Usage(write) : play [0/1](Stop/Start)");
}

void CTamrelComMFC::cmd_t2play(const CommandContext& context) {
    mode_command(context, true, TM_MODE_PLAY, u"Usage(read) : t2play", u"Usage(write) : t2play [0/1](Stop/Start)");
}

void CTamrelComMFC::cmd_playpause(const CommandContext&) {
    if (const unsigned result = TmPlayRecord(TM_MODE_PLAY, 2)) TmErrorReport(result);
}

void CTamrelComMFC::cmd_playresume(const CommandContext&) {
    if (const unsigned result = TmPlayRecord(TM_MODE_PLAY, 3)) TmErrorReport(result);
}

void CTamrelComMFC::cmd_t2playpause(const CommandContext&) {
    if (const unsigned result = Tm2PlayRecord(TM_MODE_PLAY, 2)) TmErrorReport(result);
}

void CTamrelComMFC::cmd_t2playresume(const CommandContext&) {
    if (const unsigned result = Tm2PlayRecord(TM_MODE_PLAY, 3)) TmErrorReport(result);
}

unsigned CTamrelComMFC::play_seek(bool second, std::uint32_t seconds) {
    std::lock_guard lock(mode_mutex_);
    const TmMode_e mode = current_mode_.load();
    if (mode == TM_MODE_INIT) {
        play_elapsed_s_.store(seconds);
        return 0;
    }
    if (mode != TM_MODE_PLAY) return kStatusNotIdle;
    if (RunStatus() != kRunPlaying) {
        // Paused: resume starts from the elapsed second.
        play_elapsed_s_.store(seconds);
        return 0;
    }
    halt_play_threads(second);
    play_elapsed_s_.store(seconds);
    relaunch_play_at(second, play_start_offset_.load() + play_bytes_per_second() * seconds);
    return 0;
}

void CTamrelComMFC::play_seek_command(const CommandContext& context, bool second) {
    const NumberArgument in = scan_number(argument_text(context.line, context.word_end));
    if (in.form != ArgumentForm::write) {
        send_status(second ? u"t2pp:Fail" : u"pp:Fail");
        return;
    }
    const std::int64_t value = in.value;
    const TM_CMD_ID_e row = second ? TM_CMD_T2PP : TM_CMD_PP;
    // A second before the start or beyond the end of the recording has nothing to play.
    if (value < 0 || value > std::int64_t{setting_.get(&_TmSettingBlock_t::PlayFileLength)}) {
        TmReturnAck(kStatusRefused, row);
        send_status(second ? u"t2pp:Fail" : u"pp:Fail");
        return;
    }
    const unsigned status = play_seek(second, static_cast<std::uint32_t>(value));
    TmReturnAck(status, row);
    send_status(second ? u"t2pp:Ok" : u"pp:Ok");
    if (!second) UpdateSSDSize();
}

void CTamrelComMFC::cmd_pp(const CommandContext& context) { play_seek_command(context, false); }

void CTamrelComMFC::cmd_t2pp(const CommandContext& context) { play_seek_command(context, true); }

void CTamrelComMFC::play_repeat_command(const CommandContext& context, bool second) {
    int start = 0;
    int end = 0;
    const int scanned = platform::scan(argument_text(context.line, context.word_end), u" %d %d", &start, &end);
    auto report_range = [this] {
        send_status(platform::format(u"start:%d, end:%d",
                                     static_cast<int>(setting_.get(&_TmSettingBlock_t::PlayRepeatStart)),
                                     static_cast<int>(setting_.get(&_TmSettingBlock_t::PlayRepeatEnd)))
                        .c_str());
    };
    if (scanned == 1) {
        report_range();
        return;
    }
    if (scanned != 2) {
        send_usage(second ? u"Usage(read)  : t2playrepeat" : u"Usage(read)  : playrepeat",
                   second ? u"Usage(write) : t2playrepeat start_sec end_sec" : u"Usage(write) : playrepeat start_sec end_sec");
        return;
    }
    const std::uint32_t total = setting_.get(&_TmSettingBlock_t::PlayFileLength);
    if (start < 0 || end < 0 || start >= end || static_cast<std::uint32_t>(end) > total) {
        send_status(u"Play Repeat Invalid Param");
        return;
    }
    const auto first = static_cast<std::uint32_t>(start);
    const auto last = static_cast<std::uint32_t>(end);
    {
        std::lock_guard lock(mode_mutex_);
        const TmMode_e mode = current_mode_.load();
        // The threads compare against the range: while play runs they are stopped before it
        // changes, so no block is cut against half a range.
        const bool running = mode == TM_MODE_PLAY && RunStatus() == kRunPlaying;
        if (running) halt_play_threads(second);
        const std::uint64_t offset = play_start_offset_.load();
        const std::uint64_t per_second = play_bytes_per_second();
        setting_.set(&_TmSettingBlock_t::PlayRepeatStart, first);
        setting_.set(&_TmSettingBlock_t::PlayRepeatEnd, last);
        play_repeat_start_byte_.store(offset + per_second * first);
        play_repeat_end_byte_.store(offset + per_second * last);
        if (mode == TM_MODE_INIT || mode == TM_MODE_PLAY) play_elapsed_s_.store(first);
        if (running) relaunch_play_at(second, offset + per_second * first);
    }
    report_range();
}

void CTamrelComMFC::cmd_playrepeat(const CommandContext& context) { play_repeat_command(context, false); }

void CTamrelComMFC::cmd_t2playrepeat(const CommandContext& context) { play_repeat_command(context, true); }
