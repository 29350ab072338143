// When the link asks again: a deadline learnt from the controller, on a
// clock the test runs, with the simulated controller answering late.
#include <gtest/gtest.h>

#include <functional>
#include <string>

#include "tests/support/sim_console.h"

using namespace orv;

namespace {

// The simulated controller, its k-th reply (k from 1) `latency(k)` late.
struct LateController : test::SimConsole {
    explicit LateController(double (*latency)(int)) {
        port.responder = [this, latency](const Bytes& request) {
            port.latency = latency(++requests);
            if (requests == mark) violations_then = port.lock_step_violations;
            return sim.Receive(request, now);
        };
        StartUp(1);
        page.link.latency = kFirstLatency;  // a controller not heard yet, as after start-up
        page.ask_download = [](const std::string&, Main_Page::DownloadAnswer answer) { answer(true, true); };
    }
    int requests = 0, mark = 0, violations_then = 0;  // lock-step violations as the mark-th request went out
};

}  // namespace

// A request waits for its reply however late the controller is, or now and then is; one known prompt is asked
// again after a late reply, which is taken, the replies to the asks let go by, and the next one as late waited for.
TEST(Deadline, ALateControllerNeverGetsASecondRequestWhileItsReplyMayCome) {
    const struct {
        const char* name;
        double (*latency)(int);
        int mark;
    } paces[] = {{"250 ms late", [](int) { return 0.25; }, 0},
                 {"one in five 700 ms late", [](int k) { return k % 5 == 0 ? 0.7 : 0.0; }, 0},
                 {"prompt, the 30th and 36th 300 ms late", [](int k) { return k == 30 || k == 36 ? 0.3 : 0.0; }, 35}};
    const struct {
        const char* name;
        void (*start)(LateController&);
        double seconds;
        const char* notice;
    } acts[] = {{"live polling", [](LateController&) {}, 20, ""},
                {"upload", [](LateController& c) { c.page.form.upload.UserClick(); }, 120,
                 "Upload finished: calibration read from the controller"},
                {"download, verified", [](LateController& c) { c.page.form.download.UserClick(); }, 240,
                 "Download finished: 1,836 bytes written, verified"},
                {"host cycle", [](LateController& c) { c.page.form.Host.UserClick(); }, 20, ""}};
    for (const auto& pace : paces) {
        for (const auto& a : acts) {
            SCOPED_TRACE(std::string(pace.name) + ", " + a.name);
            LateController c(pace.latency);
            c.RunClocked(5);  // polling first, as after Connect
            if (pace.mark > 0) c.page.link.latency = 0;
            c.requests = 0, c.mark = pace.mark;
            a.start(c);
            const auto replies = c.page.link.replies;
            c.RunClocked(a.seconds);
            EXPECT_EQ(c.violations_then > 0, pace.mark > 0);
            EXPECT_EQ(c.port.lock_step_violations, c.violations_then);
            EXPECT_EQ(c.page.link.resyncs + c.page.link.discarded, 0u);
            EXPECT_GT(c.page.link.replies, replies + 20);
            EXPECT_EQ(c.page.Transferring(), TransferUnderWay::None);
            EXPECT_EQ(c.page.form.Text3.Text, "Connected");
            EXPECT_TRUE(c.page.form.Notice.starts_with(a.notice)) << c.page.form.Notice;
        }
    }
}

// A transfer on a dead line ends within seconds, saying why.
TEST(Deadline, ATransferOnADeadLineEndsWithinSecondsSayingWhy) {
    const struct {
        const char* name;
        bool before_the_click;
        void (*kill)(LateController&);
        double within;
        std::string why;
    } cases[] = {
        {"port gone", true, [](LateController& c) { c.port.Close(); }, 0, "the port is not open"},
        {"line hung up", false, [](LateController& c) { c.port.RunFor(0.5, [] {}), c.port.Close(); }, 0.2,
         "the port is not open"},
        {"controller silent", false, [](LateController& c) { c.port.responder = [](const Bytes&) { return Bytes{}; }; },
         5, "the controller stopped answering"}};
    for (const auto& k : cases) {
        for (bool up : {true, false}) {
            SCOPED_TRACE(std::string(k.name) + (up ? ", upload" : ", download"));
            LateController c([](int) { return 0.0; });
            c.RunClocked(1);
            if (k.before_the_click) k.kill(c);
            (up ? c.page.form.upload : c.page.form.download).UserClick();
            if (!k.before_the_click) k.kill(c);
            c.RunClocked(k.within);
            EXPECT_EQ(c.page.Transferring(), TransferUnderWay::None);
            EXPECT_EQ(c.page.form.mapfile.Text.find("Please Wait"), std::string::npos);
            EXPECT_NE(c.page.form.Notice.find(": " + k.why + "; press Connect"), std::string::npos) << c.page.form.Notice;
        }
    }
}
