// The console as shipped, end to end: the orv-console binary on the
// offscreen platform, in a fresh folder with a config.dat naming port 1,
// where orv-sim has put a com1 link to its pseudo-terminal.
#include <gtest/gtest.h>
#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <string_view>
#include <thread>
#include <vector>

#include "sim_process.h"

extern char** environ;

namespace {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;
using namespace std::chrono_literals;

std::string ReadFile(const fs::path& p) {
    std::ifstream in(p, std::ios::binary);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
}

std::vector<std::string> Lines(const fs::path& p) {
    std::vector<std::string> out;
    std::ifstream in(p);
    for (std::string line; std::getline(in, line);) out.push_back(line);
    return out;
}

// Requests the simulator logged: "<time> RX <bytes>".
std::vector<std::string> Requests(const fs::path& log) {
    std::vector<std::string> out;
    for (const std::string& line : Lines(log)) {
        auto at = line.find(" RX ");
        if (at != std::string::npos) out.push_back(line.substr(at + 4));
    }
    return out;
}

// Polls `done` every 20 ms until it holds or the deadline passes: these are
// real processes talking over a real line.
template <typename F>
bool WaitFor(F done, std::chrono::milliseconds deadline) {
    const auto until = Clock::now() + deadline;
    while (!done()) {
        if (Clock::now() >= until) return false;
        std::this_thread::sleep_for(20ms);
    }
    return true;
}

class ConsoleProcess {
   public:
    ~ConsoleProcess() {
        if (pid_ > 0) {
            kill(pid_, SIGKILL);
            waitpid(pid_, nullptr, 0);
        }
    }
    // display false: no display of any kind, as on a bare remote shell.
    bool Start(const fs::path& dir, const std::vector<std::string>& args = {}, bool display = true) {
        std::vector<std::string> env;
        for (char** e = environ; *e; ++e) {
            const std::string_view v(*e);
            if (v.starts_with("QT_QPA_PLATFORM=") || v.starts_with("DISPLAY=") || v.starts_with("WAYLAND_DISPLAY="))
                continue;
            env.emplace_back(v);
        }
        if (display) env.emplace_back("QT_QPA_PLATFORM=offscreen");
        std::vector<char*> envp;
        for (std::string& e : env) envp.push_back(e.data());
        envp.push_back(nullptr);
        const std::string log = (dir / "console.log").string();
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_addchdir_np(&actions, dir.c_str());
        posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, log.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        posix_spawn_file_actions_adddup2(&actions, STDOUT_FILENO, STDERR_FILENO);
        std::string binary = ORV_CONSOLE_BINARY;
        std::vector<std::string> arg_strings{binary};
        arg_strings.insert(arg_strings.end(), args.begin(), args.end());
        std::vector<char*> argv;
        for (std::string& a : arg_strings) argv.push_back(a.data());
        argv.push_back(nullptr);
        const int rc = posix_spawn(&pid_, binary.c_str(), &actions, nullptr, argv.data(), envp.data());
        posix_spawn_file_actions_destroy(&actions);
        if (rc != 0) pid_ = -1;
        return rc == 0;
    }
    pid_t pid() const { return pid_; }
    bool Running() {
        if (pid_ <= 0) return false;
        int status = 0;
        if (waitpid(pid_, &status, WNOHANG) != pid_) return true;
        pid_ = -1;
        exit_status_ = status;
        return false;
    }
    // The exit code once the process has ended by itself; -1 if it is still
    // running at the deadline.
    int Wait(std::chrono::milliseconds deadline = 5s) {
        if (!WaitFor([&] { return !Running(); }, deadline)) return -1;
        return WIFEXITED(exit_status_) ? WEXITSTATUS(exit_status_) : -1;
    }
    // SIGTERM closes the window; the exit code, or -1 if it had to be killed.
    int Stop(std::chrono::milliseconds deadline = 5s) {
        if (pid_ <= 0) return -1;
        kill(pid_, SIGTERM);
        if (!WaitFor([&] { return !Running(); }, deadline)) {
            kill(pid_, SIGKILL);
            waitpid(pid_, nullptr, 0);
            pid_ = -1;
            return -1;
        }
        return WIFEXITED(exit_status_) ? WEXITSTATUS(exit_status_) : -1;
    }
    // Whether any descriptor of the process refers to `device` (which reads
    // "/dev/pts/N (deleted)" once the far end has closed it).
    bool Holds(const std::string& device) const {
        std::error_code ec;
        for (const auto& fd : fs::directory_iterator("/proc/" + std::to_string(pid_) + "/fd", ec)) {
            std::error_code link_ec;
            if (fs::read_symlink(fd.path(), link_ec).string().starts_with(device)) return true;
        }
        return false;
    }

   private:
    pid_t pid_ = -1;
    int exit_status_ = 0;
};

class ConsoleAgainstSim : public ::testing::Test {
   protected:
    ConsoleAgainstSim() {
        std::string tmpl = (fs::temp_directory_path() / "orv-console-e2e-XXXXXX").string();
        if (mkdtemp(tmpl.data())) dir_ = tmpl;
    }
    ~ConsoleAgainstSim() override {
        std::error_code ec;
        if (!HasFailure()) fs::remove_all(dir_, ec);
    }

    // Use with ASSERT_NO_FATAL_FAILURE. mapped_port: config.dat names that
    // port, and the console is told the simulator's device for it with
    // --port instead of finding a com1 link.
    void Launch(std::vector<std::string> sim_args, int mapped_port = 0) {
        ASSERT_FALSE(dir_.empty());
        fs::copy_file(ORV_SAMPLE_MAP, dir_ / "sample.map");
        // Not the console's own spelling (blanks, LF only): start-up rewrites it.
        std::ofstream(dir_ / "config.dat", std::ios::binary)
            << (mapped_port ? mapped_port : 1) << " , \"" << (dir_ / "sample.map").string() << "\" , \"\"\n";
        std::vector<std::string> args = {"--log", log().string(), "--calibration", ORV_SAMPLE_MAP};
        if (!mapped_port) args.insert(args.end(), {"--link", (dir_ / "com1").string()});
        args.insert(args.end(), sim_args.begin(), sim_args.end());
        std::string error;
        ASSERT_TRUE(sim_.Start(args, &error)) << error;
        std::vector<std::string> console_args;
        if (mapped_port) console_args = {"--port", std::to_string(mapped_port) + "=" + sim_.device()};
        ASSERT_TRUE(console_.Start(dir_, console_args)) << "cannot start " << ORV_CONSOLE_BINARY;
    }
    fs::path log() const { return dir_ / "sim.log"; }
    std::string ConsoleOutput() const { return ReadFile(dir_ / "console.log"); }

    fs::path dir_;
    orvtest::SimProcess sim_;
    ConsoleProcess console_;
};

TEST_F(ConsoleAgainstSim, StartUpOpensPort1AndPollsBackToBack) {
    ASSERT_NO_FATAL_FAILURE(Launch({}));
    const auto started = Clock::now();
    EXPECT_TRUE(WaitFor([&] { return Clock::now() - started > 1500ms && Requests(log()).size() > 200; }, 8s))
        << "requests: " << Requests(log()).size() << "\n" << ConsoleOutput();
    EXPECT_TRUE(console_.Running()) << ConsoleOutput();
    EXPECT_EQ(console_.Stop(), 0) << ConsoleOutput();

    EXPECT_EQ(sim_.Stop(), 0) << sim_.stderr_text();
    auto stats = orvtest::ParseStatsLine(sim_.last_line());
    ASSERT_TRUE(stats) << sim_.last_line();
    EXPECT_GT(stats->requests, 200u);
    EXPECT_GE(stats->replies + 1, stats->requests);  // the last one may have been cut off by the exit
    EXPECT_EQ(stats->violations, 0u);
    EXPECT_EQ(stats->malformed, 0u);

    // Selecting the remembered port at start-up rewrote config.dat in the console's own form.
    EXPECT_EQ(ReadFile(dir_ / "config.dat"), "1,\"" + (dir_ / "sample.map").string() + "\",\"\"\r\n");
    const std::vector<std::string> requests = Requests(log());
    ASSERT_FALSE(requests.empty());
    EXPECT_EQ(requests.front(), "8A 01 03");
    for (const std::string& r : requests) ASSERT_EQ(r, "8A 01 03") << "only live polls in monitor mode";
}

TEST_F(ConsoleAgainstSim, AHungUpLineClosesThePortAndTheConsoleCarriesOn) {
    // Late enough for a console slowed down by sanitizers to be polling.
    ASSERT_NO_FATAL_FAILURE(Launch({"--hangup-after", "2"}));
    const std::string device = sim_.device();
    ASSERT_TRUE(WaitFor([&] { return console_.Holds(device); }, 5s)) << ConsoleOutput();
    ASSERT_TRUE(WaitFor([&] { return ReadFile(log()).find("-- hangup") != std::string::npos; }, 5s));
    EXPECT_TRUE(WaitFor([&] { return !console_.Holds(device); }, 3s)) << "the port stayed open";
    const std::size_t polled = Requests(log()).size();
    EXPECT_GT(polled, 10u);
    // Still there a while later, and quiet on the line.
    EXPECT_FALSE(WaitFor([&] { return !console_.Running(); }, 1500ms)) << ConsoleOutput();
    EXPECT_EQ(Requests(log()).size(), polled);
    EXPECT_EQ(console_.Stop(), 0) << ConsoleOutput();
    EXPECT_EQ(sim_.Stop(), 0);
    auto stats = orvtest::ParseStatsLine(sim_.last_line());
    ASSERT_TRUE(stats) << sim_.last_line();
    EXPECT_EQ(stats->violations, 0u);
}

}  // namespace

TEST_F(ConsoleAgainstSim, PortMappedOnTheCommandLinePollsTheController) {
    ASSERT_NO_FATAL_FAILURE(Launch({"--baud", "19200"}, 4));
    EXPECT_TRUE(WaitFor([&] { return Requests(log()).size() > 20; }, 8s)) << ConsoleOutput();
    EXPECT_EQ(console_.Stop(), 0) << ConsoleOutput();
    EXPECT_FALSE(fs::exists(dir_ / "com4"));
    EXPECT_EQ(ReadFile(dir_ / "config.dat").substr(0, 2), "4,");
}

// On a bare remote shell: no display, and the command line answers before
// the console would need one.
TEST(ConsoleCommandLine, AnswersWithoutADisplay) {
    const struct {
        std::vector<std::string> args;
        int status;
        const char* says;
    } cases[] = {
        {{"--port", "8=/dev/ttyUSB0"}, 2, "must be 1 to 7"},
        {{"--port", "1"}, 2, "expected N=DEVICE"},
        {{"--port", "1="}, 2, "no device"},
        {{"--version"}, 0, "orv-console "},
        {{"--help"}, 0, "--port <N=DEVICE>"},
    };
    std::string tmpl = (fs::temp_directory_path() / "orv-console-cl-XXXXXX").string();
    ASSERT_TRUE(mkdtemp(tmpl.data()));
    const fs::path dir = tmpl;
    for (const auto& c : cases) {
        ConsoleProcess console;
        ASSERT_TRUE(console.Start(dir, c.args, false));
        EXPECT_EQ(console.Wait(), c.status) << c.args[0];
        const std::string out = ReadFile(dir / "console.log");
        EXPECT_NE(out.find(c.says), std::string::npos) << out;
    }
    EXPECT_FALSE(fs::exists(dir / "config.dat")) << "nothing started";
    fs::remove_all(dir);
}

// Settings files that are no regular file (a FIFO, links to a device and to the FIFO) are named and
// passed over: nothing hangs, and once logviewer.ini is told (the window up) SIGTERM ends the console.
TEST(ConsoleSettingsFiles, OnesThatAreNoFileAreSaidAndPassedOver) {
    std::string tmpl = (fs::temp_directory_path() / "orv-console-ini-XXXXXX").string();
    ASSERT_TRUE(mkdtemp(tmpl.data()));
    const fs::path dir = tmpl;
    ASSERT_EQ(mkfifo((dir / "ports.ini").c_str(), 0666), 0);
    fs::create_symlink("/dev/zero", dir / "logging.ini");
    fs::create_symlink("ports.ini", dir / "logviewer.ini");
    ConsoleProcess console;
    ASSERT_TRUE(console.Start(dir, {"--log", fs::path(ORV_SAMPLE_MAP).replace_filename("sample-drive.csv").string()}));
    const auto told = [&](const std::string& said) {
        const std::string out = ReadFile(dir / "console.log");
        const auto at = out.find(said);
        return out.find(", not a regular file: its settings are not used\n", at) < out.find('\n', at);
    };
    for (const char* said :
         {"ports.ini\" is a FIFO", "logging.ini\" links to \"/dev/zero\"", "logviewer.ini\" links to "})
        EXPECT_TRUE(WaitFor([&] { return told(said); }, 10s)) << said << "\n" << ReadFile(dir / "console.log");
    EXPECT_EQ(console.Stop(), 0) << ReadFile(dir / "console.log");
    fs::remove_all(dir);
}
