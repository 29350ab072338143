#include "headless_console.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <fstream>

namespace orv::e2e {

HeadlessConsole::HeadlessConsole(std::vector<std::string> sim_args) {
    const std::filesystem::path d = dir();
    sim_args.push_back("--link");
    sim_args.push_back((d / "com1").string());
    std::string error;
    if (!sim_.Start(sim_args, &error)) {
        error_ = "orv-sim: " + error;
        return;
    }
    std::ofstream(d / "config.dat", std::ios::binary) << "1,\"\",\"\"\r\n";
    port_ = std::make_unique<serial::QtSerialPort>(d);
    page_ = std::make_unique<Main_Page>(*port_, d);
    page_->AddListener([this] {
        // One event takes at most one reply; a live block is what it decoded.
        if (page_->link.replies == replies_seen_) return;
        replies_seen_ = page_->link.replies;
        const std::size_t n = page_->link.rx_data.size();
        if (n != kLiveBlockLong && n != kLiveBlockShort) return;
        ++decoded;
        const LiveValues& v = page_->live;
        if (v.live_version != 21 || v.live_batt < 130 || v.live_batt > 146) ++misread;
    });
    page_->Form_Load();
    QObject::connect(&tick_, &QTimer::timeout, [this] { page_->Timer1_Timer(); });
    tick_.start(100);
    started = true;
}

HeadlessConsole::~HeadlessConsole() {
    tick_.stop();
    page_.reset();
    port_.reset();
    if (sim_.running()) sim_.Stop();
}

bool HeadlessConsole::RunUntil(const std::function<bool()>& done, double seconds) {
    QElapsedTimer t;
    t.start();
    while (!done()) {
        if (t.elapsed() > seconds * 1000) return false;
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 20);
    }
    return true;
}

void HeadlessConsole::RunFor(double seconds) {
    RunUntil([] { return false; }, seconds);
}

std::optional<orvtest::SimStats> HeadlessConsole::StopSim() {
    tick_.stop();
    sim_.Stop();
    return orvtest::ParseStatsLine(sim_.last_line());
}

long ResidentKb() {
    std::ifstream in("/proc/self/status");
    std::string key;
    long value = 0;
    while (in >> key) {
        if (key == "VmRSS:") {
            in >> value;
            return value;
        }
        in.ignore(1 << 12, '\n');
    }
    return 0;
}

}  // namespace orv::e2e
