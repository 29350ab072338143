#pragma once
// The console's serial port on QSerialPort: 19,200 baud, 8N1, no flow
// control, raw bytes. Every arrival that leaves at least the receive
// threshold waiting signals Receive; a port that fails underneath (adapter
// unplugged, line hung up) is closed at once and signals one Error, so the
// link supervision sees silence and Connect can open it again.
#include <QObject>
#include <QSerialPort>
#include <QTimer>
#include <filesystem>
#include <functional>
#include <map>
#include <string>

#include "core/link/serial_port.h"
#include "serial/line_vmin.h"

namespace orv::serial {

class QtSerialPort : public QObject, public SerialPort {
   public:
    // Ports are looked up in start_dir: a link comN there names port N's device.
    explicit QtSerialPort(std::filesystem::path start_dir, QObject* parent = nullptr);
    ~QtSerialPort() override;

    bool Open(int port_number) override;
    void Close() override;
    bool IsOpen() const override;
    std::string DeviceName(int port_number) const override { return Device(port_number).string(); }
    std::string Failure() const override { return failure_; }
    bool Write(const Bytes& bytes) override;
    std::size_t InBufferCount() const override;
    Bytes Input() override;
    void SetInBufferSize(std::size_t size) override;
    // On Linux the threshold is the line's VMIN as well, so that the driver
    // wakes the console only once the bytes asked for are there.
    void SetRThreshold(std::size_t bytes) override;
    // A single-shot timer on Qt's event loop.
    void WakeAt(double when) override;

    // The device port number n opens: what comN in the start-up folder
    // points to, else /dev/ttyS{n-1}.
    static std::filesystem::path DevicePath(const std::filesystem::path& start_dir, int port_number);
    // For this run, port number n is `device` whatever the start-up folder
    // holds (orv-console --port N=DEVICE).
    void MapPort(int port_number, std::filesystem::path device);
    // The device port number n opens now: its mapping, else DevicePath.
    std::filesystem::path Device(int port_number) const;

    // Why the last Open failed, in the system's words ("Permission denied"),
    // and Qt's kind of failure; empty and NoError after one that worked.
    const std::string& open_error() const { return open_error_; }
    QSerialPort::SerialPortError open_error_kind() const { return open_error_kind_; }

    // The line speed the next Open sets; the controller's line runs at 19,200.
    void SetBaudRate(qint32 baud) { baud_ = baud; }

    // What the driver made of the low-latency request at an open.
    enum class LowLatency {
        kGranted,
        kNotSerial,  // not a serial driver (a pseudo-terminal): nothing to ask
        kRefused,    // a serial adapter that keeps batching its input
    };
    // Whether the driver took the low-latency request at the last open. The
    // first adapter of a run that refuses it is told through on_notice: the
    // link then polls about 44 times a second instead of about 147.
    bool low_latency() const { return low_latency_; }
    // Asks the driver behind fd for low latency; tests put a stand-in here.
    std::function<LowLatency(int fd)> request_low_latency;
    std::size_t in_buffer_size() const { return in_buffer_size_; }

   private:
    void OnError(QSerialPort::SerialPortError error);
    void OnReadyRead();
    void Signal(CommEvent e);
    // Bytes the driver holds that QSerialPort has not read yet.
    std::size_t DriverCount() const;
    // Asks the driver to wake the console once the bytes still missing
    // below the threshold are there.
    void ApplyThreshold();

    // Why the device failed, in words a user can act on.
    static std::string Explain(QSerialPort::SerialPortError error, const std::string& device);

    std::filesystem::path start_dir_;
    QSerialPort port_;
    QTimer wake_;
    std::string failure_;
    bool opening_ = false;
    int in_call_ = 0;  // inside one of the console's calls
    bool low_latency_ = false;
    bool refusal_told_ = false;
    std::map<int, std::filesystem::path> mapped_;
    std::string open_error_;
    QSerialPort::SerialPortError open_error_kind_ = QSerialPort::NoError;
    qint32 baud_ = QSerialPort::Baud19200;
    std::size_t in_buffer_size_ = 0;
    std::size_t rthreshold_ = 1;
    int line_vmin_ = -1;  // the VMIN the line has now; -1: not set since the open
    LineVmin line_;       // the line's settings as read at the open
};

}  // namespace orv::serial
