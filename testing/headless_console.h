#pragma once
// The console without its window: the core on the real serial port, ticked
// every 100 ms by Qt's event loop, against orv-sim on a pseudo-terminal.
// After every event it checks that no live block was read out of step.
#include <QTemporaryDir>
#include <filesystem>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "core/page/main_page.h"
#include "serial/headless_page.h"
#include "sim_process.h"

namespace orv::e2e {

class HeadlessConsole {
   public:
    // Starts orv-sim with `sim_args` (its line linked as com1) and the console on it.
    explicit HeadlessConsole(std::vector<std::string> sim_args);
    ~HeadlessConsole();

    Main_Page& page() { return console_->page(); }
    std::filesystem::path dir() const { return dir_.path().toStdString(); }
    // Runs the event loop until `done` or `seconds` have passed; false on the deadline.
    bool RunUntil(const std::function<bool()>& done, double seconds);
    void RunFor(double seconds);
    // Stops the simulator; its counts, if it printed them.
    std::optional<orvtest::SimStats> StopSim();
    // Why the console did not start, when it did not.
    const std::string& error() const { return error_; }

    // Live blocks decoded with bytes out of place: the controller reports
    // version 2.1 and a battery near 13.8 V, so anything else is misread.
    int misread = 0;
    int decoded = 0;
    bool started = false;

   private:
    std::string error_;
    QTemporaryDir dir_;
    orvtest::SimProcess sim_;
    std::unique_ptr<serial::HeadlessPage> console_;
};

// The process's resident memory now, in kB.
long ResidentKb();

}  // namespace orv::e2e
