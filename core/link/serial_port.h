#pragma once
// The serial port as the console sees it. The Qt layer puts QSerialPort behind
// it; tests put an in-memory port wired to the simulated controller.
#include <chrono>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace orv {

using Bytes = std::vector<std::uint8_t>;

// What the port signals. Every signal from the line counts as a sign of life
// for the link supervision; only Receive and ModemLine go on to look for a
// reply. Wake is the port's timer going off (see WakeAt), not the line.
enum class CommEvent { Receive, ModemLine, Send, Error, Wake };

class SerialPort {
   public:
    virtual ~SerialPort() = default;
    // Opens port number n (1..7); false when the port is absent or busy.
    // Whatever was waiting in the input is discarded.
    virtual bool Open(int port_number) = 0;
    // Closes and discards anything still buffered.
    virtual void Close() = 0;
    virtual bool IsOpen() const = 0;
    // The device behind port number n, for messages; empty if it has none.
    virtual std::string DeviceName(int port_number) const {
        (void)port_number;
        return {};
    }
    // Why the port last failed to open or stopped working, in words a user
    // can act on; empty when it did not.
    virtual std::string Failure() const { return {}; }
    // One write of the whole frame; false when the port refused it.
    virtual bool Write(const Bytes& bytes) = 0;
    virtual std::size_t InBufferCount() const = 0;
    // Takes every waiting byte.
    virtual Bytes Input() = 0;
    virtual void SetInBufferSize(std::size_t size) = 0;
    // How many bytes must be waiting before the port signals Receive (the
    // serial control's RThreshold). Every open starts at 1: each arrival is
    // signalled. A higher threshold lets the rest of a reply come in one
    // signal instead of one per byte. Bytes under it are not held back:
    // InBufferCount counts them and Input takes them. A port may signal more
    // often than asked, never less.
    virtual void SetRThreshold(std::size_t bytes) { (void)bytes; }
    // Seconds on a clock that never goes back, read when the console looks
    // at the line: bytes seen too soon after a request cannot be its reply.
    virtual double Now() const {
        return std::chrono::duration<double>(std::chrono::steady_clock::now().time_since_epoch()).count();
    }

    // Asks for one Wake signal once Now() has reached `when`; a later call
    // replaces the one before. A port without a timer of its own leaves the
    // link to notice its deadlines at the next 100 ms tick.
    virtual void WakeAt(double when) { (void)when; }

    // Set by the console; the port calls it for every signal.
    std::function<void(CommEvent)> on_comm;
    // Set by the console: something about the line the user should know
    // (an adapter that refuses low latency), told from inside Open.
    std::function<void(const std::string& message)> on_notice;
};

}  // namespace orv
