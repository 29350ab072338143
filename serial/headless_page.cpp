#include "serial/headless_page.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <fstream>

namespace orv::serial {

HeadlessPage::HeadlessPage(const std::filesystem::path& start_dir, qint32 baud) {
    std::ofstream(start_dir / "config.dat", std::ios::binary) << "1,\"\",\"\"\r\n";
    port_ = std::make_unique<QtSerialPort>(start_dir);
    port_->SetBaudRate(baud);
    page_ = std::make_unique<Main_Page>(*port_, start_dir);
    page_->Form_Load();
    QObject::connect(&tick_, &QTimer::timeout, [this] { page_->Timer1_Timer(); });
    tick_.start(100);
}

HeadlessPage::~HeadlessPage() {
    tick_.stop();
    page_.reset();
    port_.reset();
}

bool HeadlessPage::RunUntil(const std::function<bool()>& done, double seconds) {
    QElapsedTimer t;
    t.start();
    // Wakes the loop for the deadline even with the ticks stopped.
    QTimer wake;
    wake.start(100);
    while (!done()) {
        if (t.elapsed() > seconds * 1000) return false;
        // Sleeps until the port or a timer has something.
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
    }
    return true;
}

}  // namespace orv::serial
