#pragma once
// A started console with a scripted file dialog, and the recorder's view of it.
#include <string>

#include "tests/support/console_fixture.h"
#include "testing/scripted_file_dialog.h"

namespace orv::test {

struct Recorder : Console {
    ScriptedFileDialog dialog;
    Recorder() {
        page.file_dialog = &dialog;
        StartUp(1);
    }
    // One tick, after a live reply with this engine speed when one is given.
    void Tick(int rpm = -1) {
        if (rpm >= 0) port.Deliver(LiveReply(static_cast<std::uint8_t>(rpm)));
        page.Timer1_Timer();
    }
    void Ticks(int n) {
        for (int i = 0; i < n; ++i) Tick();
    }
    // A recording of `samples` whose sample k reads engine speed k.
    void Recorded(double samples) {
        for (int k = 0; k * 9 < 5401; ++k) page.rec.rec_buffer[k * 9] = static_cast<std::uint8_t>(k);
        page.rec.rec_count = samples;
    }
    std::string Status() const { return page.form.RecStatus.Text; }
    form::Rgb Colour() const { return page.form.RecStatus.ForeColor.value_or(form::Rgb{-1, -1, -1}); }
    std::string Rpm() const { return page.form.rpm.Text; }
    std::string Path(const std::string& name) const { return (dir.path() / name).string(); }
};

}  // namespace orv::test
