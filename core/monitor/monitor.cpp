// The 100 ms tick and the monitor mode.
#include "core/common/numbers.h"
#include "core/shell/main_page.h"

namespace orv {

void Main_Page::Timer1_Timer() {
    Link_Supervision();
    Show_Gauges();
    Show_Bars();
    Calc_Map_Output(0);
    // Run second so that its display is the one left standing.
    if (form.Host.Value() || form.monitor.Value()) Calc_Map_Output(-1);
    if (!form.edit.Value()) {
        Show_Live_Cell(0, RoundHalfEven(live_rpm / 5.0));
        Show_Live_Cell(1, live_pressure);
        Show_Live_Cell(2, RoundHalfEven(live_tps / 5.0));
        Show_Live_Cell(3, RoundHalfEven(live_air / 10.0));
        Show_Live_Cell(4, RoundHalfEven(live_water / 10.0));
    }
    Recorder_Step();
    if (reload_tables) Load_Memory_Map();
}

void Main_Page::monitor_Click() {
    form::Form& f = form;
    for (form::Control* c : std::initializer_list<form::Control*>{
             &f.loadmem, &f.savemem, &f.upload, &f.download, &f.injection, &f.ignition, &f.common, &f.Bnk2, &f.Access})
        c->Enabled = false;
    for (auto& bar : f.HScroll1) bar.Enabled = false;
    for (auto& box : f.Text1) box.Enabled = false;
    if (MSComm1.IsOpen() && !f.Host.Value() && cur_cmd == kCmdNone) {
        cur_cmd = kCmdLive;
        reply_len = live_len;
        Build_Live_Read();
        Send_Frame();
    }
    if (next_cmd == kCmdUpload || next_cmd == kCmdDownload) f.mapfile.Text = saved_mapname;
}

void Main_Page::Reset_Monitor() {
    live_rpm = 0;
    live_pressure = 10;
    live_tps = 0;
    live_air = 0;
    live_water = 0;
    live_tinj1 = 0;
    live_tinj2 = 0;
    live_advance = 45;
    form::Form& f = form;
    f.rpm.Text = Format(live_rpm / 10.0, "#0.0");
    f.pressure.Text = Format((live_pressure - 10) / 10.0, "0.0");
    f.tps.Text = Str(live_tps);
    f.water.Text = Str(live_water - 20);
    f.air.Text = Str(live_air - 20);
    f.bank1.Text = Format(live_tinj1 / 10.0, "#0.0");
    f.bank2.Text = Format(live_tinj2 / 10.0, "#0.0");
    f.advance.Text = Str(live_advance - 45);
}

}  // namespace orv
