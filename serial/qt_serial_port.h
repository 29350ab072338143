#pragma once
// The console's serial port on QSerialPort: 19,200 baud, 8N1, no flow
// control, raw bytes. Every arrival of bytes signals Receive; a port that
// fails underneath (adapter unplugged, line hung up) is closed at once and
// signals one Error, so the link supervision sees silence and Connect can
// open it again.
#include <QObject>
#include <QSerialPort>
#include <filesystem>

#include "core/link/serial_port.h"

namespace orv::serial {

class QtSerialPort : public QObject, public SerialPort {
   public:
    // Ports are looked up in start_dir: a link comN there names port N's device.
    explicit QtSerialPort(std::filesystem::path start_dir, QObject* parent = nullptr);
    ~QtSerialPort() override;

    bool Open(int port_number) override;
    void Close() override;
    bool IsOpen() const override;
    bool Write(const Bytes& bytes) override;
    std::size_t InBufferCount() const override;
    Bytes Input() override;
    void SetInBufferSize(std::size_t size) override;

    // The device port number n opens: what comN in the start-up folder
    // points to, else /dev/ttyS{n-1}.
    static std::filesystem::path DevicePath(const std::filesystem::path& start_dir, int port_number);

    // The line speed the next Open sets; the controller's line runs at 19,200.
    void SetBaudRate(qint32 baud) { baud_ = baud; }

    // Whether the driver took the low-latency request at the last open.
    bool low_latency() const { return low_latency_; }
    std::size_t in_buffer_size() const { return in_buffer_size_; }

   private:
    void OnError(QSerialPort::SerialPortError error);
    void Signal(CommEvent e);

    std::filesystem::path start_dir_;
    QSerialPort port_;
    bool opening_ = false;
    int in_call_ = 0;  // inside one of the console's calls
    bool low_latency_ = false;
    qint32 baud_ = QSerialPort::Baud19200;
    std::size_t in_buffer_size_ = 0;
};

}  // namespace orv::serial
