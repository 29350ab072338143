// The console against the simulated controller through the in-memory port.
#include <gtest/gtest.h>

#include "sim/controller.h"
#include "tests/support/console_fixture.h"

using namespace orv;
using orv::test::Console;
using B = Bytes;

namespace {

struct WithSimulator : Console {
    explicit WithSimulator(orvsim::Options options = {}) : sim(options) {
        port.responder = [this](const B& request) { return sim.Receive(request, now); };
        port.on_reply_delivered = [this] { sim.ReplySent(); };
    }
    // Runs the link for `seconds` of simulated time: replies as they come,
    // one tick every 100 ms.
    void Run(double seconds, int replies_per_tick = 10) {
        for (double end = now + seconds; now < end; now += 0.1) {
            port.Pump(replies_per_tick);
            page.Timer1_Timer();
        }
    }
    orvsim::Controller sim;
    double now = 0;
};

}  // namespace

TEST(SimLink, PollsBackToBackInLockStep) {
    WithSimulator c;
    c.StartUp(1);
    c.Run(3.0);
    EXPECT_EQ(c.port.writes.size(), 301u);  // one request per reply, nothing else
    for (const B& w : c.port.writes) EXPECT_EQ(w, (B{0x8A, 0x01, 0x03}));
    EXPECT_EQ(c.sim.stats().violations, 0u);
    EXPECT_EQ(c.sim.stats().malformed, 0u);
    EXPECT_EQ(c.page.form.Text3.Text, "Connected");
    EXPECT_EQ(c.page.form.version.Text, "2.1");
    EXPECT_GT(c.page.live.live_rpm, 5);  // the engine idles or better
    EXPECT_TRUE(c.page.form.Advancer.Visible);
}

TEST(SimLink, OldFirmwareIsPolledWithTheEightByteBlock) {
    orvsim::Options o;
    o.firmware = 0x03;
    WithSimulator c(o);
    c.StartUp(1);
    c.Run(1.0);
    EXPECT_EQ(c.page.link.live_len, 8);
    EXPECT_EQ(c.port.writes.back(), (B{0x88, 0x01, 0x03}));
    EXPECT_EQ(c.sim.stats().violations, 0u);
    EXPECT_EQ(c.page.form.Text3.Text, "Connected");
}

TEST(SimLink, ControllerWithoutIgnitionHidesTheAdvanceGauge) {
    orvsim::Options o;
    o.model = orvsim::Model::quil;
    WithSimulator c(o);
    c.StartUp(1);
    c.Run(0.5);
    EXPECT_FALSE(c.page.form.Advancer.Visible);
    EXPECT_EQ(c.page.form.advance.Text, "0");
}

TEST(SimLink, FaultsStallTheLinkUntilConnect) {
    struct Case {
        const char* name;
        orvsim::Faults faults;
    };
    std::vector<Case> cases(3);
    cases[0] = {"drop", {}};
    cases[0].faults.drop_every = 20;
    cases[1] = {"truncate", {}};
    cases[1].faults.truncate_every = 20;
    cases[2] = {"noise", {}};
    cases[2].faults.noise_every = 20;
    for (const Case& k : cases) {
        orvsim::Options o;
        o.faults = k.faults;
        WithSimulator c(o);
        c.StartUp(1);
        c.Run(2.0);
        // The 20th reply went wrong: the link waits and the supervision notices.
        EXPECT_EQ(c.port.writes.size(), 20u) << k.name;
        EXPECT_EQ(c.page.form.Text3.Text, "OffLine") << k.name;
        EXPECT_EQ(c.page.form.rpm.Text, "0.0") << k.name;
        c.page.form.Connect.UserClick();
        c.Run(0.5, 5);
        EXPECT_EQ(c.page.form.Text3.Text, "Connected") << k.name;
        EXPECT_GT(c.port.writes.size(), 30u) << k.name;
        EXPECT_EQ(c.sim.stats().violations, 0u) << k.name;
    }
}

TEST(SimLink, SilentControllerShowsOffLineAndNothingMoreIsSent) {
    orvsim::Options o;
    o.faults.silent_after = 1.0;
    WithSimulator c(o);
    c.StartUp(1);
    c.Run(3.0);
    EXPECT_EQ(c.page.form.Text3.Text, "OffLine");
    std::size_t sent = c.port.writes.size();
    c.Run(1.0);
    EXPECT_EQ(c.port.writes.size(), sent);
}
