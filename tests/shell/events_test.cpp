// One notification after each event, however many handlers the event ran.
#include <gtest/gtest.h>

#include "tests/support/console_fixture.h"

using namespace orv;
using orv::test::Console;

TEST(Events, EachEventNotifiesOnceWhenItIsOver) {
    Console c;
    int notified = 0;
    const int handle = c.page.AddListener([&] { ++notified; });
    auto& f = c.page.form;
    auto once = [&](const char* what, auto event) {
        notified = 0;
        event();
        EXPECT_EQ(notified, 1) << what;
    };
    // Start-up runs dozens of handlers through the controls, and opens the link.
    once("start-up", [&] { c.StartUp(1); });
    once("reply", [&] { c.port.Deliver(Console::LiveReply()); });
    once("incomplete reply", [&] { c.port.Deliver({0x12, 0x34}); });
    once("tick", [&] { c.page.Timer1_Timer(); });
    // A slot click refreshes every setting, which runs their handlers in turn.
    once("slot", [&] { f.mem3.UserClick(); });
    once("edit", [&] { f.edit.UserClick(); });
    once("bar", [&] { f.HScroll1[2].UserChange(33); });
    once("typed entry", [&] { f.Text1[0].UserType("5"); });
    // A grid click raises SelChange and Click; the window delivers it as one event.
    once("grid", [&] { c.page.RunEvent([&] { f.datatable[1].UserClick(4, 1); }); });
    once("a user action that raises nothing", [&] { c.page.RunEvent([] {}); });

    c.page.RemoveListener(handle);
    notified = 0;
    c.page.Timer1_Timer();
    EXPECT_EQ(notified, 0);
}
