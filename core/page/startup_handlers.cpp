// Start-up: configuration, the last recording and map file, every control in
// its initial state, the grids laid out, and finally the remembered port.
#include <system_error>

#include "core/common/numbers.h"
#include "core/files/value_list.h"
#include "core/page/main_page.h"
#include "core/recorder/recording.h"

namespace orv {

void Main_Page::Form_Load() {
    EventScope event(*this);
    form::Form& f = form;
    Reset_Monitor();
    link.tx_buf.assign(3, 0);
    std::error_code ec;
    const bool first_start = !std::filesystem::exists(app_dir / "config.dat", ec) && !ec;
    Read_Config();
    // Nothing is written yet: config.dat remembers the map once it is next
    // written (a port chosen), so that start keeps what this one showed.
    if (first_start && !first_map.empty()) config.cfg_map_file = first_map;
    f.recfile.Text = config.cfg_rec_file;
    f.mapfile.Text = config.cfg_map_file;

    // A file that does not read cleanly is left out whole: the console starts
    // with an empty recording or an empty image rather than half of one.
    if (!config.cfg_rec_file.empty()) LoadRecording(config.cfg_rec_file, rec);
    // The map file the same way the Load button reads it: whole or not at all.
    if (!config.cfg_map_file.empty()) {
        if (const std::string error = Read_Map_File(config.cfg_map_file); !error.empty())
            f.Notice = "Map file \"" + config.cfg_map_file + "\" not loaded: " + error;
    }

    f.remote.SetValue(true);
    f.monitor.SetValue(true);
    f.bank1mem.SetValue(true);
    f.Injector2.Visible = f.tinj2.Visible = f.bank2.Visible = f.duty2.Visible = f.lduty2.Visible = true;
    f.Advancer.Visible = true;
    f.Label6.Caption = "(ms)";
    link.cur_cmd = kCmdLive;
    link.probe = true;
    link.live_len = kLiveBlockLong;
    link.reply_len = kLiveBlockLong;
    for (form::Grid& g : f.datatable) g.ColWidth = {400, 400};
    Show_Mem_Slot();
    Show_Settings();

    for (int t = 0; t < kTableCount; ++t) load_data_table(t, kAxes[t].name, 0, kAxes[t].start, kAxes[t].step);
    LoadDataColumns();

    f.chrono.Text = Format(rec.rec_index / 10.0, "#0.0");
    f.COM.items.clear();
    for (int n = 1; n <= 7; ++n) f.COM.items.push_back("COM " + std::to_string(n));
    // Selecting the entry runs COM_Click, which rewrites config.dat and opens the link.
    f.COM.SetListIndex(config.cfg_port - 1);
    f.ignnormal.Enabled = f.igninv.Enabled = f.bank2sel.Enabled = f.ignsel.Enabled = true;
    MarkCalibrationKept();
    // What start-up read is where the history begins, not a step of it.
    history_.Rebase(cal.mem_image);
}

}  // namespace orv
