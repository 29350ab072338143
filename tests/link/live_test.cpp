// Live replies become live values, read-outs and the ignition controls.
#include <gtest/gtest.h>

#include "tests/support/console_fixture.h"

using namespace orv;
using orv::test::Console;
using B = Bytes;

namespace {

struct Polling : Console {
    Polling() { StartUp(1); }
    std::vector<std::string> Readouts() {
        auto& f = page.form;
        return {f.rpm.Text,  f.pressure.Text, f.tps.Text,     f.air.Text,  f.water.Text,
                f.bank1.Text, f.bank2.Text,   f.advance.Text, f.batt.Text, f.version.Text};
    }
};

// Controls that follow whether the controller drives ignition.
std::vector<form::Control*> IgnitionControls(form::Form& f) {
    return {&f.IgnMem, &f.ignition, &f.window, &f.windowsel, &f.windowsize, &f.ignnormal, &f.igninv,
            &f.loadt,  &f.loadtimesel, &f.loadtime, &f.Label1, &f.Limiter, &f.TLimiter};
}

}  // namespace

TEST(Live, TenByteReplyDecodesEveryReadout) {
    Polling c;
    c.port.Deliver({0x12, 0x34, 0x00, 0x14, 0x46, 0x28, 0x2D, 0x4B, 0x78, 0x21});
    EXPECT_EQ(c.Readouts(), (std::vector<std::string>{"1.8", "4.2", "0", "0", "50", "4.0", "4.5", "30", "12.0", "2.1"}));
    EXPECT_EQ(c.page.live.live_version, 21);
    EXPECT_EQ(c.page.live.live_water, 0x46);  // air comes before water on the wire
    EXPECT_EQ(c.page.live.live_air, 0x14);
    EXPECT_FALSE(c.page.link.probe);
}

TEST(Live, ReadoutsOfExtremeBytes) {
    Polling c;
    c.port.Deliver({0xFF, 0x00, 0xFF, 0x00, 0xFF, 0xFF, 0x00, 0x00, 0xFF, 0x99});
    EXPECT_EQ(c.Readouts(),
              (std::vector<std::string>{"25.5", "-1.0", "255", "-20", "235", "25.5", "0.0", "-45", "25.5", "9.9"}));
}

TEST(Live, EightByteBlockLeavesBatteryAndVersion) {
    Polling c;
    c.port.Deliver(Console::LiveReply());  // 12.0 V, 2.1
    c.page.link.live_len = 8;
    c.page.link.reply_len = 8;
    c.port.Deliver({0x20, 0x0A, 0x10, 0x30, 0x30, 0x10, 0x10, 0x40});
    EXPECT_EQ(c.page.form.rpm.Text, "3.2");
    EXPECT_EQ(c.page.form.batt.Text, "12.0");
    EXPECT_EQ(c.page.form.version.Text, "2.1");
    EXPECT_EQ(c.port.writes.back(), (B{0x88, 0x01, 0x03}));
}

TEST(Live, WriteAcknowledgementIsNotDecodedButPollingGoesOn) {
    Polling c;
    c.port.Deliver(Console::LiveReply());
    c.page.link.reply_len = 2;
    c.port.ClearWrites();
    c.port.Deliver({0xAA, 0xBB});
    EXPECT_EQ(c.page.form.rpm.Text, "1.8");
    EXPECT_EQ(c.page.link.reply_len, 10);
    EXPECT_EQ(c.port.writes, std::vector<B>{(B{0x8A, 0x01, 0x03})});
}

TEST(Live, RecorderHoldingTheDisplaySuspendsDecodingOnly) {
    for (bool playing : {true, false}) {
        Polling c;
        c.page.rec.playing = playing;
        c.page.rec.rec_review = !playing;
        c.port.Deliver(Console::LiveReply(0x40));
        EXPECT_EQ(c.page.live.live_rpm, 0);
        EXPECT_EQ(c.page.form.rpm.Text, "0.0");
        EXPECT_EQ(c.port.writes.size(), 2u);
    }
}

TEST(Live, NoIgnitionHidesTheAdvanceGaugeAndAReturnShowsIt) {
    Polling c;
    auto& f = c.page.form;
    c.port.Deliver(Console::LiveReply(0x12, 0x64));  // advance byte 100: no ignition output
    EXPECT_EQ(c.page.live.live_advance, 45);
    EXPECT_EQ(f.advance.Text, "0");
    EXPECT_FALSE(f.Advancer.Visible);
    for (form::Control* ctl : IgnitionControls(f)) EXPECT_FALSE(ctl->Enabled);
    EXPECT_FALSE(f.Bnk2.Enabled);
    EXPECT_FALSE(f.bank2sel.Enabled);
    EXPECT_FALSE(f.ignsel.Enabled);
    EXPECT_TRUE(f.ignsel.Value());  // bank 2 switched off, through its handler
    EXPECT_EQ(c.page.cal.mem_image[158] & 0x08, 0x08);
    EXPECT_EQ(f.Label6.Caption, "Off");

    c.port.Deliver(Console::LiveReply(0x12, 90));  // 90 is still ignition
    EXPECT_TRUE(f.Advancer.Visible);
    EXPECT_EQ(f.advance.Text, "45");
    for (form::Control* ctl : IgnitionControls(f)) EXPECT_TRUE(ctl->Enabled);
    EXPECT_FALSE(f.Bnk2.Enabled);  // only the "no ignition" side touches the bank 2 frame
}

TEST(Live, SteadyIgnitionReadingsLeaveTheControlsAlone) {
    Polling c;
    auto& f = c.page.form;
    f.windowsel.Enabled = false;  // someone else's choice
    c.port.Deliver(Console::LiveReply(0x12, 0x50));
    EXPECT_FALSE(f.windowsel.Enabled);
}

TEST(Live, DutyCycleFollowsEachReply) {
    Polling c;
    c.port.Deliver({30, 10, 0, 20, 20, 50, 2, 45, 138, 0x21});
    EXPECT_EQ(c.page.form.duty1.Text, "13");  // 30 x 50 / 120 = 12.5, halves away from zero
    EXPECT_EQ(c.page.form.duty2.Text, "1");   // 0.5 gives 1
}
