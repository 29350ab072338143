// The event recorder: capture and playback on the tick, the buttons that
// change its state, the slider's seek, and recording files.
#include <filesystem>

#include "core/common/numbers.h"
#include "core/files/atomic_file.h"
#include "core/page/main_page.h"
#include "core/recorder/recording.h"

namespace orv {

namespace {

void ShowState(form::TextBox& box, const char* word, form::Rgb colour) {
    box.Text = word;
    box.ForeColor = colour;
}

FileDialogRequest RecorderFileRequest(const char* title, const char* pattern) {
    FileDialogRequest r;
    r.init_dir = std::filesystem::current_path().string();
    r.title = title;
    r.filter = pattern;
    r.file_name = pattern;
    return r;
}

}  // namespace

// The sample at rec_index into the live values and the read-outs, as the
// live display shows them; no ignition detection on recorded data.
void Main_Page::ShowRecordedSample() {
    rec.rec_offset = rec.rec_index * kRecSampleSize;
    LoadSample(std::span(rec.rec_buffer).subspan(rec.rec_offset).first<kRecSampleSize>(), live);
    // Bank 2's read-out only while bank 2 is on: with it off the box is hidden.
    ShowLiveTexts(form.bank2sel.Value());
    form.batt.Text = FormatLive(live).batt;
    Calc_Duty_Cycle();
}

void Main_Page::RecorderStep() {
    if (!rec.recording && !rec.playing) return;
    form.chrono.Text = Format(rec.rec_index / 10.0, "#0.0");
    form.timesel.SetValue(rec.rec_index);
    if (rec.rec_index >= PlayableEnd(rec.rec_count)) {
        Stop_Click();
        return;
    }
    rec.rec_offset = rec.rec_index * kRecSampleSize;
    if (rec.recording) {
        StoreSample(live, std::span(rec.rec_buffer).subspan(rec.rec_offset).first<kRecSampleSize>());
        ++rec.rec_index;
    }
    if (rec.playing) {
        ShowRecordedSample();
        ++rec.rec_index;
    }
}

void Main_Page::record_Click() {
    if (rec.playing) return;
    rec.recording = true;
    // A capture records the engine: a reviewed instant must not keep live
    // decoding held, or every sample would be that instant again.
    rec.rec_review = false;
    rec.rec_index = 0;
    rec.rec_offset = 0;
    rec.rec_count = kRecMaxSamples;
    ShowState(form.RecStatus, "RECORD", {255, 0, 0});
}

void Main_Page::play_Click() {
    if (rec.recording) return;
    rec.playing = true;
    ShowState(form.RecStatus, "PLAY", {255, 255, 255});
}

void Main_Page::timeadj_Click() {
    if (!rec.playing) return;
    rec.recording = rec.playing = rec.rec_review = false;
    ShowState(form.RecStatus, "PAUSE", {127, 255, 255});
}

void Main_Page::Stop_Click() {
    if (rec.recording) rec.rec_count = rec.rec_index;
    rec.rec_index = 0;
    rec.recording = rec.playing = rec.rec_review = false;
    ShowState(form.RecStatus, "STOPPED", {1, 255, 1});
}

void Main_Page::timesel_Scroll() {
    // Seeking into a capture would hold the display and record one instant
    // over and over; the next tick puts the slider back.
    if (rec.recording) return;
    rec.rec_review = true;
    rec.rec_index = form.timesel.Value();
    form.chrono.Text = Format(rec.rec_index / 10.0, "#0.0");
    if (rec.rec_index >= PlayableEnd(rec.rec_count)) return;
    ShowRecordedSample();
}

// File operations run with the link closed; whatever their outcome, the link
// is started again, and a failure is told in the window's notice with the
// file's name and the reason.
void Main_Page::save_Click() {
    StopCom();
    std::optional<std::string> path;
    if (file_dialog) path = file_dialog->ShowSave(RecorderFileRequest("Save", "*.rec"));
    if (path) {
        std::string error;
        form.Notice.clear();
        if (WriteFileAtomically(*path, FormatRecording(rec.rec_buffer, rec.rec_count), &error)) {
            form.recfile.Text = *path;
            Remember(&ConfigValues::cfg_rec_file, *path);
        } else {
            form.Tell("Recording not saved to " + *path + ": " + error, form::Form::NoticeKind::Failed);
        }
    }
    StartCom();
}

void Main_Page::load_Click() {
    StopCom();
    std::optional<std::string> path;
    if (file_dialog) path = file_dialog->ShowOpen(RecorderFileRequest("Load", "*.rec"));
    if (path) {
        form.Notice.clear();
        if (std::string error = LoadRecording(*path, rec); error.empty()) {
            form.recfile.Text = *path;
            Remember(&ConfigValues::cfg_rec_file, *path);
        } else {
            form.Tell("Recording not loaded from " + *path + ": " + error, form::Form::NoticeKind::Failed);
        }
    }
    StartCom();
}

void Main_Page::savecsv_Click() {
    StopCom();
    std::optional<std::string> path;
    FileDialogRequest request = RecorderFileRequest("Export CSV", "*.csv");
    request.default_ext = "csv";
    if (file_dialog) path = file_dialog->ShowSave(request);
    if (path) {
        // During a capture only what has been captured so far.
        const int samples = rec.recording ? rec.rec_index : WholeSamples(rec.rec_count);
        std::string error;
        form.Notice.clear();
        if (!WriteFileAtomically(*path, FormatRecordingCsv(rec.rec_buffer, samples), &error))
            form.Tell("Recording not exported to " + *path + ": " + error, form::Form::NoticeKind::Failed);
    }
    StartCom();
}

}  // namespace orv
