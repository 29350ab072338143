// The 100 ms tick and the monitor mode.
#include "core/common/numbers.h"
#include "core/monitor/table_lookup.h"
#include "core/page/main_page.h"

namespace orv {

void Main_Page::Timer1_Timer() {
    EventScope event(*this);
    SuperviseLink();
    ShowNeedles();
    ShowBars();
    Calc_Map_Output(0);
    // Run second so that its display is the one left standing.
    if (form.Host.Value() || form.monitor.Value()) Calc_Map_Output(-1);
    if (!form.edit.Value()) {
        // The log viewer's cursor takes its rows from the same place.
        const std::array<int, kTableCount> rows = OperatingRows(live);
        for (int t = 0; t < kTableCount; ++t) Show_Live_Cell(t, rows[t] - 1);
    }
    RecorderStep();
    if (cal.reload_tables) Load_Memory_Map();
}

void Main_Page::monitor_Click() {
    form::Form& f = form;
    for (form::Control* c : std::initializer_list<form::Control*>{
             &f.loadmem, &f.savemem, &f.upload, &f.download, &f.injection, &f.ignition, &f.common, &f.Bnk2, &f.Access})
        c->Enabled = false;
    for (auto& bar : f.HScroll1) bar.Enabled = false;
    for (auto& box : f.Text1) box.Enabled = false;
    comm.PollIfIdle();
    if (link.next_cmd == kCmdUpload || link.next_cmd == kCmdDownload) f.mapfile.Text = saved_mapname;
}

void Main_Page::Reset_Monitor() {
    // Battery and version keep their last reading.
    const LiveValues kept = live;
    live = LiveValues{};
    live.live_batt = kept.live_batt;
    live.live_version = kept.live_version;
    live_reading_ = false;
    ShowLiveTexts();
}

void Main_Page::MarkReadings() {
    form::Form& f = form;
    const bool none = !ShowsReadings();
    for (form::Control* c : std::initializer_list<form::Control*>{
             &f.rpm, &f.pressure, &f.air, &f.water, &f.tps, &f.advance, &f.bank1, &f.bank2, &f.duty1, &f.duty2,
             &f.batt, &f.version, &f.Picture4, &f.Picture5, &f.Picture6, &f.Picture7, &f.Picture8, &f.Advancer,
             &f.Injector1, &f.Injector2})
        c->NoReading = none;
    // Outside edit mode each grid's current row, its box and the table's
    // output stand for the live operating point: with no reading there is
    // none to show. In edit mode they are the selected rows', not a reading.
    const bool no_point = none && !f.edit.Value();
    f.showtinj1.NoReading = f.showduty.NoReading = no_point;
    for (int t = 0; t < kTableCount; ++t) f.datatable[t].NoReading = f.Text1[t].NoReading = no_point;
}

}  // namespace orv
