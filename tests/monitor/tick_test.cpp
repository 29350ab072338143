// The 100 ms tick and the monitor mode.
#include <gtest/gtest.h>

#include <cmath>

#include "tests/support/console_fixture.h"

using namespace orv;
using orv::test::Console;
using B = Bytes;

namespace {

// Bank 1 base: 1.0 ms at 0 rpm, 5.0 ms at 5,000 rpm, 8.0 ms at 10,000 rpm;
// neutral gains.
void SampleImage(Image& image) {
    for (int i = 32; i < 150; ++i) image[i] = 90;
    image[0] = 10;
    image[10] = 50;
    image[20] = 80;
}

// A console started on the sample image without a serial port; the first tick
// has filled the grids.
struct Monitor : Console {
    Monitor() {
        SampleImage(page.cal.mem_image);
        StartUp(0);
        page.Timer1_Timer();
    }
};

std::vector<form::Control*> EditingControls(form::Form& f) {
    std::vector<form::Control*> v{&f.loadmem,  &f.savemem, &f.upload, &f.download, &f.injection,
                                  &f.ignition, &f.common,  &f.Bnk2,   &f.Access};
    for (auto& bar : f.HScroll1) v.push_back(&bar);
    for (auto& box : f.Text1) v.push_back(&box);
    return v;
}

}  // namespace

TEST(Tick, LiveReplyReachesTheDisplaysOnTheNextTick) {
    Console c;
    SampleImage(c.page.cal.mem_image);
    c.StartUp(1);
    auto& f = c.page.form;
    c.page.Timer1_Timer();
    EXPECT_EQ(f.showtinj1.Text, "1.0");
    c.port.Deliver({0x32, 0x0A, 0x00, 0x14, 0x46, 0x28, 0x2D, 0x4B, 0x78, 0x21});  // 5,000 rpm
    EXPECT_EQ(f.showtinj1.Text, "1.0");                                            // nothing moves before the tick
    EXPECT_EQ(f.datatable[0].Row, 1);
    c.page.Timer1_Timer();
    EXPECT_EQ(f.showtinj1.Text, "5.0");
    EXPECT_EQ(f.showduty.Text, "21");  // 50 x 50 / 120 = 20.8
    EXPECT_EQ(f.datatable[0].Row, 11);
    EXPECT_EQ(f.Text1[0].Text, "5.0");
    EXPECT_NEAR(f.rpmhand[0].X2, 1480 + 1150 * std::cos((182 + 50 * 175 / 150.0 - 360) * 3.14 / 180), 0.01);
}

TEST(Tick, SelectedRowsAreComputedBeforeTheCursorsMove) {
    Monitor c;
    auto& f = c.page.form;
    c.page.live.live_rpm = 50;
    c.page.Timer1_Timer();
    // The selected-row output still used the cursor of the previous tick ...
    EXPECT_EQ(c.page.calc.sel_tinj1, 10);
    // ... while the display shows the engine's point, computed last.
    EXPECT_EQ(c.page.calc.op_tinj1, 50);
    EXPECT_EQ(f.showtinj1.Text, "5.0");
    EXPECT_EQ(f.datatable[0].Row, 11);
    c.page.Timer1_Timer();
    EXPECT_EQ(c.page.calc.sel_tinj1, 50);
    EXPECT_EQ(f.showtinj1.Text, "5.0");
}

TEST(Tick, EditModeLeavesTheCursorsAndTheEnginesPointAlone) {
    Monitor c;
    auto& f = c.page.form;
    f.edit.UserClick();
    f.datatable[0].UserClick(21, 1);  // 8.0 ms
    c.page.live.live_rpm = 50;
    c.page.live.live_pressure = 40;
    c.page.Timer1_Timer();
    EXPECT_EQ(f.datatable[0].Row, 21);
    EXPECT_EQ(f.datatable[1].Row, 1);
    EXPECT_EQ(c.page.calc.sel_tinj1, 80);
    EXPECT_EQ(c.page.calc.op_tinj1, 10);  // left from the first tick, at 0 rpm
    EXPECT_EQ(f.showtinj1.Text, "8.0");

    // Host mode computes the engine's point too; the display stays on the rows.
    c.page.link.idle_ticks = 0;
    f.Host.SetValue(true);
    c.page.Timer1_Timer();
    EXPECT_EQ(c.page.calc.op_tinj1, 50);
    EXPECT_EQ(f.showtinj1.Text, "8.0");
    EXPECT_EQ(f.datatable[0].Row, 21);
}

TEST(Tick, GridRefillRunsLastAndClearsTheFlag) {
    Monitor c;
    auto& f = c.page.form;
    c.page.live.live_rpm = 100;
    c.page.live.live_pressure = 40;
    c.page.cal.mem_image[0] = 25;
    c.page.cal.reload_tables = true;
    c.page.Timer1_Timer();
    // The cursors moved first; the refill then put every grid back on row 1.
    for (int g = 0; g < 5; ++g) {
        EXPECT_EQ(f.datatable[g].Row, 1) << g;
        EXPECT_EQ(f.datatable[g].TopRow, 1) << g;
    }
    EXPECT_EQ(f.datatable[0].Cell(1, 1), "2.5");
    EXPECT_EQ(f.Text1[0].Text, "2.5");
    EXPECT_FALSE(c.page.cal.reload_tables);
    c.page.Timer1_Timer();
    EXPECT_EQ(f.datatable[0].Row, 21);
    EXPECT_EQ(f.datatable[1].Row, 41);
}

TEST(Tick, WithoutALinkTheDisplaysStillFollowTheValues) {
    Monitor c;
    auto& f = c.page.form;
    c.page.live.live_tps = 50;
    c.page.live.live_rpm = 100;
    for (int i = 0; i < 10; ++i) c.page.Timer1_Timer();
    EXPECT_EQ(f.Text3.Text, "OffLine");
    EXPECT_FLOAT_EQ(f.tps_bar.Height, 1387.5f);
    EXPECT_EQ(f.showtinj1.Text, "8.0");
    EXPECT_EQ(f.datatable[0].Row, 21);
}

TEST(MonitorMode, ClickLocksTheEditingControls) {
    Monitor c;
    auto& f = c.page.form;
    f.edit.UserClick();
    for (form::Control* ctl : EditingControls(f)) ASSERT_TRUE(ctl->Enabled);
    f.monitor.UserClick();
    for (form::Control* ctl : EditingControls(f)) EXPECT_FALSE(ctl->Enabled);
    EXPECT_TRUE(c.port.writes.empty());  // the port is closed: nothing is sent
}

TEST(MonitorMode, ClickSendsALiveReadOnlyWhenNoReplyIsAwaited) {
    struct Case {
        const char* what;
        std::uint8_t cur_cmd;
        bool awaiting;
        bool host;
        std::uint8_t live_len;
        std::vector<B> sent;
    };
    const std::vector<Case> cases = {
        {"idle link", 0, false, false, 10, {{0x8A, 0x01, 0x03}}},
        {"idle link, 8-byte block", 0, false, false, 8, {{0x88, 0x01, 0x03}}},
        {"live read in flight", 1, true, false, 10, {}},
        {"upload in flight", 2, true, false, 10, {}},
        {"transfer queued behind a live read", 0, true, false, 10, {}},
        {"host mode", 0, false, true, 10, {}},
    };
    for (const Case& k : cases) {
        Console c;
        c.StartUp(1);
        auto& f = c.page.form;
        f.edit.UserClick();
        c.page.link.cur_cmd = k.cur_cmd;
        c.page.link.awaiting = k.awaiting;
        c.page.link.live_len = k.live_len;
        f.Host.SetValue(k.host);
        c.port.ClearWrites();
        f.monitor.UserClick();
        EXPECT_EQ(c.port.writes, k.sent) << k.what;
        if (!k.sent.empty()) {
            EXPECT_EQ(c.page.link.cur_cmd, 1) << k.what;
            EXPECT_EQ(c.page.link.reply_len, k.live_len) << k.what;
            EXPECT_EQ(c.page.link.tx_frame, k.sent[0]) << k.what;
        } else {
            EXPECT_EQ(c.page.link.cur_cmd, k.cur_cmd) << k.what;
        }
    }
}

TEST(MonitorMode, NoSecondRequestWhileTheFirstIsAwaited) {
    Console c;
    c.StartUp(1);
    auto& f = c.page.form;
    c.port.Deliver(Console::LiveReply());
    c.page.link.cur_cmd = 0;  // as a finished transfer leaves the link
    c.page.link.awaiting = false;
    c.port.ClearWrites();
    f.edit.UserClick();
    f.monitor.UserClick();
    f.edit.UserClick();
    f.monitor.UserClick();
    EXPECT_EQ(c.port.writes, (std::vector<B>{{0x8A, 0x01, 0x03}}));
    // The reply to it keeps the exchange going.
    c.port.Deliver(Console::LiveReply(0x20));
    EXPECT_EQ(f.rpm.Text, "3.2");
    EXPECT_EQ(c.port.writes, (std::vector<B>{{0x8A, 0x01, 0x03}, {0x8A, 0x01, 0x03}}));
}

TEST(MonitorMode, ClickPutsTheMapNameBackWhileATransferIsQueued) {
    const std::vector<std::pair<std::uint8_t, const char*>> cases = {
        {0, "Uploading"}, {2, "/maps/a.map"}, {3, "/maps/a.map"}, {4, "Uploading"}, {6, "Uploading"}};
    for (auto [next, shown] : cases) {
        Console c;
        c.StartUp(0);
        auto& f = c.page.form;
        f.edit.UserClick();
        c.page.saved_mapname = "/maps/a.map";
        f.mapfile.Text = "Uploading";
        c.page.link.next_cmd = next;
        f.monitor.UserClick();
        EXPECT_EQ(f.mapfile.Text, shown) << int(next);
    }
}

TEST(MonitorMode, ResetLeavesBatteryVersionDutiesAndOutputsAlone) {
    Console c;
    c.StartUp(1);
    auto& f = c.page.form;
    c.port.Deliver({0x40, 0x30, 0x20, 0x30, 0x40, 0x50, 0x60, 0x50, 0x7B, 0x21});
    c.page.Timer1_Timer();
    const std::vector<std::string> kept{f.batt.Text, f.version.Text, f.duty1.Text, f.duty2.Text};
    const std::uint8_t op = c.page.calc.op_advance;
    c.page.Reset_Monitor();
    EXPECT_EQ((std::vector<std::string>{f.rpm.Text, f.pressure.Text, f.tps.Text, f.water.Text, f.air.Text, f.bank1.Text,
                                        f.bank2.Text, f.advance.Text}),
              (std::vector<std::string>{"0.0", "0.0", "0", "-20", "-20", "0.0", "0.0", "0"}));
    EXPECT_EQ((std::vector<std::string>{f.batt.Text, f.version.Text, f.duty1.Text, f.duty2.Text}), kept);
    EXPECT_EQ(kept[0], "12.3");
    EXPECT_EQ(kept[2], "43");  // 64 x 80 / 120
    EXPECT_EQ(c.page.calc.op_advance, op);
    // The needles follow on the next tick.
    c.page.Timer1_Timer();
    EXPECT_NEAR(f.rpmhand[1].X2, 1480 - 905.32, 0.05);  // 218 degrees
    EXPECT_NEAR(f.rpmhand[1].Y2, 1440 - 709.15, 0.05);
    EXPECT_NEAR(f.rpmhand[2].X2, 1480 - 1147.07, 0.05);  // 184 degrees
}

TEST(Tick, LinkDeclaredOffLineShowsTheRestValuesOnTheSameTick) {
    Console c;
    c.StartUp(1);
    auto& f = c.page.form;
    c.port.Deliver({0x64, 0x28, 0x50, 0x14, 0x46, 0x28, 0x2D, 0x4B, 0x78, 0x21});  // 10,000 rpm, 80 %
    for (int i = 0; i < 5; ++i) c.page.Timer1_Timer();
    EXPECT_EQ(f.datatable[0].Row, 21);
    EXPECT_FLOAT_EQ(f.tps_bar.Height, 2220);
    EXPECT_GT(f.rpmhand[0].X2, 1480);  // past the top of the dial
    c.page.Timer1_Timer();             // the sixth silent tick
    EXPECT_EQ(f.Text3.Text, "OffLine");
    EXPECT_FLOAT_EQ(f.tps_bar.Height, 0);
    EXPECT_NEAR(f.rpmhand[0].X2, 1480 - 1149.2, 0.05);
    EXPECT_NEAR(f.rpmhand[0].Y2, 1440 - 41.9, 0.05);
    EXPECT_EQ(f.datatable[0].Row, 1);
    EXPECT_EQ(f.datatable[1].Row, 11);
}

// No reading (before the first block, after a lost link): no grid, its box or the output shows an operating point.
TEST(Tick, WithNoReadingNoOperatingPointIsShown) {
    Console c;
    c.StartUp(1);
    auto& f = c.page.form;
    for (const bool reading : {false, true, false, true}) {  // ten silent ticks (off line), or a block
        if (reading) c.port.Deliver(Console::LiveReply());
        for (int i = 0; i < (reading ? 1 : 10); ++i) c.page.Timer1_Timer();
        EXPECT_EQ(f.showtinj1.NoReading + f.showduty.NoReading + f.datatable[0].NoReading + f.Text1[0].NoReading +
                      f.datatable[4].NoReading + f.Text1[4].NoReading, reading ? 0 : 6);
    }
}
