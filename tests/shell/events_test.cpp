// One notification after each event, however many handlers the event ran.
#include <gtest/gtest.h>

#include <memory>
#include <optional>

#include "tests/support/console_fixture.h"

using namespace orv;
using orv::test::Console;

TEST(Events, EachEventNotifiesOnceWhenItIsOver) {
    Console c;
    int notified = 0;
    Subscription listening = c.page.AddListener([&] { ++notified; });
    auto& f = c.page.form;
    auto once = [&](const char* what, auto event) {
        notified = 0;
        event();
        EXPECT_EQ(notified, 1) << what;
    };
    // Start-up runs dozens of handlers through the controls, and opens the link.
    once("start-up", [&] { c.StartUp(1); });
    // The first bytes after a connect turn the status to "Connected"; the
    // rest of the reply is decoded.
    const Bytes reply = Console::LiveReply();
    once("first bytes", [&] { c.port.Deliver({reply.begin(), reply.begin() + 2}); });
    once("rest of the reply", [&] { c.port.Deliver({reply.begin() + 2, reply.end()}); });
    once("tick", [&] { c.page.Timer1_Timer(); });
    // A slot click refreshes every setting, which runs their handlers in turn.
    once("slot", [&] { f.mem3.UserClick(); });
    once("edit", [&] { f.edit.UserClick(); });
    once("bar", [&] { f.HScroll1[2].UserChange(33); });
    once("typed entry", [&] { f.Text1[0].UserType("5"); });
    // A grid click raises SelChange and Click; the window delivers it as one event.
    once("grid", [&] { c.page.RunEvent([&] { f.datatable[1].UserClick(4, 1); }); });
    once("a user action that raises nothing", [&] { c.page.RunEvent([] {}); });

    listening.Reset();
    notified = 0;
    c.page.Timer1_Timer();
    EXPECT_EQ(notified, 0);
}

// A kept subscription listens until it goes, wherever it was moved; a handle
// nobody keeps listens for as long as the console lives.
TEST(Events, ASubscriptionListensUntilItGoes) {
    auto console = std::make_unique<Console>();
    Main_Page& page = console->page;
    int kept = 0, moved = 0, dropped = 0, removed = 0;
    Subscription moved_to;
    std::optional<Subscription> scoped;
    {
        Subscription s = page.AddListener([&] { ++kept; });
        Subscription m = page.AddListener([&] { ++moved; });
        moved_to = std::move(m);
        page.AddListener([&] { ++dropped; });
        Subscription r = page.AddListener([&] { ++removed; });
        r = Subscription();
        page.Timer1_Timer();
        EXPECT_EQ(kept, 1);
        scoped = std::move(s);
    }
    page.Timer1_Timer();
    scoped.reset();
    page.Timer1_Timer();
    EXPECT_EQ(kept, 2);
    EXPECT_EQ(moved, 3);
    EXPECT_EQ(dropped, 3);
    EXPECT_EQ(removed, 0);
    // A window may outlive the console it followed.
    console.reset();
    EXPECT_FALSE(moved_to);
    moved_to.Reset();
}

// A reply comes a byte at a time: only the signals that change what the
// window shows are told, so the window is not refreshed for nothing.
TEST(Events, PortSignalsNotifyOnlyWhenSomethingShownChanged) {
    Console c;
    c.StartUp(1);
    int notified = 0;
    c.page.AddListener([&] { ++notified; });
    auto& f = c.page.form;
    struct Step {
        const char* what;
        Bytes reply;
        // Notifications after each byte of the reply.
        std::vector<int> per_byte;
    };
    const std::vector<Step> steps{
        // "Connected " -> "Connected" at the first byte, the read-outs at the last.
        {"first reply", Console::LiveReply(0x12), {1, 0, 0, 0, 0, 0, 0, 0, 0, 1}},
        {"next reply", Console::LiveReply(0x20), {0, 0, 0, 0, 0, 0, 0, 0, 0, 1}},
    };
    for (const Step& step : steps) {
        const std::string rpm_before = f.rpm.Text;
        for (std::size_t i = 0; i < step.reply.size(); ++i) {
            notified = 0;
            c.port.Deliver({step.reply[i]});
            EXPECT_EQ(notified, step.per_byte[i]) << step.what << ", byte " << i;
            if (i + 1 < step.reply.size()) {
                EXPECT_EQ(f.rpm.Text, rpm_before) << step.what;
            }
        }
        EXPECT_NE(f.rpm.Text, rpm_before) << step.what;
    }
    EXPECT_EQ(f.rpm.Text, "3.2");

    // Signals that bring no reply, with the status already shown.
    for (CommEvent e : {CommEvent::Send, CommEvent::Error, CommEvent::ModemLine}) {
        notified = 0;
        c.port.Signal(e);
        EXPECT_EQ(notified, 0) << static_cast<int>(e);
    }

    // The tick moves the rpm needle to the new reading, and is told.
    const form::Line before = f.rpmhand[0];
    notified = 0;
    c.page.Timer1_Timer();
    EXPECT_EQ(notified, 1);
    EXPECT_TRUE(f.rpmhand[0].X2 != before.X2 || f.rpmhand[0].Y2 != before.Y2);

    // A line gone silent shows "OffLine"; its next signal, even one that
    // brings no reply, turns the status back and is told.
    for (int i = 0; i < 6; ++i) c.page.Timer1_Timer();
    ASSERT_EQ(f.Text3.Text, "OffLine");
    notified = 0;
    c.port.Signal(CommEvent::Error);
    EXPECT_EQ(notified, 1);
    EXPECT_EQ(f.Text3.Text, "Connected");
}

// What the port has to say on opening reaches the status bar with the event
// that opened it.
TEST(Events, APortNoticeIsShownWithTheEventThatOpenedThePort) {
    Console c;
    c.port.notice_on_open = "adapter refused low latency";
    std::string shown;
    c.page.AddListener([&] { shown = c.page.form.Notice; });
    c.StartUp(1);
    EXPECT_EQ(shown, "adapter refused low latency");
}
