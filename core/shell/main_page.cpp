#include "core/shell/main_page.h"

namespace orv {

Main_Page::Main_Page(SerialPort& port) : MSComm1(port) {
    Wire_Handlers();
    MSComm1.on_comm = [this](CommEvent e) { MSComm1_OnComm(e); };
}

Main_Page::~Main_Page() { MSComm1.on_comm = nullptr; }

// Each control raises the handler of the same name, as the toolkit does.
void Main_Page::Wire_Handlers() {
    form::Form& f = form;
    f.COM.on_click = [this] { COM_Click(); };
    f.Connect.on_click = [this] { Connect_Click(); };
    f.Host.on_click = [this] { Host_Click(); };
    f.remote.on_click = [this] { remote_Click(); };
    f.monitor.on_click = [this] { monitor_Click(); };
    f.edit.on_click = [this] { edit_Click(); };
    f.bank1mem.on_click = [this] { bank1mem_Click(); };
    f.bank2mem.on_click = [this] { bank2mem_Click(); };
    f.IgnMem.on_click = [this] { IgnMem_Click(); };
    f.bank2sel.on_click = [this] { bank2sel_Click(); };
    f.ignsel.on_click = [this] { ignsel_Click(); };
    f.FullSel.on_click = [this] { FullSel_Click(); };
    f.ignnormal.on_click = [this] { ignnormal_Click(); };
    f.igninv.on_click = [this] { igninv_Click(); };
    f.mem1.on_click = [this] { mem1_Click(); };
    f.mem2.on_click = [this] { mem2_Click(); };
    f.mem3.on_click = [this] { mem3_Click(); };
    f.mem4.on_click = [this] { mem4_Click(); };

    // The settings bars run one handler for Change and Scroll alike, so the
    // value follows the thumb while it is dragged.
    auto both = [](form::ScrollBar& bar, form::Handler h) {
        bar.on_change = h;
        bar.on_scroll = std::move(h);
    };
    both(f.cylinsel, [this] { cylinsel_Change(); });
    both(f.RPMAcc, [this] { RPMAcc_Change(); });
    both(f.deltasel, [this] { deltasel_Change(); });
    both(f.WaterAcc, [this] { WaterAcc_Change(); });
    both(f.Limiter, [this] { Limiter_Change(); });
    both(f.loadtimesel, [this] { loadtimesel_Change(); });
    both(f.windowsel, [this] { windowsel_Change(); });

    for (int t = 0; t < kTableCount; ++t) {
        f.HScroll1[t].on_change = [this, t] { HScroll1_Change(t); };
        f.HScroll1[t].on_scroll = [this, t] { HScroll1_Scroll(t); };
        f.Text1[t].on_click = [this, t] { Text1_Click(t); };
        f.Text1[t].on_key_press = [this, t](int code) { Text1_KeyPress(t, code); };
        f.Text1[t].on_lost_focus = [this, t] { Text1_LostFocus(t); };
        f.datatable[t].on_click = [this, t] { datatable_Click(t); };
        f.datatable[t].on_scroll = [this, t] { datatable_Scroll(t); };
        f.datatable[t].on_sel_change = [this, t] { datatable_SelChange(t); };
    }
}

bool Main_Page::PutByte(int addr, long value) {
    if (addr < 0 || addr >= kImageSize || value < 0 || value > 255) return false;
    mem_image[addr] = static_cast<std::uint8_t>(value);
    return true;
}

void Main_Page::Get_Mem_Addr(int t) { mem_addr = static_cast<std::int16_t>(MemAddr(mem_image, t)); }

void Main_Page::SetBank1Mem() { ClearViewBits(mem_image); }

}  // namespace orv
