// The log of every live block, against the simulated controller on the
// in-memory port: one row per block decoded, markers and gaps where they
// happened, nothing waiting longer than a second.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include "core/common/numbers.h"
#include "core/log/live_log.h"
#include "core/log/log_data.h"
#include "core/log/log_replay.h"
#include "core/recorder/recording.h"
#include "tests/log/log_fixture.h"
#include "tests/support/sim_console.h"

using namespace orv;
using orv::test::LogFile;

namespace {

// 2026-12-08 14:03:27.415, local time.
std::chrono::system_clock::time_point KnownTime() {
    std::tm t{};
    t.tm_year = 126, t.tm_mon = 11, t.tm_mday = 8, t.tm_hour = 14, t.tm_min = 3, t.tm_sec = 27, t.tm_isdst = -1;
    return std::chrono::system_clock::from_time_t(std::mktime(&t)) + std::chrono::milliseconds(415);
}

// The console on the simulated controller, a log on its link that reads the
// port's clock, and a count of the blocks the link decoded.
struct Logged : test::SimConsole {
    explicit Logged(orvsim::Options options = {}) : test::SimConsole(options) {
        AlsoOn(page.comm.events.live_block, [this](const Bytes&) { ++blocks; });
        on_tick = [this] { log.Tick(); };
        StartUp(1);
    }
    std::filesystem::path File(const char* name) const { return dir.path() / name; }
    LiveLog log{page.comm, {[this] { return now; }, [] { return KnownTime(); }}};
    int blocks = 0;
};

std::string Cells(const std::vector<std::string>& r, std::size_t from, std::size_t n) {
    std::string s = r.at(from);
    for (std::size_t i = from + 1; i < from + n; ++i) s += ',' + r.at(i);
    return s;
}
std::string Nine(const LiveTexts& t) {
    return Cells({t.rpm, t.pressure, t.tps, t.air, t.water, t.bank1, t.bank2, t.advance, t.batt}, 0, 9);
}

}  // namespace

TEST(LiveLog, WritesOneRowPerDecodedBlockInTheRecordersColumns) {
    Logged c;
    c.Run(0.5);  // blocks before the log are not in it
    const int before = c.blocks;
    ASSERT_EQ(c.log.Start(c.File("a.csv")), "");
    c.Run(2.0);
    EXPECT_EQ(c.log.Stop(), c.blocks - before);
    EXPECT_GT(c.blocks - before, 150);

    const LogFile f(c.File("a.csv"));
    EXPECT_TRUE(f.crlf);
    EXPECT_EQ(LiveLogHeader(LogColumns::Full), "time_s,rpm,pressure_bar,throttle_pct,air_c,water_c,bank1_ms,bank2_ms,"
                                               "advance_deg,battery_v,stamp,marker,mode,imposed_bank1_ms,"
                                               "imposed_bank2_ms,imposed_advance_deg\r\n");
    EXPECT_EQ(LiveLogHeader(LogColumns::Channels), FormatRecordingCsv({}, 0));
    ASSERT_EQ(f.DataRows(), c.blocks - before);
    double last = -1;
    for (const auto& r : f.rows) {
        ASSERT_EQ(r.size(), 16u);
        EXPECT_GE(std::stod(r[0]), last);
        last = std::stod(r[0]);
        EXPECT_EQ(r[10] + "|" + r[11] + "|" + r[12] + r[13] + r[14] + r[15], "2026-12-08 14:03:27.415||remote");
    }
    EXPECT_LE(last, 2.0);
    // The last row is the link's last block, in the recorder's units.
    std::string cells = f.rows.back()[1];
    for (int k = 2; k <= 9; ++k) cells += "," + f.rows.back()[k];
    EXPECT_EQ(cells, LiveChannelCells(c.page.comm.live()));
    EXPECT_EQ(cells.substr(0, cells.find(',')), std::to_string(c.page.comm.live().live_rpm * 100));
}

TEST(LiveLog, MarkersAndGapsStandWhereTheyHappened) {
    struct Step {
        const char* what;
        std::function<void(Logged&)> act;
        const char* mark;  // what the log says of it, after the rows so far
    };
    const Step steps[] = {
        {"marker", [](Logged& c) { c.log.Marker(); }, "1"},
        {"line silent", [](Logged& c) { c.Run(1.0, 0); }, kGapLinkLost},
        {"reconnect", [](Logged& c) { c.page.Connect_Click(); }, nullptr},
        {"upload",
         [](Logged& c) {
             c.page.upload_Click();
             c.log.Tick();  // the console's tick, which the transfer's replies leave no room for here
             c.RunToEnd();
             c.page.Connect_Click();
         },
         kGapTransfer},
        {"marker twice", [](Logged& c) { c.log.Marker(); c.log.Marker(); }, nullptr},
        {"host mode", [](Logged& c) { c.page.Host_Click(); c.Run(0.5); c.page.remote_Click(); c.Run(0.3); }, nullptr},
    };
    Logged c;
    c.Run(0.3);
    ASSERT_EQ(c.log.Start(c.File("m.csv")), "");
    std::vector<std::pair<std::string, int>> expected;
    for (const Step& s : steps) {
        SCOPED_TRACE(s.what);
        c.Run(0.3);
        const long rows = c.log.rows();
        s.act(c);
        if (s.mark) expected.emplace_back(s.mark, static_cast<int>(rows));
        c.Run(0.5);
        EXPECT_GT(c.log.rows(), rows + 20) << "logging resumes with the link";
    }
    c.log.Marker();
    c.log.Stop();
    const LogFile f(c.File("m.csv"));
    const auto marks = f.Marks();
    // Every numbered marker once, in order (of two pressed before a block,
    // the first on a row of its own); each expected mark where it happened
    // (a link looking lost around a reconnect may add gaps).
    std::vector<std::string> numbers;
    for (const auto& m : marks)
        if (!m.first.starts_with("gap")) numbers.push_back(m.first);
    EXPECT_EQ(numbers, (std::vector<std::string>{"1", "2", "3", "4"}));
    std::size_t e = 0;
    for (std::size_t k = 0; k < marks.size() && e < expected.size(); ++k) {
        if (marks[k].first != expected[e].first) continue;
        EXPECT_EQ(marks[k].second, expected[e].second) << marks[k].first;
        ++e;
    }
    EXPECT_EQ(e, expected.size()) << "missing: " << (e < expected.size() ? expected[e].first : "");
    EXPECT_EQ(f.DataRows(), c.log.rows()) << "gaps and markers are not rows of data";
    for (const auto& r : f.rows) {
        if (!r[1].empty()) continue;
        EXPECT_EQ(std::count(r.begin(), r.end(), ""), 13) << r[11];
    }
}

TEST(LiveLog, NothingWaitsLongerThanASecond) {
    Logged c;
    ASSERT_EQ(c.log.Start(c.File("f.csv")), "");
    EXPECT_EQ(LogFile(c.File("f.csv")).header.size(), 16u) << "the header is there at once";
    for (int second = 0; second < 3; ++second) {
        c.Run(1.0);
        // Read as a killed console would leave it: whole rows, at most the
        // blocks of the last 0.6 s (100 a second here) missing.
        const LogFile f(c.File("f.csv"));
        EXPECT_TRUE(f.crlf);
        ASSERT_FALSE(f.rows.empty());
        EXPECT_GE(std::stod(f.rows.back()[0]), second) << second;
        EXPECT_GE(f.DataRows(), c.log.rows() - 60) << second;
    }
}

TEST(LiveLog, StartsInAFreshFileNamedByDateAndTimeAndSaysWhyNot) {
    Logged c;
    c.dir.WriteFile("taken.csv", "keep");
    c.dir.WriteFile("plain", "");
    ::mkdir((c.dir.path() / "ro").c_str(), 0555);
    struct Case {
        std::filesystem::path path;
        bool replace;
        std::string written;  // the file the log went to, or empty
        std::string error;    // the start of why not
    };
    const Case cases[] = {
        {c.File("logs/new.csv"), false, "logs/new.csv", ""},  // the folder made
        {c.File("taken.csv"), false, "taken-2.csv", ""},
        {c.File("taken.csv"), false, "taken-3.csv", ""},
        {c.File("plain/x.csv"), false, "", "the folder " + c.File("plain").string() + " cannot be made"},
        {c.File("m.csv"), true, "m.csv", ""},
        {c.File("m.csv"), true, "m.csv", ""},  // replaced, for orvtool
    };
    for (const Case& k : cases) {
        SCOPED_TRACE(k.path.string());
        const std::string error = c.log.Start(k.path, LogColumns::Full, k.replace);
        EXPECT_EQ(error.substr(0, k.error.size()), k.error);
        if (!k.error.empty()) {
            EXPECT_FALSE(c.log.Logging());
            continue;
        }
        EXPECT_EQ(error, "");
        EXPECT_EQ(c.log.path(), c.File(k.written.c_str()));
        c.Run(0.2);
        c.log.Stop();
        EXPECT_EQ(LogFile(c.log.path()).DataRows(), c.log.rows());
    }
    EXPECT_EQ(c.dir.ReadFile("taken.csv"), "keep");
    if (::geteuid() != 0) {
        EXPECT_NE(c.log.Start(c.File("ro/x.csv")), "");
    }
    EXPECT_EQ(c.log.Marker(), 0) << "no log, no marker";
    EXPECT_EQ(LogPathFor("/x", KnownTime()), std::filesystem::path("/x/logs/2026-12-08_14-03-27.csv"));
    EXPECT_EQ(LogStamp(KnownTime()), "2026-12-08 14:03:27.415");
}

TEST(LiveLog, GoingBeforeTheLinkLeavesItWorking) {
    Logged c;
    {
        LiveLog gone(c.page.comm);
        ASSERT_EQ(gone.Start(c.File("g.csv")), "");
        c.Run(0.3);
    }
    const int before = c.blocks;
    c.Run(0.5);
    EXPECT_GT(c.blocks, before + 20);
    EXPECT_GT(LogFile(c.File("g.csv")).DataRows(), 20) << "written as it went";
}

// Host mode's blocks are rows with what was sent; read-outs, recorder, log and replay agree, without ignition too.
TEST(LiveLog, EveryBlockIsARowAndEveryReaderAgreesOnIt) {
    for (const orvsim::Model model : {orvsim::Model::talpa, orvsim::Model::quil}) {
        orvsim::Options options;
        options.model = model;
        Logged c(options);
        std::vector<std::string> sent;  // host mode's writes end with the nine parameters
        AlsoOn(c.page.comm.events.host_values_sent, [&](const Bytes& w) {
            const std::uint8_t* p = &w[w.size() - 9];
            sent.push_back("host," + Format(p[0] / 10.0, "#0.0") + "," + Format(p[1] / 10.0, "#0.0") + "," +
                           Str(p[2] - 45L));
        });
        c.Run(0.3);
        ASSERT_EQ(c.log.Start(c.File("v.csv")), "");
        c.page.record_Click();
        c.Run(0.5);
        c.page.Host_Click();
        c.Run(1.0);
        c.log.Stop();
        const LogData log = ReadLog(c.File("v.csv"));
        std::ofstream(c.File("r.csv")) << FormatReplayCsv(log, Recompute(log, c.page.cal.mem_image));
        const LogFile f(c.File("v.csv")), replayed(c.File("r.csv"));
        ASSERT_EQ(f.rows.size(), log.rows());
        std::size_t host = 0;
        for (std::size_t i = 0; i < f.rows.size(); ++i) {
            const auto& r = f.rows[i];
            EXPECT_EQ(Cells(replayed.rows[i], 0, 10) + "," + Cells(replayed.rows[i], 17, 4),
                      Cells(r, 0, 10) + "," + (r[12] == "host" && host < sent.size() ? sent[host++] : "remote,,,"));
            EXPECT_TRUE(model == orvsim::Model::talpa || r[8] == "0") << i;
        }
        EXPECT_TRUE(host == sent.size() && host > 5) << host;
        // The block on show at the end: the read-outs', the recorder's last sample and the log's last row.
        const auto& [w, rec] = std::tie(c.page.form, c.page.rec);
        const std::string s =
            FormatRecordingCsv(std::span(&rec.rec_buffer[(rec.rec_index - 1) * kRecSampleSize], kRecSampleSize), 1);
        EXPECT_EQ(Nine({w.rpm.Text, w.pressure.Text, w.tps.Text, w.air.Text, w.water.Text, w.bank1.Text, w.bank2.Text,
                        w.advance.Text, w.batt.Text, ""}) +
                      s.substr(s.find(',', s.find('\n'))),
                  Nine(FormatLive(*LiveAt(log, log.rows() - 1))) + "," + Cells(f.rows.back(), 1, 9) + "\r\n");
    }
}
