// The QSerialPort adapter on a real pseudo-terminal: the far end is the pty
// master, read and written directly.
#include <QCoreApplication>
#include <chrono>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "pty_line.h"
#include "serial/qt_serial_port.h"

namespace orv::serial::test {
namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;

class SerialPortOnPty : public ::testing::Test {
   protected:
    SerialPortOnPty() {
        port_ = std::make_unique<QtSerialPort>(line_.dir());
        port_->on_comm = [this](CommEvent e) { ++(e == CommEvent::Error ? errors_ : receives_); };
    }

    PtyLine line_{3};
    std::unique_ptr<QtSerialPort> port_;
    int receives_ = 0, errors_ = 0;
};

TEST_F(SerialPortOnPty, PortNumberNamesTheLinkedDeviceElseTheSerialPort) {
    EXPECT_EQ(QtSerialPort::DevicePath(line_.dir(), 3), fs::canonical(line_.device()));
    EXPECT_EQ(QtSerialPort::DevicePath(line_.dir(), 1), "/dev/ttyS0");
    EXPECT_EQ(QtSerialPort::DevicePath(line_.dir(), 7), "/dev/ttyS6");
}

// An adapter that will not hand bytes on at once is said once a run, however
// often the port is opened again; a line that is no serial adapter at all
// (a pseudo-terminal) says nothing.
TEST_F(SerialPortOnPty, ARefusedLowLatencyIsToldOnce) {
    std::vector<std::string> notices;
    port_->on_notice = [&](const std::string& m) { notices.push_back(m); };
    ASSERT_TRUE(port_->Open(3));
    EXPECT_TRUE(notices.empty());
    EXPECT_FALSE(port_->low_latency());

    port_->request_low_latency = [](int fd) {
        EXPECT_GE(fd, 0);
        return QtSerialPort::LowLatency::kRefused;
    };
    for (int i = 0; i < 3; ++i) {
        port_->Close();
        ASSERT_TRUE(port_->Open(3));
    }
    ASSERT_EQ(notices.size(), 1u);
    EXPECT_NE(notices[0].find(fs::canonical(line_.device()).string()), std::string::npos) << notices[0];
    EXPECT_NE(notices[0].find("low-latency"), std::string::npos) << notices[0];

    port_->request_low_latency = [](int) { return QtSerialPort::LowLatency::kGranted; };
    ASSERT_TRUE(port_->Open(3));
    EXPECT_TRUE(port_->low_latency());
}

TEST_F(SerialPortOnPty, OpensWritesPromptlyAndReadsWhatArrives) {
    ASSERT_TRUE(port_->Open(3));
    EXPECT_TRUE(port_->IsOpen());
    EXPECT_TRUE(port_->Write({0x8A, 0x01, 0x03}));
    EXPECT_EQ(line_.FarEndReads(3), (Bytes{0x8A, 0x01, 0x03}));
    EXPECT_EQ(line_.FarEndReads(1, 50ms), Bytes{});  // exactly those bytes

    const Bytes reply{0x12, 0x34, 0x00, 0x14, 0x46, 0x28, 0x2D, 0x4B, 0x78, 0x21};
    line_.FarEndWrites({reply.begin(), reply.begin() + 4});
    // The count includes what the driver holds: the signal may come after it.
    ASSERT_TRUE(RunUntil([&] { return port_->InBufferCount() == 4 && receives_ >= 1; }));
    line_.FarEndWrites({reply.begin() + 4, reply.end()});
    ASSERT_TRUE(RunUntil([&] { return port_->InBufferCount() == 10; }));
    EXPECT_EQ(port_->Input(), reply);
    EXPECT_EQ(port_->InBufferCount(), 0u);
    EXPECT_EQ(errors_, 0);
}

TEST_F(SerialPortOnPty, OpeningDiscardsWhatWasWaiting) {
    ASSERT_TRUE(port_->Open(3));
    port_->Close();
    EXPECT_FALSE(port_->IsOpen());
    line_.FarEndWrites({0x01, 0x02, 0x03});  // arrives while nobody listens
    ASSERT_TRUE(port_->Open(3));
    line_.FarEndWrites({0x55});
    ASSERT_TRUE(RunUntil([&] { return port_->InBufferCount() >= 1; }));
    EXPECT_EQ(port_->Input(), Bytes{0x55});
}

TEST_F(SerialPortOnPty, HangUpClosesThePortWithOneError) {
    ASSERT_TRUE(port_->Open(3));
    line_.HangUp();
    ASSERT_TRUE(RunUntil([&] { return !port_->IsOpen(); }));
    for (int i = 0; i < 20; ++i) QCoreApplication::processEvents();
    EXPECT_EQ(errors_, 1);
    EXPECT_FALSE(port_->Write({0x8A, 0x01, 0x03}));
    EXPECT_EQ(port_->InBufferCount(), 0u);
}

TEST_F(SerialPortOnPty, AMissingDeviceDoesNotOpenAndRaisesNothing) {
    fs::create_symlink(line_.dir() / "no-such-device", line_.dir() / "com2");
    EXPECT_FALSE(port_->Open(2));
    EXPECT_FALSE(port_->IsOpen());
    EXPECT_FALSE(port_->Write({0x8A, 0x01, 0x03}));
    QCoreApplication::processEvents();
    EXPECT_EQ(errors_, 0);
}

}  // namespace
}  // namespace orv::serial::test
