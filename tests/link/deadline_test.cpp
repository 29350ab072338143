// When the link asks again: a deadline learnt from the controller, on a clock the test runs.
#include <gtest/gtest.h>

#include <string>
#include <tuple>

#include "tests/support/sim_console.h"

using namespace orv;

struct LateController : test::SimConsole {  // the simulated controller, its k-th reply `latency(k)` late
    explicit LateController(double (*latency)(int)) {
        port.responder = [this, latency](const Bytes& request) {
            port.latency = latency(++requests);
            if (requests == mark) violations_then = port.lock_step_violations;
            return sim.Receive(request, now);
        };
        StartUp(1);
        page.link.latency = kFirstLatency;  // a controller not heard yet, as after start-up
        page.ask_download = [](const std::string&, Main_Page::DownloadAnswer answer) { answer(true, true); };
        RunClocked(5);  // polling first, as after Connect
    }
    int requests = 0, mark = 0, violations_then = 0;  // lock-step violations as the mark-th request went out
    form::CommandButton* button = nullptr;
};

// No second request while a reply may come; a late one after an ask taken, the asks' replies let go by.
TEST(Deadline, ALateControllerNeverGetsASecondRequestWhileItsReplyMayCome) {
    using Pace = std::tuple<const char*, double (*)(int), int>;
    using Activity = std::tuple<const char*, void (*)(LateController&), double, std::string>;
    for (const auto& [pace, latency, mark] :
         {Pace{"250 ms late", [](int) { return 0.25; }, 0}, Pace{"700 ms late", [](int) { return 0.7; }, 0},
          Pace{"one in five 700 ms late", [](int k) { return k % 5 == 0 ? 0.7 : 0.0; }, 0},
          Pace{"prompt, the 30th and 36th 300 ms late", [](int k) { return k == 30 || k == 36 ? 0.3 : 0.0; }, 35}}) {
        for (const auto& [name, start, seconds, notice] :
             {Activity{"polling", [](auto&) {}, 20, ""},
              Activity{"upload", [](auto& c) { c.page.form.upload.UserClick(); }, 120, "read from the controller"},
              Activity{"download", [](auto& c) { c.page.form.download.UserClick(); }, 240, "written, verified"},
              Activity{"host cycle", [](auto& c) { c.page.form.Host.UserClick(); }, 20, ""}}) {
            SCOPED_TRACE(std::string(pace) + ", " + name);
            LateController c(latency);
            c.requests = 0, c.mark = mark, start(c);
            c.RunClocked(seconds);
            EXPECT_EQ(c.violations_then > 0, mark > 0);
            EXPECT_EQ(c.port.lock_step_violations, c.violations_then);
            EXPECT_EQ(c.page.link.resyncs + c.page.link.discarded, 0u);
            EXPECT_EQ(c.page.form.Text3.Text, "Connected");
            EXPECT_TRUE(c.page.form.Notice.ends_with(notice)) << c.page.form.Notice;
            EXPECT_EQ(c.page.form.Notice.find("answers again"), std::string::npos);  // never counted lost
        }
    }
}

// A transfer ends within seconds, saying why, on a port gone before or after the click or a silent controller.
TEST(Deadline, ATransferOnADeadLineEndsWithinSecondsSayingWhy) {
    using Case = std::tuple<double, std::string, void (*)(LateController&)>;
    for (const auto& [within, why, click_and_kill] :
         {Case{0, "the port is not open", [](auto& c) { c.port.Close(), c.button->UserClick(); }},
          Case{0.2, "the port is not open", [](auto& c) { c.button->UserClick(), c.RunClocked(0.5), c.port.Close(); }},
          Case{5, "the controller stopped answering", [](auto& c) { c.button->UserClick(), c.port.responder = {}; }}}) {
        for (bool up : {true, false}) {
            SCOPED_TRACE(why + (up ? ", upload" : ", download"));
            LateController c([](int) { return 0.25; });  // asked again some 0.4 s apart
            c.button = up ? &c.page.form.upload : &c.page.form.download, click_and_kill(c);
            c.RunClocked(within);
            EXPECT_EQ(c.page.Transferring(), TransferUnderWay::None);
            EXPECT_EQ(c.page.form.mapfile.Text.find("Please Wait"), std::string::npos);
            EXPECT_NE(c.page.form.Notice.find(": " + why + "; press Connect"), std::string::npos) << c.page.form.Notice;
        }
    }
}

// A prompt controller's lost reply costs a few reply times wherever it falls: the
// request is asked again soon after its reply should have ended, and the next
// request follows once the ask's reply is in and a late first reply can no longer come.
TEST(Deadline, APromptControllersLostReplyIsAskedAgainWithinAFewReplyTimes) {
    using Activity = std::pair<const char*, void (*)(LateController&)>;
    for (const auto& [name, start] :
         {Activity{"polling", [](auto&) {}}, Activity{"upload", [](auto& c) { c.page.form.upload.UserClick(); }},
          Activity{"download", [](auto& c) { c.page.form.download.UserClick(); }},
          Activity{"host cycle", [](auto& c) { c.page.form.Host.UserClick(); }}}) {
        for (int lost = 3; lost <= 6; ++lost) {
            SCOPED_TRACE(std::string(name) + ", request " + std::to_string(lost) + " unanswered");
            LateController c([](int) { return 0.001; });
            c.RunClocked(1);  // the controller's pace learnt
            struct Sent {
                double at, exchange;  // when, and the request's and reply's time on the line
            };
            std::vector<Sent> sent;
            c.port.responder = [&](const Bytes& request) {
                Bytes reply = c.sim.Receive(request, c.now);
                sent.push_back({c.port.now, static_cast<double>(request.size() + reply.size()) * kByteSeconds});
                return sent.size() == static_cast<std::size_t>(lost) ? Bytes{} : reply;
            };
            start(c);
            c.RunClocked(1);
            ASSERT_GT(sent.size(), static_cast<std::size_t>(lost + 1));
            const Sent& unanswered = sent[lost - 1];
            const Sent& ask = sent[lost];
            const double exchange = std::max(unanswered.exchange, ask.exchange);
            EXPECT_LT(ask.at - unanswered.at, exchange + 0.005);
            EXPECT_LT(sent[lost + 1].at - ask.at, 3 * exchange + 0.01);
            EXPECT_EQ(c.port.lock_step_violations, 0);
        }
    }
}
