#include "pty_line.h"

#include <fcntl.h>
#include <poll.h>
#include <pty.h>
#include <unistd.h>

#include <QTest>

#include <gtest/gtest.h>

namespace orv::serial::test {

PtyLine::PtyLine(int port_number) {
    EXPECT_TRUE(dir_.isValid()) << dir_.errorString().toStdString();
    int slave = -1;
    char name[256] = {};
    EXPECT_EQ(openpty(&master_, &slave, name, nullptr, nullptr), 0);
    if (master_ < 0) return;
    // Only the port under test holds the line open.
    close(slave);
    fcntl(master_, F_SETFL, fcntl(master_, F_GETFL) | O_NONBLOCK);
    device_ = name;
    std::filesystem::create_symlink(device_, dir() / ("com" + std::to_string(port_number)));
}

PtyLine::~PtyLine() { HangUp(); }

std::filesystem::path PtyLine::dir() const { return dir_.path().toStdString(); }

void PtyLine::FarEndWrites(const Bytes& bytes) {
    ASSERT_EQ(write(master_, bytes.data(), bytes.size()), static_cast<ssize_t>(bytes.size()));
}

Bytes PtyLine::FarEndReads(std::size_t n, std::chrono::milliseconds deadline) {
    Bytes got;
    const auto until = std::chrono::steady_clock::now() + deadline;
    while (got.size() < n && std::chrono::steady_clock::now() < until) {
        pollfd p{master_, POLLIN, 0};
        if (poll(&p, 1, 20) <= 0) continue;
        std::uint8_t buf[128];
        const ssize_t k = read(master_, buf, sizeof buf);
        if (k > 0) got.insert(got.end(), buf, buf + k);
    }
    return got;
}

void PtyLine::HangUp() {
    if (master_ >= 0) close(master_);
    master_ = -1;
}

bool RunUntil(const std::function<bool()>& done) { return QTest::qWaitFor(done, 2000); }

}  // namespace orv::serial::test
