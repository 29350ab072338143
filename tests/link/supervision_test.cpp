#include <gtest/gtest.h>

#include "tests/support/console_fixture.h"

using namespace orv;
using orv::test::Console;

TEST(Supervision, SixSilentTicksShowOffLineAndResetTheMonitorOnce) {
    Console c;
    c.StartUp(1);
    c.port.Deliver(Console::LiveReply());
    auto& f = c.page.form;
    for (int i = 0; i < 5; ++i) c.page.Timer1_Timer();
    EXPECT_EQ(f.Text3.Text, "Connected");
    EXPECT_EQ(f.rpm.Text, "1.8");
    c.page.Timer1_Timer();
    EXPECT_EQ(f.Text3.Text, "OffLine");
    EXPECT_EQ((std::vector<std::string>{f.rpm.Text, f.pressure.Text, f.tps.Text, f.air.Text, f.water.Text,
                                        f.bank1.Text, f.bank2.Text, f.advance.Text}),
              (std::vector<std::string>{"0.0", "0.0", "0", "-20", "-20", "0.0", "0.0", "0"}));
    EXPECT_EQ(f.batt.Text, "12.0");  // battery and version keep their last values
    EXPECT_EQ(f.version.Text, "2.1");
    EXPECT_EQ(c.page.live.live_pressure, 10);
    EXPECT_EQ(c.page.live.live_advance, 45);

    // Further silent ticks change nothing: the monitor is not reset again.
    c.page.live.live_rpm = 77;
    for (int i = 0; i < 20; ++i) c.page.Timer1_Timer();
    EXPECT_EQ(c.page.link.idle_ticks, 6);
    EXPECT_EQ(c.page.live.live_rpm, 77);
    EXPECT_TRUE(f.remote.Value());

    // Any port signal brings it back.
    c.port.Signal(CommEvent::Error);
    EXPECT_EQ(f.Text3.Text, "Connected");
    EXPECT_EQ(c.page.link.idle_ticks, 0);
}

TEST(Supervision, RepliesKeepTheLinkConnected) {
    Console c;
    c.StartUp(1);
    for (int i = 0; i < 30; ++i) {
        c.page.Timer1_Timer();
        if (i % 5 == 0) c.port.Deliver(Console::LiveReply());
    }
    EXPECT_EQ(c.page.form.Text3.Text, "Connected");
}

TEST(Supervision, LostLinkSelectsRemote) {
    Console c;
    c.StartUp(1);
    c.page.form.Host.SetValue(true);
    for (int i = 0; i < 6; ++i) c.page.Timer1_Timer();
    EXPECT_TRUE(c.page.form.remote.Value());
    EXPECT_FALSE(c.page.form.Host.Value());
}

// A loss says what brings the data back, and is told once: a port restarted around a file dialog leaves a failure.
TEST(Supervision, ALossIsToldOnceWithWhatBringsTheDataBack) {
    for (const bool port_gone : {false, true}) {
        Console c;
        c.StartUp(1);
        c.port.Deliver(Console::LiveReply());
        if (port_gone) c.port.Close();
        for (int i = 0; i < 10; ++i) c.page.Timer1_Timer();
        EXPECT_TRUE(c.page.form.Notice.ends_with(port_gone ? "the port, then press Connect"
                                                           : "the port; the console carries on by itself once the "
                                                             "controller answers")) << c.page.form.Notice;
        c.page.form.Tell("Map file not saved", form::Form::NoticeKind::Failed);
        c.page.StopCom();
        c.page.StartCom();
        for (int i = 0; i < 10; ++i) c.page.Timer1_Timer();
        EXPECT_EQ(c.page.form.Notice, "Map file not saved");
    }
}

// Host mode left on a silence comes back at the next reply, unless a transfer pressed meanwhile holds the link.
TEST(Supervision, HostModeComesBackWhenTheControllerAnswersOrSaysWhyNot) {
    for (const bool upload : {false, true}) {
        Console c;
        c.StartUp(1);
        c.page.form.Host.SetValue(true);
        for (int i = 0; i < 6; ++i) c.page.Timer1_Timer();
        if (upload) c.page.form.edit.UserClick(), c.page.form.upload.UserClick();
        c.port.Deliver(Console::LiveReply());
        EXPECT_TRUE(c.page.form.Notice.ends_with(upload ? "stays off: a transfer holds the link" : "is on again"));
        c.port.WakeUp();  // past the wait for replies owed to the asks made in the silence
        EXPECT_EQ(c.port.writes.back(), (upload ? Bytes{0xC0, 0xE0, 0x00} : Bytes{0x04, 0x01, 0x45, 0x08}));
    }
}
