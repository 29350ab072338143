// The lock-step receive path: length check, dispatch, re-send, negotiation.
#include <gtest/gtest.h>

#include "tests/support/console_fixture.h"

using namespace orv;
using orv::test::Console;
using B = Bytes;

namespace {

const B kRead10{0x8A, 0x01, 0x03};
const B kRead8{0x88, 0x01, 0x03};

// A console on COM 1 with the first live-data read sent.
struct Polling : Console {
    Polling() { StartUp(1); }
};

}  // namespace

TEST(ReceivePath, StartUpSelectsPortWritesConfigThenSendsTheLiveRead) {
    Console c;
    c.dir.WriteFile("config.dat", "  3 ,\"/m.map\"\n");  // hand-edited: rewritten in full by the port choice
    bool config_written_before_request = false;
    c.port.responder = [&](const B&) {
        config_written_before_request = c.dir.ReadFile("config.dat") == "3,\"/m.map\",\r\n";
        return B{};
    };
    c.page.Form_Load();
    EXPECT_EQ(c.port.opened_port, 3);
    EXPECT_EQ(c.port.writes, std::vector<B>{kRead10});
    EXPECT_TRUE(config_written_before_request);
    EXPECT_EQ(c.page.form.Text3.Text, "Connected ");
    EXPECT_EQ(c.page.form.COM.items.size(), 7u);
    EXPECT_EQ(c.page.form.COM.items[2], "COM 3");
}

TEST(ReceivePath, ChoosingAnotherPortRewritesConfigBeforeTheFirstRequest) {
    Polling c;
    std::string config_at_request;
    c.port.responder = [&](const B&) {
        config_at_request = c.dir.ReadFile("config.dat");
        return B{};
    };
    c.port.ClearWrites();
    c.page.form.COM.UserSelect(2);  // "COM 3"
    EXPECT_EQ(c.port.opened_port, 3);
    EXPECT_EQ(c.page.config.cfg_port, 3);
    EXPECT_EQ(config_at_request, "3,\"\",\"\"\r\n");
    EXPECT_EQ(c.port.writes, std::vector<B>{kRead10});
}

TEST(ReceivePath, NoPortConfiguredOpensNothing) {
    for (std::string content : {"", "9,\"\",\"\"\r\n", "x"}) {
        Console c;
        if (!content.empty()) c.dir.WriteFile("config.dat", content);
        c.page.Form_Load();
        EXPECT_FALSE(c.port.IsOpen());
        EXPECT_TRUE(c.port.writes.empty());
        EXPECT_EQ(c.page.form.COM.ListIndex(), -1);
        EXPECT_EQ(c.page.form.Text3.Text, "OffLine");
    }
}

TEST(ReceivePath, ReplyInTwoPiecesIsDispatchedOnceAndPollingGoesOn) {
    Polling c;
    c.port.Deliver({0x12, 0x34, 0x00, 0x14});
    EXPECT_EQ(c.page.form.rpm.Text, "0.0");  // incomplete: nothing decoded yet
    EXPECT_EQ(c.port.writes.size(), 1u);
    c.port.Deliver({0x46, 0x28, 0x2D, 0x4B, 0x78, 0x21});
    EXPECT_EQ(c.page.form.rpm.Text, "1.8");
    EXPECT_EQ(c.port.Written(), (B{0x8A, 0x01, 0x03, 0x8A, 0x01, 0x03}));
    EXPECT_FALSE(c.page.link.probe);
}

TEST(ReceivePath, ByteByByteGivesTheSameResultAsWhole) {
    Polling whole, bytes;
    for (int i = 0; i < 3; ++i) {
        whole.port.Deliver(Console::LiveReply(static_cast<std::uint8_t>(10 * i)));
        bytes.port.DeliverByteByByte(Console::LiveReply(static_cast<std::uint8_t>(10 * i)));
    }
    EXPECT_EQ(whole.port.writes, bytes.port.writes);
    EXPECT_EQ(whole.page.form.rpm.Text, bytes.page.form.rpm.Text);
    EXPECT_EQ(whole.page.live.live_rpm, 20);
    EXPECT_EQ(bytes.port.writes.size(), 4u);  // one request per complete reply, never more
}

TEST(ReceivePath, WrongLengthIsNeverDispatchedAndNothingIsSent) {
    Polling c;
    c.port.Deliver(B(11, 0x55));  // one byte too many
    EXPECT_EQ(c.page.form.rpm.Text, "0.0");
    EXPECT_EQ(c.port.writes.size(), 1u);
    EXPECT_EQ(c.page.form.Text3.Text, "Connected");  // still a sign of life
}

TEST(ReceivePath, DoubleConnectWithoutReplyFallsBackToTheEightByteBlock) {
    Polling c;
    c.port.ClearWrites();
    c.page.form.Connect.UserClick();  // start-up left probe set: no reply since
    c.page.form.Connect.UserClick();
    // The read of start-up may still be answered: the request waits for a quiet line.
    EXPECT_TRUE(c.port.writes.empty());
    c.page.Timer1_Timer();
    c.page.Timer1_Timer();
    EXPECT_EQ(c.port.writes, std::vector<B>{kRead8});
    c.port.Deliver({0x12, 0x34, 0x00, 0x14, 0x46, 0x28, 0x2D, 0x4B});
    EXPECT_EQ(c.page.form.rpm.Text, "1.8");
    EXPECT_EQ(c.page.form.batt.Text, "0");  // not in the 8-byte block
    // A connect after a handled reply asks for the 10-byte block again.
    c.port.ClearWrites();
    c.page.form.Connect.UserClick();
    c.page.Timer1_Timer();
    c.page.Timer1_Timer();
    EXPECT_EQ(c.port.writes, std::vector<B>{kRead10});
}

TEST(ReceivePath, ProbeWithOldFirmwareReconnectsForEightBytes) {
    Polling c;
    c.port.ClearWrites();
    c.port.Deliver(Console::LiveReply(0x12, 0x4B, 0x03));  // version 0.3
    EXPECT_EQ(c.page.link.live_len, 8);
    EXPECT_EQ(c.port.open_count, 2);  // the connect reopened the port
    EXPECT_EQ(c.port.writes, std::vector<B>{kRead8});  // and only the 8-byte read went out
    c.port.Deliver({0x20, 0x34, 0x00, 0x14, 0x46, 0x28, 0x2D, 0x4B});
    EXPECT_EQ(c.port.writes, (std::vector<B>{kRead8, kRead8}));
    EXPECT_EQ(c.page.form.rpm.Text, "3.2");
}

TEST(ReceivePath, ConnectWhileIdleSendsWithoutReopening) {
    Polling c;
    c.port.Deliver(Console::LiveReply());
    c.page.link.cur_cmd = kCmdNone;  // a finished transfer leaves the link idle
    c.page.link.awaiting = false;
    c.page.link.next_cmd = kCmdDownload;
    c.page.saved_mapname = "/maps/a.map";
    c.page.form.mapfile.Text = "Downloading - Please Wait!!";
    c.port.ClearWrites();
    c.page.form.Connect.UserClick();
    EXPECT_EQ(c.port.open_count, 1);
    EXPECT_EQ(c.port.writes, std::vector<B>{kRead10});
    EXPECT_EQ(c.page.link.cur_cmd, kCmdLive);
    EXPECT_EQ(c.page.form.mapfile.Text, "/maps/a.map");
}

TEST(ReceivePath, ErrorAndTransmitNotificationsOnlyKeepTheLinkAlive) {
    Polling c;
    c.page.link.idle_ticks = 4;
    c.port.Deliver({});  // nothing waiting: a bare receive signal
    for (CommEvent e : {CommEvent::Error, CommEvent::Send, CommEvent::ModemLine}) {
        c.page.link.idle_ticks = 4;
        c.page.form.Text3.Text = "OffLine";
        c.port.Signal(e);
        EXPECT_EQ(c.page.link.idle_ticks, 0);
        EXPECT_EQ(c.page.form.Text3.Text, "Connected");
    }
    EXPECT_EQ(c.port.writes.size(), 1u);
}

TEST(ReceivePath, ReplyWithNoCommandFallsBackToNextCommand) {
    Polling c;
    c.port.Deliver(Console::LiveReply());
    c.port.ClearWrites();
    // An operation queued itself behind the request in flight.
    c.page.link.cur_cmd = kCmdNone;
    c.page.link.next_cmd = kCmdLive;
    c.port.Deliver(Console::LiveReply(0x40));
    EXPECT_EQ(c.page.form.rpm.Text, "6.4");
    EXPECT_EQ(c.port.writes, std::vector<B>{kRead10});
    // With nothing queued the reply is dropped and nothing is sent.
    c.page.link.cur_cmd = kCmdNone;
    c.page.link.next_cmd = kCmdNone;
    c.port.ClearWrites();
    c.port.Deliver(Console::LiveReply(0x50));
    EXPECT_EQ(c.page.form.rpm.Text, "6.4");
    EXPECT_TRUE(c.port.writes.empty());
}

TEST(ReceivePath, AbsentPortShowsOffLineAndConnectTriesAgain) {
    Console c;
    c.port.open_ok = false;
    c.StartUp(2);
    EXPECT_FALSE(c.port.IsOpen());
    EXPECT_EQ(c.page.form.Text3.Text, "OffLine");
    c.port.open_ok = true;
    c.page.form.Connect.UserClick();
    EXPECT_TRUE(c.port.IsOpen());
    EXPECT_EQ(c.port.opened_port, 2);
    EXPECT_EQ(c.page.form.Text3.Text, "Connected ");
}

TEST(ReceivePath, RefusedWriteShowsOffLine) {
    Console c;
    c.port.write_ok = false;
    c.StartUp(1);
    EXPECT_EQ(c.page.form.Text3.Text, "OffLine");
}

TEST(ReceivePath, StopComClosesAndSizesTheBufferToTheLiveBlock) {
    Polling c;
    c.page.StopCom();
    EXPECT_FALSE(c.port.IsOpen());
    EXPECT_EQ(c.port.in_buffer_size, 10u);
    EXPECT_EQ(c.page.link.cur_cmd, kCmdLive);
    EXPECT_EQ(c.page.form.Text3.Text, "Connected ");
}
