// Rec files and the CSV table: formats, the dialogs, failures and start-up.
#include <gtest/gtest.h>

#include "core/recorder/recording.h"
#include "recorder_fixture.h"
#include "tests/support/odd_files.h"

using namespace orv;
using orv::test::Console;
using orv::test::Recorder;

namespace {
std::string Lines(int count, const std::string& value) {
    std::string s;
    for (int i = 0; i < count; ++i) s += value + "\r\n";
    return s;
}
}  // namespace

TEST(RecFiles, ThreeSampleCaptureSavesAs27LinesAndLoadsBack) {
    Recorder c;
    c.page.form.record.UserClick();
    for (int k = 0; k < 3; ++k) c.Tick(k + 7);
    c.page.form.Stop.UserClick();
    const int opened = c.port.open_count;
    c.dialog.answers = {c.Path("a.rec"), c.Path("a.rec")};
    c.page.form.save.UserClick();
    EXPECT_EQ(c.dialog.asked[0].title, "Save");
    EXPECT_EQ(c.dialog.asked[0].filter, "*.rec");
    EXPECT_EQ(c.dialog.asked[0].file_name, "*.rec");
    EXPECT_TRUE(c.dialog.asked_to_save[0]);
    const std::string sample = "52\r\n0\r\n20\r\n70\r\n40\r\n45\r\n75\r\n120\r\n";
    EXPECT_EQ(c.dir.ReadFile("a.rec"), "7\r\n" + sample + "8\r\n" + sample + "9\r\n" + sample);
    EXPECT_EQ(c.page.form.recfile.Text, c.Path("a.rec"));
    EXPECT_EQ(c.dir.ReadFile("config.dat"), "1,\"\",\"" + c.Path("a.rec") + "\"\r\n");
    EXPECT_EQ(c.port.open_count, opened + 1);

    c.page.rec.rec_count = 0;
    c.page.form.load.UserClick();
    EXPECT_EQ(c.dialog.asked[1].title, "Load");
    EXPECT_FALSE(c.dialog.asked_to_save[1]);
    EXPECT_DOUBLE_EQ(c.page.rec.rec_count, 3);
    EXPECT_EQ(c.port.open_count, opened + 2);
}

TEST(RecFiles, CountsWithAFractionWriteBackTheValuesTheyHad) {
    std::array<std::uint8_t, 5401> buffer{};
    buffer[19] = 4;
    EXPECT_EQ(FormatRecording(buffer, 0), "");
    EXPECT_EQ(FormatRecording(buffer, 20 / 9.0), Lines(19, "0") + "4\r\n");
    EXPECT_EQ(FormatRecording(buffer, 5401 / 9.0).size(), 5400 * 3 + 3u);
}

TEST(RecFiles, LoadKeepsTheFractionAndTheBufferBeyondIt) {
    Recorder c;
    c.Recorded(5);
    c.dir.WriteFile("b.rec", Lines(20, "9"));
    c.dialog.answers = {c.Path("b.rec")};
    c.page.form.load.UserClick();
    EXPECT_NEAR(c.page.rec.rec_count, 2.2222222, 1e-6);
    EXPECT_EQ(c.page.rec.rec_buffer[19], 9);
    EXPECT_EQ(c.page.rec.rec_buffer[20], 0);
    EXPECT_EQ(c.page.rec.rec_buffer[27], 3);
}

TEST(RecFiles, AFailedLoadOrSaveChangesNothingSaysWhyAndRestartsTheLink) {
    struct Case {
        const char* file;
        std::string content;  // written to `file` before a load; none: a save
        bool load;
        const char* reason;
    };
    for (const Case& k : {Case{"v.rec", Lines(10, "1") + "300\r\n", true, "not a byte value"},
                          Case{"t.rec", Lines(10, "1") + "1.5\r\n", true, "not a byte value"},
                          Case{"l.rec", Lines(5402, "1"), true, "more than 5401 values"},
                          Case{"missing.rec", "", true, "no such file"},
                          Case{"no/such/dir.rec", "", false, "No such file or directory"}}) {
        Recorder c;
        c.Recorded(2);
        c.page.form.recfile.Text = "old.rec";
        if (!k.content.empty()) c.dir.WriteFile(k.file, k.content);
        const auto before = c.page.rec.rec_buffer;
        const std::string config = c.dir.ReadFile("config.dat");
        c.dialog.answers = {c.Path(k.file)};
        (k.load ? c.page.form.load : c.page.form.save).UserClick();
        EXPECT_EQ(c.page.rec.rec_buffer, before) << k.file;
        EXPECT_DOUBLE_EQ(c.page.rec.rec_count, 2);
        EXPECT_EQ(c.page.form.recfile.Text, "old.rec");
        EXPECT_EQ(c.dir.ReadFile("config.dat"), config);
        EXPECT_NE(c.page.form.Notice.find(c.Path(k.file)), std::string::npos) << k.file;
        EXPECT_NE(c.page.form.Notice.find(k.reason), std::string::npos) << c.page.form.Notice;
        EXPECT_TRUE(c.port.IsOpen());
        EXPECT_EQ(c.page.form.Text3.Text, "Connected ");
    }
}

// Save and export write only over a regular file; load names what it found.
TEST(RecFiles, WhatIsNotARegularFileIsNeitherReplacedNorReadAndIsNamed) {
    using orv::test::OddFile;
    for (const OddFile kind : orv::test::kOddFiles) {
        for (form::CommandButton form::Form::*button : {&form::Form::save, &form::Form::savecsv, &form::Form::load}) {
            const bool load = button == &form::Form::load;
            SCOPED_TRACE(std::string(orv::test::Name(kind)) + (load ? " load" : " save"));
            Recorder c;
            c.Recorded(2);
            if (!orv::test::MakeOddFile(c.dir.path() / "x.rec", kind)) continue;  // a device node needs root
            const auto type = orv::test::TypeOf(c.dir.path() / "x.rec");
            const std::string config = c.dir.ReadFile("config.dat");
            const auto before = c.page.rec.rec_buffer;
            c.dialog.answers = {c.Path("x.rec")};
            (c.page.form.*button).UserClick();
            const bool folder = kind == OddFile::Folder || kind == OddFile::LinkToFolder;
            EXPECT_NE(c.page.form.Notice.find(folder ? "a folder, not a regular file" : "not a regular file"),
                      std::string::npos)
                << c.page.form.Notice;
            EXPECT_NE(c.page.form.Notice.find(c.Path("x.rec")), std::string::npos);
            EXPECT_EQ(orv::test::TypeOf(c.dir.path() / "x.rec"), type);
            EXPECT_EQ(c.page.rec.rec_buffer, before);
            EXPECT_DOUBLE_EQ(c.page.rec.rec_count, 2);
            EXPECT_EQ(c.page.form.recfile.Text, "");
            EXPECT_EQ(c.dir.ReadFile("config.dat"), config);
            EXPECT_TRUE(c.port.IsOpen());
        }
    }
}

TEST(RecFiles, ANameConfigDatCannotHoldIsUsedAsChosenAndNotRemembered) {
    for (const std::string name : {"my \"best\",run.rec", "two\nlines.rec"}) {
        Recorder c;
        c.Recorded(1);
        const std::string config = c.dir.ReadFile("config.dat");
        c.dialog.answers = {c.Path(name), c.Path(name)};
        c.page.form.save.UserClick();
        EXPECT_EQ(c.dir.ReadFile(name), FormatRecording(c.page.rec.rec_buffer, 1));
        c.page.rec.rec_count = 0;
        c.page.form.load.UserClick();
        EXPECT_DOUBLE_EQ(c.page.rec.rec_count, 1);
        EXPECT_EQ(c.page.form.recfile.Text, c.Path(name));
        EXPECT_NE(c.page.form.Notice.find("not remembered in config.dat"), std::string::npos) << c.page.form.Notice;
        EXPECT_EQ(c.page.config.cfg_rec_file, "");
        EXPECT_EQ(c.dir.ReadFile("config.dat"), config);
    }
}

TEST(RecFiles, CancellingADialogChangesNothing) {
    for (form::CommandButton form::Form::*button : {&form::Form::save, &form::Form::load, &form::Form::savecsv}) {
        Recorder c;
        c.Recorded(2);
        const std::string config = c.dir.ReadFile("config.dat");
        (c.page.form.*button).UserClick();
        EXPECT_DOUBLE_EQ(c.page.rec.rec_count, 2);
        EXPECT_EQ(c.page.form.recfile.Text, "");
        EXPECT_EQ(c.page.form.Notice, "");
        EXPECT_EQ(c.dir.ReadFile("config.dat"), config);
        EXPECT_TRUE(c.port.IsOpen());
    }
}

TEST(RecFiles, StartUpLoadsTheLastRecordingOrSkipsIt) {
    struct Case {
        std::string content;  // empty: no file
        double count;
    };
    for (const Case& k : {Case{Lines(27, "5"), 3}, Case{"", 0}, Case{Lines(9, "5") + "x\r\n", 0}}) {
        Console c;
        if (!k.content.empty()) c.dir.WriteFile("last.rec", k.content);
        c.dir.WriteFile("config.dat", "1,\"\",\"" + (c.dir.path() / "last.rec").string() + "\"\r\n");
        c.page.Form_Load();
        EXPECT_DOUBLE_EQ(c.page.rec.rec_count, k.count);
        EXPECT_EQ(c.page.rec.rec_buffer[0], k.count ? 5 : 0);
        EXPECT_EQ(c.page.form.recfile.Text, (c.dir.path() / "last.rec").string());
        EXPECT_TRUE(c.port.IsOpen());
    }
}

TEST(RecCsv, OneRowPerWholeSampleInEngineeringUnits) {
    std::array<std::uint8_t, 5401> buffer{};
    const std::uint8_t s0[] = {35, 10, 0, 20, 100, 42, 0, 45, 138};
    const std::uint8_t s1[] = {255, 0, 100, 0, 255, 255, 7, 0, 0};
    std::copy(std::begin(s0), std::end(s0), buffer.begin());
    std::copy(std::begin(s1), std::end(s1), buffer.begin() + 9);
    const std::string head =
        "time_s,rpm,pressure_bar,throttle_pct,air_c,water_c,bank1_ms,bank2_ms,advance_deg,battery_v\r\n";
    EXPECT_EQ(FormatRecordingCsv(buffer, 2), head +
                                                 "0.0,3500,0.0,0,0,80,4.2,0.0,0,13.8\r\n"
                                                 "0.1,25500,-1.0,100,-20,235,25.5,0.7,-45,0.0\r\n");
    EXPECT_EQ(FormatRecordingCsv(buffer, 0), head);
    EXPECT_EQ(WholeSamples(20 / 9.0), 2);
    EXPECT_EQ(WholeSamples(5401 / 9.0), 600);
}

TEST(RecCsv, ExportFromTheWindowWritesTheWholeSamplesOnly) {
    Recorder c;
    c.Recorded(20 / 9.0);
    c.dialog.answers = {c.Path("r.csv")};
    c.page.form.savecsv.UserClick();
    EXPECT_EQ(c.dialog.asked[0].filter, "*.csv");
    EXPECT_TRUE(c.dialog.asked_to_save[0]);
    const std::string csv = c.dir.ReadFile("r.csv");
    EXPECT_EQ(std::count(csv.begin(), csv.end(), '\n'), 3);
    EXPECT_EQ(csv.substr(csv.rfind("0.1,")), "0.1,100,-1.0,0,-20,-20,0.0,0.0,-45,0.0\r\n");
    EXPECT_EQ(c.page.form.recfile.Text, "");  // an export is not the recording's file
    EXPECT_TRUE(c.port.IsOpen());
}
