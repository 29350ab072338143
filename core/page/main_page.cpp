#include "core/page/main_page.h"

namespace orv {

Main_Page::Main_Page(SerialPort& port, std::filesystem::path dir) : MSComm1(port), app_dir(std::move(dir)) {
    WireHandlers();
    WireLink();
    MSComm1.on_comm = [this](CommEvent e) {
        // A signal during another event is part of that event.
        const bool own_event = event_depth_ == 0;
        if (own_event) port_signal_running_ = true;
        {
            EventScope event(*this);
            MSComm1_OnComm(e);
        }
        if (own_event) port_signal_running_ = false;
    };
    // The port opens inside an event, which shows the notice when it is over.
    MSComm1.on_notice = [this](const std::string& message) { form.Notice = message; };
}

Main_Page::~Main_Page() {
    MSComm1.on_comm = nullptr;
    MSComm1.on_notice = nullptr;
}

void Main_Page::Notify() { listeners_->Notify(); }

ListenerHandle Main_Page::AddListener(std::function<void()> listener) {
    return {listeners_, listeners_->Add(std::move(listener))};
}


void Main_Page::RunEvent(const std::function<void()>& action) {
    EventScope event(*this);
    action();
}

// Each control raises the handler of the same name, as the toolkit does; each
// raise is an event of its own unless a running one caused it.
void Main_Page::WireHandlers() {
    form::Form& f = form;
    auto on = [this](auto handler) {
        return [this, handler](auto... args) {
            EventScope event(*this);
            NoteEvent(EditEvent::Plain);
            (this->*handler)(args...);
        };
    };
    auto at = [this](auto handler, int t) {
        return [this, handler, t](auto... args) {
            EventScope event(*this);
            NoteEvent(EditEvent::Plain);
            (this->*handler)(t, args...);
        };
    };
    f.COM.on_click = on(&Main_Page::COM_Click);
    f.Connect.on_click = on(&Main_Page::Connect_Click);
    f.upload.on_click = on(&Main_Page::upload_Click);
    f.download.on_click = on(&Main_Page::download_Click);
    f.Host.on_click = on(&Main_Page::Host_Click);
    f.remote.on_click = on(&Main_Page::remote_Click);
    f.monitor.on_click = on(&Main_Page::monitor_Click);
    f.edit.on_click = on(&Main_Page::edit_Click);
    f.bank1mem.on_click = on(&Main_Page::bank1mem_Click);
    f.bank2mem.on_click = on(&Main_Page::bank2mem_Click);
    f.IgnMem.on_click = on(&Main_Page::IgnMem_Click);
    f.bank2sel.on_click = on(&Main_Page::bank2sel_Click);
    f.ignsel.on_click = on(&Main_Page::ignsel_Click);
    f.FullSel.on_click = on(&Main_Page::FullSel_Click);
    f.ignnormal.on_click = on(&Main_Page::ignnormal_Click);
    f.igninv.on_click = on(&Main_Page::igninv_Click);
    f.mem1.on_click = on(&Main_Page::mem1_Click);
    f.mem2.on_click = on(&Main_Page::mem2_Click);
    f.mem3.on_click = on(&Main_Page::mem3_Click);
    f.mem4.on_click = on(&Main_Page::mem4_Click);
    f.loadmem.on_click = on(&Main_Page::loadmem_Click);
    f.savemem.on_click = on(&Main_Page::savemem_Click);
    f.record.on_click = on(&Main_Page::record_Click);
    f.play.on_click = on(&Main_Page::play_Click);
    f.timeadj.on_click = on(&Main_Page::timeadj_Click);
    f.Stop.on_click = on(&Main_Page::Stop_Click);
    f.save.on_click = on(&Main_Page::save_Click);
    f.load.on_click = on(&Main_Page::load_Click);
    f.savecsv.on_click = on(&Main_Page::savecsv_Click);
    f.timesel.on_user_move = on(&Main_Page::timesel_Scroll);

    // The settings bars run one handler for Change and Scroll alike, so the
    // value follows the thumb while it is dragged.
    auto both = [](form::ScrollBar& bar, const form::Handler& h) {
        bar.on_change = h;
        bar.on_scroll = h;
    };
    both(f.cylinsel, on(&Main_Page::cylinsel_Change));
    both(f.RPMAcc, on(&Main_Page::RPMAcc_Change));
    both(f.deltasel, on(&Main_Page::deltasel_Change));
    both(f.WaterAcc, on(&Main_Page::WaterAcc_Change));
    both(f.Limiter, on(&Main_Page::Limiter_Change));
    both(f.loadtimesel, on(&Main_Page::loadtimesel_Change));
    both(f.windowsel, on(&Main_Page::windowsel_Change));

    for (int t = 0; t < kTableCount; ++t) {
        f.HScroll1[t].on_change = at(&Main_Page::HScroll1_Change, t);
        f.HScroll1[t].on_scroll = at(&Main_Page::HScroll1_Scroll, t);
        f.Text1[t].on_click = at(&Main_Page::Text1_Click, t);
        f.Text1[t].on_key_press = at(&Main_Page::Text1_KeyPress, t);
        f.Text1[t].on_lost_focus = at(&Main_Page::Text1_LostFocus, t);
        f.datatable[t].on_click = at(&Main_Page::datatable_Click, t);
        f.datatable[t].on_scroll = at(&Main_Page::datatable_Scroll, t);
        f.datatable[t].on_sel_change = at(&Main_Page::datatable_SelChange, t);
        f.datatable[t].on_key_press = at(&Main_Page::datatable_KeyPress, t);
    }

    // A bar's Scroll events and the Change that ends them are one edit.
    auto gesture = [this](form::ScrollBar& bar) {
        auto mark = [this, &bar](form::Handler h, EditEvent kind) {
            return [this, &bar, h, kind] {
                EventScope event(*this);
                NoteEvent(kind, &bar);
                form::Raise(h);
            };
        };
        bar.on_scroll = mark(bar.on_scroll, EditEvent::BarDrag);
        bar.on_change = mark(bar.on_change, EditEvent::BarCommit);
    };
    for (form::ScrollBar* bar : {&f.cylinsel, &f.RPMAcc, &f.deltasel, &f.WaterAcc, &f.Limiter, &f.loadtimesel, &f.windowsel})
        gesture(*bar);
    for (form::ScrollBar& bar : f.HScroll1) gesture(bar);
}

void Main_Page::Read_Config() { config = ReadConfigFile(app_dir); }

void Main_Page::Write_Config() {
    std::string error;
    if (!WriteConfigFile(app_dir, config, &error))
        form.Notice = "Configuration not saved: \"" + (app_dir / "config.dat").string() + "\": " + error;
}

void Main_Page::Remember(std::string ConfigValues::*field, const std::string& path) {
    if (const std::string unfit = ConfigCannotHold(path); !unfit.empty()) {
        if (!form.Notice.empty()) form.Notice += "; ";
        form.Notice += "\"" + path + "\" not remembered in config.dat: the name holds " + unfit;
        return;
    }
    config.*field = path;
    Write_Config();
}

}  // namespace orv
