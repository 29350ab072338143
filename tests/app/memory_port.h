#pragma once
// An in-memory serial port for the window tests: records what the console
// writes and delivers bytes on demand.
#include <utility>

#include "core/link/serial_port.h"

namespace orv::app::test {

class MemoryPort : public SerialPort {
   public:
    int opened = 0;  // port number of the last successful open
    std::vector<Bytes> writes;

    bool Open(int port_number) override {
        if (port_number < 1) return false;
        open_ = true;
        opened = port_number;
        in_.clear();
        return true;
    }
    void Close() override {
        open_ = false;
        in_.clear();
    }
    bool IsOpen() const override { return open_; }
    bool Write(const Bytes& bytes) override {
        if (!open_) return false;
        writes.push_back(bytes);
        return true;
    }
    std::size_t InBufferCount() const override { return in_.size(); }
    Bytes Input() override { return std::exchange(in_, {}); }
    void SetInBufferSize(std::size_t) override {}

    void Deliver(const Bytes& bytes) {
        in_.insert(in_.end(), bytes.begin(), bytes.end());
        if (on_comm) on_comm(CommEvent::Receive);
    }

   private:
    bool open_ = false;
    Bytes in_;
};

}  // namespace orv::app::test
