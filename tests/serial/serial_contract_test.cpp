// What the console needs of any serial port, checked against both: the
// in-memory port the core tests use, and the QSerialPort adapter on a real
// pseudo-terminal. A difference between them would make the core tests lie.
#include <gtest/gtest.h>

#include <QTest>

#include "pty_line.h"
#include "serial/qt_serial_port.h"
#include "tests/support/fake_port.h"

namespace {

using orv::Bytes;
using orv::CommEvent;

// The in-memory port: the far end delivers and reads the write log.
struct InMemoryRig {
    orv::test::FakePort port;
    std::size_t read_writes = 0;
    void FarEndWrites(const Bytes& b) { port.Deliver(b); }
    Bytes FarEndReads(std::size_t) {
        Bytes got;
        for (; read_writes < port.writes.size(); ++read_writes)
            got.insert(got.end(), port.writes[read_writes].begin(), port.writes[read_writes].end());
        return got;
    }
    template <typename F>
    bool Until(F done) {
        return done();
    }
    void Pause() {}
};

// The adapter on a pseudo-terminal whose master side is the far end.
struct PtyRig {
    orv::serial::test::PtyLine line{2};
    orv::serial::QtSerialPort adapter{line.dir()};
    orv::SerialPort& port = adapter;

    void FarEndWrites(const Bytes& b) { line.FarEndWrites(b); }
    Bytes FarEndReads(std::size_t n) { return line.FarEndReads(n); }
    template <typename F>
    bool Until(F done) {
        return orv::serial::test::RunUntil(done);
    }
    // Long enough for a signal that should not come to come.
    void Pause() { QTest::qWait(50); }
};

template <typename Rig>
class SerialContract : public ::testing::Test {
   protected:
    SerialContract() {
        rig.port.on_comm = [this](CommEvent e) { e == CommEvent::Receive ? ++receives : ++others; };
    }
    Rig rig;
    int receives = 0, others = 0;
};

using Rigs = ::testing::Types<InMemoryRig, PtyRig>;
TYPED_TEST_SUITE(SerialContract, Rigs);

TYPED_TEST(SerialContract, RequestOutReplyInPiecesClose) {
    auto& rig = this->rig;
    auto& port = rig.port;
    EXPECT_FALSE(port.IsOpen());
    ASSERT_TRUE(port.Open(2));
    EXPECT_TRUE(port.IsOpen());

    ASSERT_TRUE(port.Write({0x8A, 0x01, 0x03}));
    EXPECT_EQ(rig.FarEndReads(3), (Bytes{0x8A, 0x01, 0x03}));

    rig.FarEndWrites({0x12, 0x34, 0x00, 0x14});
    ASSERT_TRUE(rig.Until([&] { return port.InBufferCount() == 4 && this->receives >= 1; }));
    int after_first = this->receives;
    rig.FarEndWrites({0x46, 0x28, 0x2D, 0x4B, 0x78, 0x21});
    // every arrival is signalled
    ASSERT_TRUE(rig.Until([&] { return port.InBufferCount() == 10 && this->receives > after_first; }));
    EXPECT_EQ(port.Input(), (Bytes{0x12, 0x34, 0x00, 0x14, 0x46, 0x28, 0x2D, 0x4B, 0x78, 0x21}));
    EXPECT_EQ(port.InBufferCount(), 0u);

    // A 64-byte reply fits whatever buffer size the console asked for.
    port.SetInBufferSize(10);
    rig.FarEndWrites(Bytes(64, 0xA5));
    ASSERT_TRUE(rig.Until([&] { return port.InBufferCount() == 64; }));
    EXPECT_EQ(port.Input(), Bytes(64, 0xA5));

    rig.FarEndWrites({0x01, 0x02});
    rig.Until([&] { return port.InBufferCount() == 2; });
    port.Close();
    EXPECT_FALSE(port.IsOpen());
    EXPECT_EQ(port.InBufferCount(), 0u);  // closing discards what was waiting
    EXPECT_FALSE(port.Write({0x8A, 0x01, 0x03}));
    EXPECT_EQ(this->others, 0);
}

// Under a receive threshold the bytes of a reply come in one signal, and
// the link still sees and takes every byte at any time (the tick looks).
TYPED_TEST(SerialContract, AThresholdHoldsTheSignalNotTheBytes) {
    auto& rig = this->rig;
    auto& port = rig.port;
    ASSERT_TRUE(port.Open(2));
    port.SetRThreshold(10);
    rig.FarEndWrites({0x12, 0x34, 0x00, 0x14});
    ASSERT_TRUE(rig.Until([&] { return port.InBufferCount() == 4; }));
    rig.Pause();
    EXPECT_EQ(this->receives, 0);
    rig.FarEndWrites({0x46, 0x28, 0x2D, 0x4B, 0x78, 0x21});
    ASSERT_TRUE(rig.Until([&] { return this->receives > 0; }));
    EXPECT_EQ(port.InBufferCount(), 10u);
    EXPECT_EQ(port.Input(), (Bytes{0x12, 0x34, 0x00, 0x14, 0x46, 0x28, 0x2D, 0x4B, 0x78, 0x21}));

    // Taken under the threshold: the bytes come out whole and in order.
    rig.FarEndWrites({0x01, 0x02, 0x03});
    ASSERT_TRUE(rig.Until([&] { return port.InBufferCount() == 3; }));
    EXPECT_EQ(port.Input(), (Bytes{0x01, 0x02, 0x03}));

    // Back at 1, and at every open, each arrival is signalled again.
    const int before = this->receives;
    port.SetRThreshold(1);
    rig.FarEndWrites({0x55});
    ASSERT_TRUE(rig.Until([&] { return this->receives == before + 1; }));
    port.SetRThreshold(10);
    port.Close();
    ASSERT_TRUE(port.Open(2));
    rig.FarEndWrites({0x66});
    ASSERT_TRUE(rig.Until([&] { return this->receives == before + 2; }));
    EXPECT_EQ(port.Input(), Bytes{0x66});
    EXPECT_EQ(this->others, 0);
}

TYPED_TEST(SerialContract, AnAbsentPortDoesNotOpen) {
    EXPECT_FALSE(this->rig.port.Open(0));
    EXPECT_FALSE(this->rig.port.IsOpen());
}

}  // namespace
