// The setting commands without a mode change: each form's exact lines (typos and the usage
// texts' odd spacing included), and what the write forms change.

#include "session_fixture.hpp"
#include "platform/text/utf.hpp"
#include "tamrelapi/sim/control.hpp"

namespace {

class SettingCommandTest : public SessionTest {
protected:
    void SetUp() override {
        SessionTest::SetUp();
        ASSERT_EQ(session_->TmOpenDevice(), 0U);  // the second generation
    }
    // The status lines `line` produced.
    std::vector<std::string> lines_of(const std::u16string& line) {
        window_.clear();
        CTamrelComMFCTestPeer::run(*session_, line);
        std::vector<std::string> out;
        for (const auto& text : window_.texts_of()) out.push_back(platform::to_utf8(text));
        return out;
    }
};

struct FormCase {
    std::u16string line;
    std::vector<std::string> lines;
};

TEST_F(SettingCommandTest, RemoteUpdateSpeedForms) {
    const FormCase cases[] = {
        {u"remoteupdatespeed", {"Update Speed : 1"}},
        {u"remoteupdatespeed 3", {"Update Time : 145", "Update Speed : 3"}},
        {u"remoteupdatespeed 5",
         {"Usage(read) : remoteupdatespeed", "Usage(write) : remoteupdatespeed [0/1/2/3/4/5/6](fast, , , ,slow)"}},
        {u"remoteupdatespeed -1",
         {"Usage(read) : remoteupdatespeed", "Usage(write) : remoteupdatespeed [0/1/2/3/4/5/6](fast, , , ,slow)"}},
        {u"remoteupdatespeed 1 2",
         {"Usage(read) : remoteupdatespeed", "Usage(write) : remoteupdatespeed [0/1/2/3/4/5/6](fast, , , ,slow))"}},
        {u"remoteupdatespeed x",
         {"Usage(read) : remoteupdatespeed", "Usage(write) : remoteupdatespeed [0/1/2/3/4/5/6](fast, , , ,slow))"}},
        {u"remoteupdatespeed", {"Update Speed : 3"}},
    };
    CTamrelComMFCTestPeer::set_setting(*session_, &_TmSettingBlock_t::RemoteUpdateSpeed, 1U);
    for (const FormCase& c : cases) EXPECT_EQ(lines_of(c.line), c.lines) << platform::to_utf8(c.line);
    EXPECT_EQ(session_->UpdatePeriodMs(), 145U);
}

TEST_F(SettingCommandTest, ResolutionBandwidthForms) {
    const FormCase cases[] = {
        {u"resbw", {"ResBW(0)"}},
        {u"resbw 3", {"Update Time : 85", "ResBW(3)"}},  // the spectrum size follows, with its update time
        {u"resbw 4", {"Usage(read) : resbw", "Usage(write) : resbw [0/1/2/3]"}},
        {u"resbw 1 2", {"Usage(read) : resbw", "Usage(write) : resbw [0/1/2/3]"}},
        {u"resbw", {"ResBW(3)"}},
    };
    CTamrelComMFCTestPeer::set_setting(*session_, &_TmSettingBlock_t::ResBW, 0U);
    for (const FormCase& c : cases) EXPECT_EQ(lines_of(c.line), c.lines) << platform::to_utf8(c.line);
    EXPECT_EQ(session_->SettingBlock().ResBW, 3U);
    CTamrelComMFCTestPeer::set_setting(*session_, &_TmSettingBlock_t::ResBW, 9U);
    EXPECT_EQ(lines_of(u"resbw"), std::vector<std::string>{"ResBW(Unknown)"});
}

TEST_F(SettingCommandTest, CaptureGainReadsTheBoardAndCompensatesTheLoopThrough) {
    tamrel::sim::control::reset(tamrel::api::DeviceKind::first_generation);
    auto first = std::make_unique<CTamrelComMFC>();
    session_ = std::move(first);
    session_->SetMainWndHandle(&window_);
    ASSERT_EQ(session_->TmOpenDevice(), 0U);
    tamrel::sim::control::set_capture_gain(123);
    EXPECT_EQ(lines_of(u"capturegain anything"), std::vector<std::string>{"Gain:12.3"});
    EXPECT_FALSE(tamrel::sim::control::outputs().captured_gain.has_value()) << "no loop-through: no compensation";
    CTamrelComMFCTestPeer::set_setting(*session_, &_TmSettingBlock_t::CaptureLoopThrough, 1U);
    EXPECT_EQ(lines_of(u"capturegain"), std::vector<std::string>{"Gain:12.3"});
    const auto applied = tamrel::sim::control::outputs().captured_gain;
    ASSERT_TRUE(applied.has_value());
    EXPECT_EQ(applied->gain, 123);
    EXPECT_EQ(applied->speed, 250U);
}

}  // namespace
