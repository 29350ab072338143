// When the link asks again: a deadline learnt from the controller, on a
// clock the test runs, with the simulated controller answering late.
#include <gtest/gtest.h>

#include <functional>
#include <string>

#include "tests/support/sim_console.h"

using namespace orv;
using B = Bytes;

namespace {

// A console on the simulated controller whose replies start `latency(k)`
// after the k-th request (from 1) has crossed the line.
struct LateController : test::SimConsole {
    explicit LateController(std::function<double(int)> latency) {
        port.responder = [this, latency = std::move(latency)](const B& request) {
            port.latency = latency(++requests);
            if (requests == mark) violations_then = port.lock_step_violations;
            return sim.Receive(request, now);
        };
        StartUp(1);
        page.link.latency = kFirstLatency;  // a controller not heard yet, as after start-up
        page.ask_download = [](const std::string&, Main_Page::DownloadAnswer answer) { answer(true, true); };
    }
    void RunFor(double seconds) {
        port.RunFor(seconds, [this] {
            now = port.now;
            page.Timer1_Timer();
        });
    }
    int requests = 0;
    // The lock-step violations seen when the mark-th request went out.
    int mark = 0;
    int violations_then = -1;
};

struct Activity {
    const char* name;
    std::function<void(LateController&)> start;
    double seconds;
    std::function<void(LateController&)> check;
};

const Activity kActivities[] = {
    {"live polling", [](LateController&) {}, 20,
     [](LateController& c) { EXPECT_EQ(c.page.form.Text3.Text, "Connected"); }},
    {"upload", [](LateController& c) { c.page.form.upload.UserClick(); }, 120,
     [](LateController& c) {
         EXPECT_EQ(c.page.form.Notice, "Upload finished: calibration read from the controller");
         const orvsim::CalibrationImage held = c.sim.calibration();
         EXPECT_TRUE(std::equal(held.begin(), held.end(), c.page.cal.mem_image.begin()));
     }},
    {"download, verified", [](LateController& c) { c.page.form.download.UserClick(); }, 240,
     [](LateController& c) {
         EXPECT_EQ(c.page.form.Notice, "Download finished: 1,836 bytes written, verified");
         EXPECT_EQ(c.sim.programmed_sequences(), 1u);
     }},
    {"host cycle", [](LateController& c) { c.page.form.Host.UserClick(); }, 20,
     [](LateController& c) {
         int host_writes = 0;
         for (const B& w : c.port.writes) host_writes += w.size() == 12 && w[0] == 0x0C;
         EXPECT_GT(host_writes, 10);
         EXPECT_TRUE(c.page.form.Host.Value());
     }},
};

}  // namespace

// Found: a controller whose replies come 250 ms late (a serial line over
// Bluetooth) was asked again 100 to 200 ms after each request, and a
// transfer never ended. Each request waits for its reply, however late the
// controller is, or now and then is; every transfer ends byte-exact.
TEST(Deadline, ASlowControllerNeverGetsASecondRequestWhileItsReplyMayCome) {
    struct Pace {
        const char* name;
        std::function<double(int)> latency;
    };
    const Pace paces[] = {{"250 ms late", [](int) { return 0.25; }},
                          {"one in five 700 ms late", [](int k) { return k % 5 == 0 ? 0.7 : 0.0; }}};
    for (const Pace& pace : paces) {
        for (const Activity& a : kActivities) {
            SCOPED_TRACE(std::string(pace.name) + ", " + a.name);
            LateController c(pace.latency);
            c.RunFor(5);  // polling first, as after Connect
            a.start(c);
            c.RunFor(a.seconds);
            EXPECT_EQ(c.port.lock_step_violations, 0);
            EXPECT_EQ(c.sim.stats().violations, 0u);
            EXPECT_EQ(c.page.Transferring(), TransferUnderWay::None);
            EXPECT_GT(c.page.link.replies, 20u);
            a.check(c);
        }
    }
}

// A controller known to answer at once has its 30th reply come 300 ms late:
// it is asked again meanwhile, the late reply is taken, the replies owed to
// the asks are let go by before the next request, and the link has learnt:
// the next reply but two, as late, is waited for.
TEST(Deadline, ALateReplyAfterAnAskIsTakenWithoutACascade) {
    for (const Activity& a : kActivities) {
        SCOPED_TRACE(a.name);
        LateController c([](int k) { return k == 30 || k == 36 ? 0.3 : 0.0; });
        c.page.link.latency = 0;
        c.mark = 35;
        a.start(c);
        c.RunFor(a.seconds);
        EXPECT_GE(c.violations_then, 1);
        EXPECT_EQ(c.port.lock_step_violations, c.violations_then);
        EXPECT_EQ(c.page.link.resyncs, 0u);
        EXPECT_EQ(c.page.link.discarded, 0u);
        EXPECT_EQ(c.page.Transferring(), TransferUnderWay::None);
        a.check(c);
    }
}

// Found: an upload on a line that had hung up took minutes to fail, and in
// the window, with the device gone, "Uploading - Please Wait!!" stayed. A
// transfer on a dead line ends within seconds, saying why.
TEST(Deadline, ATransferOnADeadLineEndsWithinSecondsSayingWhy) {
    struct Case {
        const char* name;
        bool before_the_click;
        std::function<void(LateController&)> kill;
        double within;
        const char* why;
    };
    const Case cases[] = {
        {"port gone", true, [](LateController& c) { c.port.Close(); }, 0, "the port is not open"},
        {"line hung up", false, [](LateController& c) { c.port.RunFor(0.5, [] {}), c.port.Close(); }, 0.2,
         "the port is not open"},
        {"controller silent", false,
         [](LateController& c) { c.port.responder = [](const B&) { return B{}; }; }, 5,
         "the controller stopped answering"},
    };
    for (const Case& k : cases) {
        for (bool up : {true, false}) {
            SCOPED_TRACE(std::string(k.name) + (up ? ", upload" : ", download"));
            LateController c([](int) { return 0.0; });
            c.RunFor(1);
            if (k.before_the_click) k.kill(c);
            (up ? c.page.form.upload : c.page.form.download).UserClick();
            if (!k.before_the_click) k.kill(c);
            c.RunFor(k.within);
            EXPECT_EQ(c.page.Transferring(), TransferUnderWay::None);
            EXPECT_EQ(c.page.form.mapfile.Text.find("Please Wait"), std::string::npos);
            EXPECT_NE(c.page.form.Notice.find(std::string(": ") + k.why + "; press Connect"), std::string::npos)
                << c.page.form.Notice;
        }
    }
}
