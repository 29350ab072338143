// Capture and playback on the tick, the buttons' states, seeking.
#include <gtest/gtest.h>

#include "recorder_fixture.h"

using namespace orv;
using orv::test::Recorder;

TEST(Recorder, StopAfter123CaptureTicks) {
    Recorder c;
    c.page.form.record.UserClick();
    EXPECT_EQ(c.Status(), "RECORD");
    EXPECT_EQ(c.Colour(), (form::Rgb{255, 0, 0}));
    for (int k = 0; k < 123; ++k) c.Tick(k);
    c.page.form.Stop.UserClick();
    EXPECT_DOUBLE_EQ(c.page.rec.rec_count, 123);
    EXPECT_EQ(c.page.form.chrono.Text, "12.2");
    EXPECT_EQ(c.Status(), "STOPPED");
    EXPECT_EQ(c.Colour(), (form::Rgb{1, 255, 1}));
    EXPECT_EQ(c.page.rec.rec_index, 0);
    const auto& b = c.page.rec.rec_buffer;
    EXPECT_EQ(std::vector<int>(b.begin() + 9 * 122, b.begin() + 9 * 123),
              (std::vector<int>{122, 0x34, 0x00, 0x14, 0x46, 0x28, 0x2D, 0x4B, 0x78}));
}

TEST(Recorder, CaptureStopsByItselfAt600Samples) {
    Recorder c;
    c.page.form.record.UserClick();
    c.Ticks(600);
    EXPECT_TRUE(c.page.rec.recording);
    c.Tick();
    EXPECT_FALSE(c.page.rec.recording);
    EXPECT_DOUBLE_EQ(c.page.rec.rec_count, 600);
    EXPECT_EQ(c.page.form.chrono.Text, "60.0");
    EXPECT_EQ(c.Status(), "STOPPED");
}

TEST(Recorder, ButtonsInTheWrongStateDoNothing) {
    struct Case {
        const char* first;
        const char* then;
        const char* status;
    };
    for (const Case& k : {Case{"record", "play", "RECORD"}, Case{"play", "record", "PLAY"},
                          Case{"", "timeadj", "STOPPED"}}) {
        Recorder c;
        c.Recorded(5);
        auto button = [&](std::string n) -> form::CommandButton& {
            return n == "record" ? c.page.form.record : n == "play" ? c.page.form.play : c.page.form.timeadj;
        };
        if (*k.first) button(k.first).UserClick();
        button(k.then).UserClick();
        EXPECT_EQ(c.Status(), k.status) << k.then;
        EXPECT_FALSE(c.page.rec.recording && c.page.rec.playing);
    }
}

TEST(Recorder, PauseKeepsThePlaceAndPlayResumes) {
    Recorder c;
    c.Recorded(10);
    c.page.form.play.UserClick();
    EXPECT_EQ(c.Colour(), (form::Rgb{255, 255, 255}));
    c.Ticks(3);
    EXPECT_EQ(c.Rpm(), "0.2");
    c.page.form.timeadj.UserClick();
    EXPECT_EQ(c.Status(), "PAUSE");
    EXPECT_EQ(c.Colour(), (form::Rgb{127, 255, 255}));
    c.Ticks(2);
    EXPECT_EQ(c.page.rec.rec_index, 3);
    c.page.form.play.UserClick();
    c.Tick();
    EXPECT_EQ(c.Rpm(), "0.3");
    c.Ticks(6);
    EXPECT_EQ(c.Rpm(), "0.9");
    EXPECT_EQ(c.Status(), "PLAY");
    c.Tick();
    EXPECT_EQ(c.Status(), "STOPPED");
}

TEST(Recorder, PlaybackEndsAfterTheLastSampleItHas) {
    // 20 values: two whole samples and a third cut short; a file of 5,401
    // values would need a 601st sample past the buffer.
    for (auto [count, shown] : {std::pair{20 / 9.0, 3}, std::pair{5401 / 9.0, 600}}) {
        Recorder c;
        c.Recorded(count);
        c.page.form.play.UserClick();
        c.Ticks(shown);
        EXPECT_TRUE(c.page.rec.playing);
        EXPECT_EQ(c.page.live.live_rpm, (shown - 1) % 256);
        c.Tick();
        EXPECT_FALSE(c.page.rec.playing);
        c.page.form.timesel.UserMove(shown);  // a seek there shows nothing either
        EXPECT_EQ(c.page.live.live_rpm, (shown - 1) % 256);
    }
}

TEST(Recorder, SeekShowsTheInstantAndHoldsLiveDecodingUntilStop) {
    struct Case {
        int to;
        const char* chrono;
        const char* rpm;
    };
    for (const Case& k : {Case{50, "5.0", "5.0"}, Case{250, "25.0", "1.8"}}) {
        Recorder c;
        c.Recorded(200);
        c.Tick(0x12);
        c.page.form.timesel.UserMove(k.to);
        EXPECT_EQ(c.page.form.chrono.Text, k.chrono);
        EXPECT_EQ(c.Rpm(), k.rpm);
        c.Tick(0x40);
        EXPECT_EQ(c.Rpm(), k.rpm) << "live decoding held";
        c.page.form.Stop.UserClick();
        c.Tick(0x40);
        EXPECT_EQ(c.Rpm(), "6.4");
    }
}

TEST(Recorder, PlaybackShowsBank2OnlyWhenItIsOn) {
    for (bool on : {true, false}) {
        Recorder c;
        c.Recorded(1);
        c.page.rec.rec_buffer[6] = 33;
        if (!on) c.page.form.ignsel.SetValue(true);
        c.page.form.play.UserClick();
        c.Tick();
        EXPECT_EQ(c.page.form.bank2.Text, on ? "3.3" : "0.0");
    }
}

TEST(Recorder, CaptureRecordsTheEngineWhateverTheSlider) {
    // A seek during a capture, or one just before it, would hold live
    // decoding and fill the recording with one repeated instant.
    for (bool seek_first : {false, true}) {
        Recorder c;
        c.Recorded(200);
        if (seek_first) c.page.form.timesel.UserMove(50);
        c.page.form.record.UserClick();
        c.Tick(1);
        c.page.form.timesel.UserMove(100);
        EXPECT_FALSE(c.page.rec.rec_review);
        EXPECT_EQ(c.page.rec.rec_index, 1);
        c.Tick(2);
        c.Tick(3);
        EXPECT_EQ(c.page.form.timesel.Value(), 2);
        const auto& b = c.page.rec.rec_buffer;
        EXPECT_EQ((std::vector<int>{b[0], b[9], b[18]}), (std::vector<int>{1, 2, 3}));
    }
}
