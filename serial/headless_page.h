#pragma once
// The console's core without its window: a Main_Page on the real serial
// port, ticked every 100 ms by Qt's event loop as the window's timer does.
// Anything that drives the controller from outside the window (the
// command-line tool, the end-to-end tests) runs the link through this.
#include <QTimer>
#include <filesystem>
#include <functional>
#include <memory>

#include "core/page/main_page.h"
#include "serial/qt_serial_port.h"

namespace orv::serial {

class HeadlessPage {
   public:
    // start_dir: where the console keeps config.dat (written here for port 1)
    // and where com1 names the device. Needs a Q(Core)Application.
    explicit HeadlessPage(const std::filesystem::path& start_dir, qint32 baud = QSerialPort::Baud19200);
    ~HeadlessPage();
    HeadlessPage(const HeadlessPage&) = delete;
    HeadlessPage& operator=(const HeadlessPage&) = delete;

    Main_Page& page() { return *page_; }
    // Runs the event loop until `done` or `seconds` have passed; false on the deadline.
    bool RunUntil(const std::function<bool()>& done, double seconds);
    void StopTicks() { tick_.stop(); }

   private:
    std::unique_ptr<QtSerialPort> port_;
    std::unique_ptr<Main_Page> page_;
    QTimer tick_;
};

}  // namespace orv::serial
