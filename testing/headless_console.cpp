#include "headless_console.h"

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
    console_ = std::make_unique<serial::HeadlessPage>(d);
    Main_Page* page = &console_->page();
    // Every live block the link decodes: those it polls, and those the host
    // cycle answers with its write.
    auto check = [this, page](const Bytes&) {
        ++decoded;
        const LiveValues& v = page->comm.live();
        if (v.live_version != 21 || v.live_batt < 130 || v.live_batt > 146) ++misread;
    };
    AlsoOn(page->comm.events.live_block, check);
    AlsoOn(page->comm.events.host_values_sent, check);
    started = true;
}

HeadlessConsole::~HeadlessConsole() {
    console_.reset();
    if (sim_.running()) sim_.Stop();
}

bool HeadlessConsole::RunUntil(const std::function<bool()>& done, double seconds) {
    return console_->RunUntil(done, seconds);
}

void HeadlessConsole::RunFor(double seconds) {
    RunUntil([] { return false; }, seconds);
}

std::optional<orvtest::SimStats> HeadlessConsole::StopSim() {
    if (console_) console_->StopTicks();
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
