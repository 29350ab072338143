#include "serial/qt_serial_port.h"

#include <system_error>

#ifdef __linux__
#include <linux/serial.h>
#include <sys/ioctl.h>
#endif

namespace orv::serial {

namespace {

struct InCall {
    explicit InCall(int& depth) : depth_(depth) { ++depth_; }
    ~InCall() { --depth_; }
    InCall(const InCall&) = delete;
    InCall& operator=(const InCall&) = delete;
    int& depth_;
};

// Asks the driver to hand every received byte on at once instead of
// batching it for a few milliseconds: the link polls back to back, each
// request waiting for its reply. A USB adapter left batching holds each
// reply for its latency timer (16 ms by default), which cuts polling to a
// third. Drivers that are no serial driver at all (a pseudo-terminal) do
// not know the request and need nothing.
QtSerialPort::LowLatency RequestLowLatency([[maybe_unused]] int fd) {
    using L = QtSerialPort::LowLatency;
#ifdef __linux__
    serial_struct info{};
    if (fd < 0 || ioctl(fd, TIOCGSERIAL, &info) != 0) return L::kNotSerial;
    if (info.flags & ASYNC_LOW_LATENCY) return L::kGranted;
    info.flags |= ASYNC_LOW_LATENCY;
    if (ioctl(fd, TIOCSSERIAL, &info) != 0) return L::kRefused;
    // Some drivers take the request and drop the flag: believe what reads back.
    serial_struct after{};
    if (ioctl(fd, TIOCGSERIAL, &after) != 0 || !(after.flags & ASYNC_LOW_LATENCY)) return L::kRefused;
    return L::kGranted;
#else
    return L::kNotSerial;
#endif
}

}  // namespace

QtSerialPort::QtSerialPort(std::filesystem::path start_dir, QObject* parent)
    : QObject(parent), request_low_latency(RequestLowLatency), start_dir_(std::move(start_dir)) {
    connect(&port_, &QSerialPort::readyRead, this, [this] { Signal(CommEvent::Receive); });
    connect(&port_, &QSerialPort::errorOccurred, this, [this](QSerialPort::SerialPortError e) { OnError(e); });
}

QtSerialPort::~QtSerialPort() {
    on_comm = nullptr;
    if (port_.isOpen()) port_.close();
}

std::filesystem::path QtSerialPort::DevicePath(const std::filesystem::path& start_dir, int port_number) {
    const std::filesystem::path link = start_dir / ("com" + std::to_string(port_number));
    std::error_code ec;
    if (std::filesystem::is_symlink(link, ec)) {
        // The device itself, so that its lock file is the one every program uses.
        std::filesystem::path target = std::filesystem::canonical(link, ec);
        if (!ec) return target;
        target = std::filesystem::read_symlink(link, ec);
        return target.is_absolute() ? target : start_dir / target;
    }
    if (std::filesystem::exists(link, ec)) return link;
    return "/dev/ttyS" + std::to_string(port_number - 1);
}

void QtSerialPort::MapPort(int port_number, std::filesystem::path device) {
    mapped_[port_number] = std::move(device);
}

std::filesystem::path QtSerialPort::Device(int port_number) const {
    auto it = mapped_.find(port_number);
    return it != mapped_.end() ? it->second : DevicePath(start_dir_, port_number);
}

bool QtSerialPort::Open(int port_number) {
    if (port_.isOpen()) port_.close();
    if (port_number < 1) return false;
    const std::filesystem::path device = Device(port_number);
    port_.setPortName(QString::fromStdString(device.string()));
    port_.setBaudRate(baud_);
    port_.setDataBits(QSerialPort::Data8);
    port_.setParity(QSerialPort::NoParity);
    port_.setStopBits(QSerialPort::OneStop);
    port_.setFlowControl(QSerialPort::NoFlowControl);
    // Open's own failures are its result, not a notification; line settings
    // a pseudo-terminal does not support fail here harmlessly.
    opening_ = true;
    const bool ok = port_.open(QIODevice::ReadWrite);
    if (ok) {
        const LowLatency answer =
            request_low_latency ? request_low_latency(static_cast<int>(port_.handle())) : LowLatency::kNotSerial;
        low_latency_ = answer == LowLatency::kGranted;
        if (answer == LowLatency::kRefused && !refusal_told_ && on_notice) {
            refusal_told_ = true;
            on_notice("The serial adapter on " + device.string() +
                      " refused low-latency mode: the controller is polled about 44 times a second instead of 147.");
        }
        port_.clear();
    }
    opening_ = false;
    return ok && port_.isOpen();
}

void QtSerialPort::Close() {
    if (port_.isOpen()) port_.close();
}

bool QtSerialPort::IsOpen() const { return port_.isOpen(); }

bool QtSerialPort::Write(const Bytes& bytes) {
    if (!port_.isOpen()) return false;
    InCall call(in_call_);
    const auto n = static_cast<qint64>(bytes.size());
    if (port_.write(reinterpret_cast<const char*>(bytes.data()), n) != n) return false;
    // Out now, not at the next turn of the event loop: the controller only
    // answers once it has the whole request.
    return port_.flush() && port_.isOpen();
}

std::size_t QtSerialPort::InBufferCount() const {
    return port_.isOpen() ? static_cast<std::size_t>(port_.bytesAvailable()) : 0;
}

Bytes QtSerialPort::Input() {
    if (!port_.isOpen()) return {};
    const QByteArray data = port_.readAll();
    return Bytes(data.begin(), data.end());
}

void QtSerialPort::SetInBufferSize(std::size_t size) {
    // Qt's read buffer stays unbounded: a bounded one would stop reading once
    // full, and the console must still take a 64-byte reply whatever size
    // it asks for here.
    in_buffer_size_ = size;
}

void QtSerialPort::OnError(QSerialPort::SerialPortError error) {
    if (error == QSerialPort::NoError || opening_) return;
    const bool failed = error == QSerialPort::ReadError || error == QSerialPort::WriteError ||
                        error == QSerialPort::ResourceError;
    if (failed) {
        // A failed port keeps failing (a hung-up line reports a read error
        // for ever); closed, it reports once and stays quiet until reopened.
        if (!port_.isOpen()) return;
        port_.close();
    }
    // A failure inside the console's own call (a write) is told after that
    // call: notifications never cut into a handler.
    if (in_call_ > 0)
        QMetaObject::invokeMethod(this, [this] { Signal(CommEvent::Error); }, Qt::QueuedConnection);
    else
        Signal(CommEvent::Error);
}

void QtSerialPort::Signal(CommEvent e) {
    if (on_comm) on_comm(e);
}

}  // namespace orv::serial
