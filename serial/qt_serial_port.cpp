#include "serial/qt_serial_port.h"

#include <system_error>

#include <algorithm>
#include <cerrno>
#include <cmath>

#include <sys/ioctl.h>
#include <unistd.h>
#ifdef __linux__
#include <linux/serial.h>
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
    connect(&port_, &QSerialPort::readyRead, this, [this] { OnReadyRead(); });
    connect(&port_, &QSerialPort::errorOccurred, this, [this](QSerialPort::SerialPortError e) { OnError(e); });
    wake_.setSingleShot(true);
    wake_.setTimerType(Qt::PreciseTimer);
    connect(&wake_, &QTimer::timeout, this, [this] { Signal(CommEvent::Wake); });
}

void QtSerialPort::WakeAt(double when) {
    // Rounded up: a little late, never before the time asked for.
    const double ms = std::ceil((when - Now()) * 1000);
    wake_.start(static_cast<int>(std::clamp(ms, 0.0, 1e9)));
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
    open_error_.clear();
    open_error_kind_ = QSerialPort::NoError;
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
    if (!ok) {
        open_error_ = port_.errorString().toStdString();
        open_error_kind_ = port_.error();
    }
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
        rthreshold_ = 1;
        line_vmin_ = -1;
        ApplyThreshold();
    }
    opening_ = false;
    failure_ = ok ? std::string() : Explain(port_.error(), device.string());
    return ok && port_.isOpen();
}

std::string QtSerialPort::Explain(QSerialPort::SerialPortError error, const std::string& device) {
    switch (error) {
        case QSerialPort::PermissionError:
            return "permission denied on " + device +
                   " (add yourself to the dialout group: sudo adduser $USER dialout, then log in again)";
        case QSerialPort::DeviceNotFoundError: return device + " does not exist (is the adapter plugged in?)";
        case QSerialPort::OpenError: return device + " is already open in another program";
        case QSerialPort::ResourceError:
        case QSerialPort::ReadError:
        case QSerialPort::WriteError: return device + " vanished (the adapter was unplugged or lost power)";
        default: return device + " failed";
    }
}

void QtSerialPort::Close() {
    if (port_.isOpen()) port_.close();
}

bool QtSerialPort::IsOpen() const { return port_.isOpen(); }

bool QtSerialPort::Write(const Bytes& bytes) {
    if (!port_.isOpen()) return false;
    InCall call(in_call_);
    // Straight to the driver, which takes a request whole: through
    // QSerialPort's buffer every request would cost the event loop another
    // turn for its write notifier. What the driver does not take goes the
    // buffered way.
    const char* data = reinterpret_cast<const char*>(bytes.data());
    auto n = static_cast<qint64>(bytes.size());
    if (!port_.bytesToWrite()) {
        const ssize_t written = ::write(static_cast<int>(port_.handle()), data, bytes.size());
        if (written < 0 && errno != EAGAIN && errno != EINTR) {
            OnError(QSerialPort::WriteError);
            return false;
        }
        if (written > 0) data += written, n -= written;
        if (n == 0) return true;
    }
    if (port_.write(data, n) != n) return false;
    // Out now, not at the next turn of the event loop: the controller only
    // answers once it has the whole request.
    return port_.flush() && port_.isOpen();
}

std::size_t QtSerialPort::InBufferCount() const {
    return port_.isOpen() ? static_cast<std::size_t>(port_.bytesAvailable()) + DriverCount() : 0;
}

Bytes QtSerialPort::Input() {
    if (!port_.isOpen()) return {};
    const QByteArray data = port_.readAll();
    Bytes taken(data.begin(), data.end());
    // Then what the driver still holds under the threshold. A failing line
    // is left to QSerialPort's own read, which reports it.
    const int fd = static_cast<int>(port_.handle());
    std::uint8_t chunk[256];
    for (std::size_t owed = DriverCount(); owed > 0;) {
        const ssize_t got = ::read(fd, chunk, std::min(owed, sizeof chunk));
        if (got <= 0) break;
        taken.insert(taken.end(), chunk, chunk + got);
        owed -= std::min(owed, static_cast<std::size_t>(got));
    }
    ApplyThreshold();
    return taken;
}

void QtSerialPort::SetRThreshold(std::size_t bytes) {
    rthreshold_ = std::max<std::size_t>(bytes, 1);
    ApplyThreshold();
}

std::size_t QtSerialPort::DriverCount() const {
    int count = 0;
    if (!port_.isOpen() || ioctl(static_cast<int>(port_.handle()), FIONREAD, &count) != 0 || count < 0) return 0;
    return static_cast<std::size_t>(count);
}

void QtSerialPort::ApplyThreshold() {
#ifdef __linux__
    // With VTIME 0, Linux's terminal driver reports the line readable only
    // once VMIN bytes are there; reads still return whatever is there.
    if (!port_.isOpen()) return;
    const int fd = static_cast<int>(port_.handle());
    if (line_vmin_ < 0 && !line_.Load(fd)) return;
    const std::size_t have = static_cast<std::size_t>(port_.bytesAvailable());
    const int vmin = static_cast<int>(std::min<std::size_t>(rthreshold_ > have ? rthreshold_ - have : 1, 255));
    if (vmin == line_vmin_) return;
    line_vmin_ = line_.Set(fd, vmin) ? vmin : -1;
#endif
}

void QtSerialPort::OnReadyRead() {
    // Under the threshold, only the driver's wake-up point moves on.
    if (static_cast<std::size_t>(port_.bytesAvailable()) >= rthreshold_) Signal(CommEvent::Receive);
    ApplyThreshold();
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
        failure_ = Explain(error, port_.portName().toStdString());
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
