// The log on the real serial port, against orv-sim at the line's pace: a
// few seconds give one row per block the link decoded, with the markers
// where they were dropped and a gap where the controller fell silent.
#include <gtest/gtest.h>

#include "core/log/live_log.h"
#include "headless_console.h"
#include "tests/log/log_fixture.h"

using namespace orv;
using orv::e2e::HeadlessConsole;
using orv::test::LogFile;

TEST(LogE2e, LogsEveryBlockOfAFewSecondsAndTheGapWhenTheControllerStops) {
    HeadlessConsole c({"--silent-after", "3"});
    ASSERT_TRUE(c.started) << c.error();
    LiveLog log(c.page().comm);
    int blocks = 0;
    AlsoOn(c.page().comm.events.live_block, [&](const Bytes&) { blocks += log.Logging(); });
    ASSERT_TRUE(c.RunUntil([&] { return c.page().comm.status() == LinkStatus::Connected; }, 5));
    const std::filesystem::path path = LogPathFor(c.dir(), std::chrono::system_clock::now());
    ASSERT_EQ(log.Start(path), "");
    auto run = [&](double seconds) { c.RunUntil([&] { log.Tick(); return false; }, seconds); };
    for (int k = 0; k < 3; ++k) {
        run(0.5);
        log.Marker();
    }
    // The controller falls silent 3 s after it started.
    run(2.5);
    const long rows = log.Stop();
    EXPECT_EQ(rows, blocks);
    EXPECT_GT(rows, 100);
    EXPECT_EQ(c.misread, 0);

    const LogFile f(path);
    EXPECT_EQ(f.DataRows(), rows);
    std::vector<std::string> marks;
    for (const auto& m : f.Marks()) marks.push_back(m.first);
    EXPECT_EQ(marks, (std::vector<std::string>{"1", "2", "3", kGapLinkLost}));
}
