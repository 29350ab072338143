#pragma once
// A serial line for the port tests on a real pseudo-terminal: the port under
// test opens the slave side through a comN link in a fresh folder, and the
// test plays the far end on the master side, read and written directly.
#include <QTemporaryDir>
#include <chrono>
#include <filesystem>
#include <functional>
#include <string>

#include "core/link/serial_port.h"

namespace orv::serial::test {

class PtyLine {
   public:
    // A new line whose slave is linked as comN, N being port_number.
    explicit PtyLine(int port_number);
    ~PtyLine();
    PtyLine(const PtyLine&) = delete;
    PtyLine& operator=(const PtyLine&) = delete;

    // The folder holding the comN link: the port's start-up folder.
    std::filesystem::path dir() const;
    // The slave device the link names.
    const std::string& device() const { return device_; }

    void FarEndWrites(const Bytes& bytes);
    // What the far end receives within the deadline, without running the
    // event loop: a write must leave the port at once.
    Bytes FarEndReads(std::size_t n, std::chrono::milliseconds deadline = std::chrono::seconds(2));
    // The far end goes away: the line hangs up under the port.
    void HangUp();

   private:
    QTemporaryDir dir_;
    int master_ = -1;
    std::string device_;
};

// Runs the event loop until `done` or a deadline: the bytes travel through
// the kernel, which takes its own time.
bool RunUntil(const std::function<bool()>& done);

}  // namespace orv::serial::test
