// upload, download and monitor end to end: orvtool against orv-sim on a
// pseudo-terminal at the line's real pace.
#include <gtest/gtest.h>
#include <stdlib.h>
#include <sys/stat.h>

#include <algorithm>
#include <fstream>
#include <sstream>

#include "core/calibration/image.h"
#include "core/files/map_file.h"
#include "core/recorder/recording.h"
#include "sim_process.h"
#include "tests/log/log_fixture.h"
#include "tests/support/random_image.h"
#include "tests/tools/run_tool.h"

using namespace orv;
using orv::test::RunTool;

namespace {

struct Sim {
    explicit Sim(std::vector<std::string> args) {
        args.insert(args.begin(), {"--baud", "19200"});
        std::string error;
        started = process.Start(args, &error);
        EXPECT_TRUE(started) << error;
    }
    orvtest::SimProcess process;
    bool started = false;
    const std::string& device() const { return process.device(); }
};

Image ReadImage(const std::string& path) {
    const ValueList v = ReadMapFile(path);
    EXPECT_EQ(v.error, "") << path;
    EXPECT_EQ(v.values.size(), static_cast<std::size_t>(kImageSize)) << path;
    Image image{};
    ApplyMapValues(image, v.values);
    return image;
}

// A random calibration as a saved map holds one: every view on "Bank 1",
// slot 1 active.
Image SavedImage(unsigned seed) {
    Image image = test::RandomImage(seed);
    image[kActiveSlotByte] = 0;
    ClearViewBits(image);
    return image;
}

struct TempDir {
    TempDir() {
        std::string name = (std::filesystem::temp_directory_path() / "orvtool-line-XXXXXX").string();
        path = ::mkdtemp(name.data()) ? name : "";
    }
    ~TempDir() { std::filesystem::remove_all(path); }
    std::string path;
};

std::string Path(const TempDir& dir, const char* name) { return dir.path + "/" + name; }

int Logged(const std::string& log, const std::string& hex) {  // the requests orv-sim logged beginning with `hex`
    std::ifstream in(log);
    int n = 0;
    for (std::string line; std::getline(in, line);) n += line.find(" RX " + hex) != std::string::npos;
    return n;
}

}  // namespace

TEST(LineCommands, UploadWritesTheControllersCalibrationWithTheLastByteFromBase) {
    Sim sim({"--calibration", ORV_SAMPLE_MAP});
    ASSERT_TRUE(sim.started);
    TempDir dir;
    Image base = SavedImage(3);
    base[1836] = 77;
    ASSERT_EQ(WriteMapFile(Path(dir, "base.map"), base), "");
    Image sample = ReadImage(ORV_SAMPLE_MAP);

    struct Case {
        std::vector<std::string> extra;
        std::uint8_t last;
    };
    for (const Case& k : {Case{{}, 0}, Case{{"--base", Path(dir, "base.map")}, 77}}) {
        std::vector<std::string> args = {"upload", "--port", sim.device(), "-o", Path(dir, "up.map")};
        args.insert(args.end(), k.extra.begin(), k.extra.end());
        // No temporary folder: the link runs on the device itself, so a
        // TMPDIR where no folder can be made changes nothing.
        const auto run = RunTool(args, "TMPDIR=" + orv::test::ShellQuote(ORV_SAMPLE_MAP));
        ASSERT_EQ(run.status, 0) << run.err;
        // No bar off a terminal: the one line that says what was done.
        EXPECT_EQ(run.out, "uploaded 1,836 bytes from " + sim.device() + " to " + Path(dir, "up.map") + "\n");
        sample[1836] = k.last;
        EXPECT_EQ(ReadImage(Path(dir, "up.map")), sample) << k.last;
    }
}

// Verify compares what the controller holds: at the upload's end the console
// writes an active-slot byte outside 0..3 back as the slot it shows.
TEST(LineCommands, DownloadLandsAndVerifiesAndUploadBringsItBack) {
    for (const int active : {-1, 130, 4, 255}) {
        SCOPED_TRACE(active);
        TempDir dir;
        Sim sim({"--eeprom", Path(dir, "eeprom.map"), "--log", Path(dir, "sim.log")});
        ASSERT_TRUE(sim.started);
        Image image = SavedImage(5);
        image[1836] = 9;
        if (active >= 0) image[kActiveSlotByte] = static_cast<std::uint8_t>(active);
        ASSERT_EQ(WriteMapFile(Path(dir, "in.map"), image), "");

        const auto down = RunTool({"download", "--port", sim.device(), Path(dir, "in.map"), "--verify"});
        ASSERT_EQ(down.status, 0) << down.err;
        EXPECT_EQ(down.err, "");
        EXPECT_EQ(down.out, "downloaded 1,836 bytes to " + sim.device() + ", verified\n");
        const ValueList eeprom = ReadMapFile(Path(dir, "eeprom.map"));
        ASSERT_GE(eeprom.values.size(), 1836u);
        EXPECT_TRUE(std::equal(image.begin(), image.begin() + 1836, eeprom.values.begin()));
        if (active >= 0) continue;

        const int reads = Logged(Path(dir, "sim.log"), "C0 ");
        const auto up =
            RunTool({"upload", "--port", sim.device(), "-o", Path(dir, "out.map"), "--base", Path(dir, "in.map")});
        ASSERT_EQ(up.status, 0) << up.err;
        EXPECT_EQ(ReadImage(Path(dir, "out.map")), image);
        EXPECT_EQ(Logged(Path(dir, "sim.log"), "C0 ") - reads, 30);  // what --base holds: each block read once
    }
}

TEST(LineCommands, VerifyNamesTheFirstByteTheControllerProgrammedWrong) {
    TempDir dir;
    ASSERT_EQ(WriteMapFile(Path(dir, "in.map"), SavedImage(7)), "");
    struct Case {
        int offset;
        bool verify;
        int status;
        std::string message;
    };
    const Case cases[] = {
        {0, true, 1, "verify failed at 0xE000"},
        {1000, true, 1, "verify failed at 0xE3E8"},
        {1835, true, 1, "verify failed at 0xE72B"},
        {1000, false, 0, ""},  // unnoticed without the check
    };
    for (const Case& k : cases) {
        SCOPED_TRACE(k.offset);
        Sim sim({"--corrupt-program", std::to_string(k.offset)});
        ASSERT_TRUE(sim.started);
        std::vector<std::string> args = {"download", "--port", sim.device(), Path(dir, "in.map")};
        if (k.verify) args.push_back("--verify");
        const auto run = RunTool(args);
        EXPECT_EQ(run.status, k.status) << run.err;
        if (k.message.empty()) EXPECT_EQ(run.err, "");
        else EXPECT_NE(run.err.find(k.message + ":"), std::string::npos) << run.err;
    }
}

TEST(LineCommands, MonitorWritesEveryPollAsCsvInEngineeringUnits) {
    Sim sim({});
    ASSERT_TRUE(sim.started);
    TempDir dir;
    const auto run = RunTool({"monitor", "--port", sim.device(), "--seconds", "1", "--csv", Path(dir, "live.csv")});
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(run.out, "");

    std::ifstream in(Path(dir, "live.csv"), std::ios::binary);
    std::string line;
    ASSERT_TRUE(std::getline(in, line));
    const std::string recorder = FormatRecordingCsv({}, 0);
    EXPECT_EQ(line + "\n", recorder);  // the recorder's header and CR LF
    int rows = 0;
    double last_time = 0;
    while (std::getline(in, line)) {
        ++rows;
        ASSERT_EQ(line.back(), '\r');
        std::vector<double> f;
        std::istringstream cells(line);
        for (std::string cell; std::getline(cells, cell, ',');) f.push_back(std::stod(cell));
        ASSERT_EQ(f.size(), 10u) << line;
        EXPECT_GT(f[0], last_time);
        EXPECT_LE(f[0], 1.1);
        last_time = f[0];
        EXPECT_EQ(static_cast<long>(f[1]) % 100, 0) << line;  // rpm, in steps of 100
        EXPECT_GE(f[9], 13.0) << line;                         // the battery near 13.8 V
        EXPECT_LE(f[9], 14.6) << line;
    }
    // Polls follow each other for the whole second; how many is the link-rate
    // benchmark's business, not this test's.
    EXPECT_GT(rows, 5);

    const auto readout = RunTool({"monitor", "--port", sim.device(), "--seconds", "0.5"});
    ASSERT_EQ(readout.status, 0) << readout.err;
    EXPECT_EQ(readout.out.rfind("rpm ", 0), 0u) << readout.out;
    EXPECT_GE(std::count(readout.out.begin(), readout.out.end(), '\n'), 3);
}

// Without ignition, monitor --csv and a replay of it log no advance (0), never the byte that says so.
TEST(LineCommands, MonitorAndReplayOfItLogNoAdvanceWithoutIgnition) {
    Sim sim({"--model", "quil"});
    TempDir dir;
    const std::string csv = Path(dir, "live.csv"), again = Path(dir, "again.csv");
    ASSERT_EQ(RunTool({"monitor", "--port", sim.device(), "--seconds", "0.6", "--csv", csv}).status, 0);
    ASSERT_EQ(RunTool({"replay", csv, ORV_SAMPLE_MAP, "-o", again}).status, 0);
    const orv::test::LogFile logged(csv), replayed(again);
    ASSERT_GT(logged.rows.size(), 3u);
    for (std::size_t i = 0; i < logged.rows.size(); ++i) {
        EXPECT_EQ(logged.rows[i][8], "0");
        EXPECT_EQ(logged.rows[i], std::vector(replayed.rows[i].begin(), replayed.rows[i].begin() + 10));
    }
}

TEST(LineCommands, BadInputFailsInOneLineAndWritesNothing) {
    TempDir dir;
    Sim quiet({"--silent-after", "0"});
    ASSERT_TRUE(quiet.started);
    const std::string out = Path(dir, "out.map");
    const std::string csv = Path(dir, "out.csv");
    struct Case {
        std::vector<std::string> args;
        std::string message;
    };
    const Case cases[] = {
        {{"upload", "--port", "/nonexistent/tty", "-o", out}, "orvtool: no such device: /nonexistent/tty"},
        {{"download", "--port", "/nonexistent/tty", ORV_SAMPLE_MAP}, "no such device"},
        {{"monitor", "--port", "/nonexistent/tty", "--csv", csv, "--seconds", "1"}, "no such device"},
        {{"download", "--port", quiet.device(), Path(dir, "missing.map")}, "map file " + Path(dir, "missing.map")},
        {{"upload", "--port", quiet.device(), "-o", out, "--base", Path(dir, "missing.map")}, "map file"},
        {{"upload", "--port", quiet.device(), "-o", out}, "no controller answers on " + quiet.device()},
        {{"monitor", "--port", quiet.device(), "--csv", csv, "--seconds", "x"}, "--seconds: not a number above zero"},
        {{"monitor", "--port", quiet.device(), "--csv", csv, "--baud", "0"}, "--baud: not a number above zero"},
        {{"download", "--port", quiet.device(), ORV_SAMPLE_MAP, "--bogus"}, "--bogus"},
        {{"upload", "--port", quiet.device()}, "--output is required"},
        // Refused before the line is opened: nothing is captured only to be lost.
        {{"upload", "--port", quiet.device(), "-o", Path(dir, "fifo")}, "map file " + Path(dir, "fifo") + " not written: is a FIFO, not a regular file"},
        {{"monitor", "--port", quiet.device(), "--csv", "/dev/null"}, "CSV file /dev/null not written: is a device, not a regular file"},
    };
    ASSERT_EQ(::mkfifo(Path(dir, "fifo").c_str(), 0666), 0);
    for (const Case& k : cases) {
        SCOPED_TRACE(k.args[0] + " " + k.message);
        const auto run = RunTool(k.args);
        EXPECT_NE(run.status, 0);
        EXPECT_EQ(run.out, "");
        EXPECT_NE(run.err.find(k.message), std::string::npos) << run.err;
        // Ours are one line; the parser adds its pointer to --help.
        const auto lines = std::count(run.err.begin(), run.err.end(), '\n');
        EXPECT_LE(lines, run.err.starts_with("orvtool: ") ? 1 : 2) << run.err;
        EXPECT_FALSE(std::filesystem::exists(out));
        EXPECT_FALSE(std::filesystem::exists(csv));
    }
}

// The CSV is written as the blocks come: killed outright, the monitor leaves
// whole rows up to the last second.
TEST(LineCommands, MonitorKilledOutrightKeepsItsCsvButTheLastSecond) {
    Sim sim({});
    ASSERT_TRUE(sim.started);
    TempDir dir;
    const std::string csv = Path(dir, "live.csv");
    const std::string cmd = orv::test::ShellQuote(ORVTOOL_BINARY) + " monitor --port " +
                            orv::test::ShellQuote(sim.device()) + " --csv " + orv::test::ShellQuote(csv) +
                            " >/dev/null 2>&1 & pid=$!; sleep 2.5; kill -9 $pid; wait $pid";
    ASSERT_NE(std::system(cmd.c_str()), -1);
    std::ifstream in(csv, std::ios::binary);
    std::string line, last;
    ASSERT_TRUE(std::getline(in, line));
    EXPECT_EQ(line + "\n", FormatRecordingCsv({}, 0));
    int rows = 0;
    while (std::getline(in, line)) {
        ++rows;
        EXPECT_EQ(line.back(), '\r') << "whole rows only";
        last = line;
    }
    ASSERT_GT(rows, 0);
    // Answering from about 0.1 s on; what was taken before the last second is there.
    EXPECT_GE(std::stod(last), 2.5 - 0.1 - 1.0) << last;
}

// A read-back noise never lets through: every block programmed once, "not verified", an exit status of its own.
TEST(LineCommands, AReadBackTheLineDoesNotLetThroughSaysWrittenNotVerified) {
    TempDir dir;
    ASSERT_EQ(WriteMapFile(Path(dir, "in.map"), SavedImage(5)), "");
    Sim sim({"--noisy-reads", "--log", Path(dir, "sim.log")});
    const auto run = RunTool({"download", "--port", sim.device(), Path(dir, "in.map"), "--verify"});
    EXPECT_EQ(run.status, 3);
    EXPECT_EQ(run.err, "orvtool: download written to " + sim.device() +
                           ", but not verified: the read-back stopped at byte 0 of 1,836: the line is too noisy\n");
    EXPECT_EQ(Logged(Path(dir, "sim.log"), "04 01 45 06"), 29);
}
