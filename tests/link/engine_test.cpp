// The link engine alone, with no window: the simulated controller behind the
// in-memory port, every reply delivered byte by byte at the line's pace, and
// what the engine tells its owner recorded as it tells it.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "core/link/link.h"
#include "sim/controller.h"
#include "tests/support/fake_port.h"

using namespace orv;

namespace {

struct Engine {
    explicit Engine(orvsim::Options options = {}) : sim(options) {
        port.responder = [this](const Bytes& request) { return sim.Receive(request, port.now); };
        port.on_reply_delivered = [this] { sim.ReplySent(); };
        port.on_comm = [this](CommEvent e) { link.OnComm(e); };
        Link::Events& e = link.events;
        e.status_changed = [this](LinkStatus s, const std::string& why) { told.push_back(StatusText(s) + (":" + why)); };
        e.live_block = [this](const Bytes&) { ++blocks; };
        e.transfer_progress = [this](TransferKind, int at) { progress.push_back(at); };
        e.transfer_finished = [this](TransferKind, const std::optional<VerifyResult>& v) {
            ++finished;
            verify = v;
        };
        e.transfer_stalled = [this](TransferKind, int, const std::string& message) { told.push_back(message); };
    }
    // Simulated time passes: replies byte by byte, a tick every 100 ms.
    void Run(double seconds) {
        for (double end = port.now + seconds; port.now < end; port.now += 0.1) {
            port.Pump(1000, true);
            link.Tick();
        }
    }

    orvsim::Controller sim;
    test::FakePort port;
    Image image{};
    Link link{port, image};
    std::vector<std::string> told;
    std::vector<int> progress;
    int blocks = 0, finished = 0;
    std::optional<VerifyResult> verify;
};

}  // namespace

TEST(Engine, StatusSaysWhatTheLineDidAndWhy) {
    Engine c({.faults = {.silent_after = 1.0}});
    c.port.open_ok = false;
    c.link.UsePort(1);
    c.port.open_ok = true;
    c.link.UsePort(1);
    c.Run(2.0);
    EXPECT_EQ(c.told, (std::vector<std::string>{"OffLine:the port cannot be opened", "Connected :", "Connected:",
                                                "OffLine:the controller stopped answering"}));
    EXPECT_TRUE(c.link.Silent());
    EXPECT_GT(c.blocks, 100);
    EXPECT_EQ(c.link.live().live_version, 21);
}

TEST(Engine, DownloadVerifiesByReadingTheCalibrationBack) {
    struct Case {
        int corrupt;  // the byte the controller programs wrong, -1: none
        bool verify;
        int first_difference;
    };
    for (const Case k : {Case{-1, true, -1}, Case{0, true, 0}, Case{1000, true, 1000}, Case{1835, true, 1835},
                         Case{1000, false, -1}}) {
        SCOPED_TRACE(k.corrupt);
        Engine c({.faults = {.corrupt_program = k.corrupt}});
        for (int i = 0; i < kImageSize; ++i) c.image[i] = static_cast<std::uint8_t>(i * 7 + 3);
        const Image sent = c.image;
        c.link.UsePort(1);
        c.Run(0.5);
        const std::size_t from = c.port.writes.size();
        c.link.StartDownload(k.verify);
        c.Run(8.0);
        ASSERT_EQ(c.finished, 1);
        EXPECT_EQ(c.image, sent);  // the read-back goes to a scratch image
        ASSERT_EQ(c.verify.has_value(), k.verify);
        if (k.verify) {
            EXPECT_EQ(c.verify->verified, k.first_difference < 0);
            EXPECT_EQ(c.verify->first_difference, k.first_difference);
            if (k.first_difference >= 0) {
                EXPECT_EQ(c.verify->programmed, sent[k.first_difference]);
                EXPECT_EQ(c.verify->read_back, sent[k.first_difference] ^ 0xFF);
            }
        }
        // The bar never goes back, except to start the read-back from 0.
        for (std::size_t i = 1; i < c.progress.size(); ++i)
            EXPECT_TRUE(c.progress[i] >= c.progress[i - 1] || c.progress[i] == 0) << i;
        EXPECT_EQ(c.sim.stats().violations, 0u);
        // A block read back as programmed is read once; one that differs, twice alike.
        std::vector<int> reads(30, k.verify);
        if (k.first_difference >= 0) reads[static_cast<std::size_t>(k.first_difference / 64)] = 2;
        EXPECT_EQ(c.port.BlockReads(from), reads);
        // Polling resumes only when the owner asks for it.
        EXPECT_EQ(c.link.Transferring(), std::nullopt);
    }
}

TEST(Engine, UploadFillsTheImageAndAControllerGoneSilentStopsIt) {
    Engine clean;
    for (int i = 0; i < kCalibrationBytes; ++i)
        clean.sim.Poke(static_cast<std::uint16_t>(0xE000 + i), static_cast<std::uint8_t>(i % 251));
    clean.link.UsePort(1);
    clean.Run(0.5);
    clean.link.StartUpload();
    clean.Run(5.0);
    ASSERT_EQ(clean.finished, 1);
    for (int i = 0; i < kCalibrationBytes; ++i) ASSERT_EQ(clean.image[i], i % 251) << i;

    Engine silent({.faults = {.silent_after = 1.0}});
    silent.link.UsePort(1);
    silent.Run(0.5);
    silent.link.StartUpload();
    silent.Run(6.0);
    EXPECT_EQ(silent.finished, 0);
    ASSERT_FALSE(silent.told.empty());
    EXPECT_EQ(silent.told.back().rfind("Upload stopped at byte ", 0), 0u) << silent.told.back();
    EXPECT_NE(silent.told.back().find(": the controller stopped answering; press Connect, then Upload again"),
              std::string::npos);
    EXPECT_EQ(silent.link.Transferring(), std::nullopt);
}

// A download taken up where it stopped programs no block twice; a read-back noise stops says "not verified".
TEST(Engine, ADownloadTakenUpWhereItStoppedProgramsNoBlockTwiceAndSaysWhenItCannotBeVerified) {
    Engine c({.faults = {.noisy_reads = true}});
    for (int i = 0; i < kImageSize; ++i) c.image[i] = static_cast<std::uint8_t>(i * 5 + 1);
    c.link.UsePort(1);
    c.Run(0.5);
    const std::size_t from = c.port.writes.size();
    const auto answers = c.port.responder;
    int n = 0;  // silent from the middle of the sixth block
    c.port.responder = [&](const Bytes& request) { return ++n <= 22 ? answers(request) : Bytes{}; };
    c.link.StartDownload(false);
    c.Run(5.0);
    ASSERT_EQ(c.told.back().rfind("Download stopped at byte 320 ", 0), 0u) << c.told.back();
    c.port.responder = answers;
    c.link.StartDownload(true, 320);
    c.Run(8.0);
    ASSERT_EQ(c.finished, 1);
    EXPECT_EQ(c.verify->unfinished, "the read-back stopped at byte 0 of 1,836: the line is too noisy");
    EXPECT_EQ(std::count_if(c.port.writes.begin() + static_cast<long>(from), c.port.writes.end(),
                            [](const Bytes& w) { return w[0] == 0x07; }),
              30);  // the sixth block's window twice, every other once
}
