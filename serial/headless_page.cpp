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
    while (!done()) {
        if (t.elapsed() > seconds * 1000) return false;
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 20);
    }
    return true;
}

bool TransferRunning(const Main_Page& page) {
    const std::string& t = page.form.mapfile.Text;
    return t == "Uploading - Please Wait!!" || t == "Downloading - Please Wait!!";
}

}  // namespace orv::serial
