// The QSerialPort adapter on a real pseudo-terminal: the far end is the pty
// master, read and written directly.
#include <fcntl.h>
#include <poll.h>
#include <pty.h>
#include <unistd.h>

#include <QCoreApplication>
#include <QTest>
#include <chrono>
#include <filesystem>
#include <random>

#include <gtest/gtest.h>

#include "app/qt_serial_port.h"

namespace orv::app::test {
namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;

class SerialPortOnPty : public ::testing::Test {
   protected:
    SerialPortOnPty() {
        std::random_device rd;
        dir_ = fs::temp_directory_path() / ("orv_port_test_" + std::to_string(rd()));
        fs::create_directories(dir_);
        int slave = -1;
        char name[256] = {};
        EXPECT_EQ(openpty(&master_, &slave, name, nullptr, nullptr), 0);
        // Only the port under test holds the line open.
        close(slave);
        fcntl(master_, F_SETFL, fcntl(master_, F_GETFL) | O_NONBLOCK);
        device_ = name;
        fs::create_symlink(device_, dir_ / "com3");
        port_ = std::make_unique<QtSerialPort>(dir_);
        port_->on_comm = [this](CommEvent e) { ++(e == CommEvent::Error ? errors_ : receives_); };
    }
    ~SerialPortOnPty() override {
        port_.reset();
        if (master_ >= 0) close(master_);
        std::error_code ec;
        fs::remove_all(dir_, ec);
    }

    void FarEndWrites(const Bytes& bytes) {
        ASSERT_EQ(write(master_, bytes.data(), bytes.size()), static_cast<ssize_t>(bytes.size()));
    }
    // What the far end receives within the deadline, without running the
    // event loop: a write must leave at once.
    Bytes FarEndReads(std::size_t n, std::chrono::milliseconds deadline = 2s) {
        Bytes got;
        const auto until = std::chrono::steady_clock::now() + deadline;
        while (got.size() < n && std::chrono::steady_clock::now() < until) {
            pollfd p{master_, POLLIN, 0};
            if (poll(&p, 1, 20) <= 0) continue;
            std::uint8_t buf[64];
            ssize_t k = read(master_, buf, sizeof buf);
            if (k > 0) got.insert(got.end(), buf, buf + k);
        }
        return got;
    }
    // Runs the event loop until `done` or a deadline: the bytes travel
    // through the kernel, which takes its own time.
    template <typename F>
    bool Until(F done) {
        return QTest::qWaitFor(done, 2000);
    }

    fs::path dir_;
    int master_ = -1;
    std::string device_;
    std::unique_ptr<QtSerialPort> port_;
    int receives_ = 0, errors_ = 0;
};

TEST_F(SerialPortOnPty, PortNumberNamesTheLinkedDeviceElseTheSerialPort) {
    EXPECT_EQ(QtSerialPort::DevicePath(dir_, 3), fs::canonical(device_));
    EXPECT_EQ(QtSerialPort::DevicePath(dir_, 1), "/dev/ttyS0");
    EXPECT_EQ(QtSerialPort::DevicePath(dir_, 7), "/dev/ttyS6");
}

TEST_F(SerialPortOnPty, OpensWritesPromptlyAndReadsWhatArrives) {
    ASSERT_TRUE(port_->Open(3));
    EXPECT_TRUE(port_->IsOpen());
    EXPECT_TRUE(port_->Write({0x8A, 0x01, 0x03}));
    EXPECT_EQ(FarEndReads(3), (Bytes{0x8A, 0x01, 0x03}));
    EXPECT_EQ(FarEndReads(1, 50ms), Bytes{});  // exactly those bytes

    const Bytes reply{0x12, 0x34, 0x00, 0x14, 0x46, 0x28, 0x2D, 0x4B, 0x78, 0x21};
    FarEndWrites({reply.begin(), reply.begin() + 4});
    ASSERT_TRUE(Until([&] { return port_->InBufferCount() == 4; }));
    EXPECT_GE(receives_, 1);
    FarEndWrites({reply.begin() + 4, reply.end()});
    ASSERT_TRUE(Until([&] { return port_->InBufferCount() == 10; }));
    EXPECT_EQ(port_->Input(), reply);
    EXPECT_EQ(port_->InBufferCount(), 0u);
    EXPECT_EQ(errors_, 0);
}

TEST_F(SerialPortOnPty, OpeningDiscardsWhatWasWaiting) {
    ASSERT_TRUE(port_->Open(3));
    port_->Close();
    EXPECT_FALSE(port_->IsOpen());
    FarEndWrites({0x01, 0x02, 0x03});  // arrives while nobody listens
    ASSERT_TRUE(port_->Open(3));
    FarEndWrites({0x55});
    ASSERT_TRUE(Until([&] { return port_->InBufferCount() >= 1; }));
    EXPECT_EQ(port_->Input(), Bytes{0x55});
}

TEST_F(SerialPortOnPty, HangUpClosesThePortWithOneError) {
    ASSERT_TRUE(port_->Open(3));
    close(master_);
    master_ = -1;
    ASSERT_TRUE(Until([&] { return !port_->IsOpen(); }));
    for (int i = 0; i < 20; ++i) QCoreApplication::processEvents();
    EXPECT_EQ(errors_, 1);
    EXPECT_FALSE(port_->Write({0x8A, 0x01, 0x03}));
    EXPECT_EQ(port_->InBufferCount(), 0u);
}

TEST_F(SerialPortOnPty, AMissingDeviceDoesNotOpenAndRaisesNothing) {
    fs::create_symlink(dir_ / "no-such-device", dir_ / "com2");
    EXPECT_FALSE(port_->Open(2));
    EXPECT_FALSE(port_->IsOpen());
    EXPECT_FALSE(port_->Write({0x8A, 0x01, 0x03}));
    QCoreApplication::processEvents();
    EXPECT_EQ(errors_, 0);
}

}  // namespace
}  // namespace orv::app::test
