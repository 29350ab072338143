#include "core/form/form.h"

#include "core/calibration/image.h"
#include "core/monitor/gauge_geometry.h"
#include "core/settings/settings_coding.h"

namespace orv::form {

namespace {

void Group(OptionGroup& g, std::initializer_list<OptionButton*> members) {
    for (OptionButton* b : members) {
        g.members.push_back(b);
        b->group = &g;
    }
}

}  // namespace

Form::Form() {
    auto add = [this](std::string name, std::string parent, Ref ref) {
        entries_.push_back({std::move(name), std::move(parent), ref});
    };
    auto frame = [&](Frame& f, const char* name, const char* caption, const char* parent) {
        f.Caption = caption;
        add(name, parent, &f);
    };
    auto label = [&](Label& l, const char* name, std::string_view caption, const char* parent) {
        l.Caption = caption;
        add(name, parent, &l);
    };
    auto text = [&](TextBox& t, const char* name, const char* initial, const char* parent) {
        t.Text = initial;
        add(name, parent, &t);
    };
    auto button = [&](CommandButton& b, const char* name, const char* caption, const char* parent) {
        b.Caption = caption;
        add(name, parent, &b);
    };
    auto option = [&](OptionButton& o, const char* name, std::string_view caption, const char* parent) {
        o.Caption = caption;
        add(name, parent, &o);
    };
    auto bar = [&](ScrollBar& s, const char* name, int max, const char* parent) {
        s.SetRange(0, max);
        add(name, parent, &s);
    };
    auto indexed = [](const char* name, int i) { return std::string(name) + "(" + std::to_string(i) + ")"; };

    // Inputs
    frame(Inputs, "Inputs", "Inputs", "");
    add("Picture4", "Inputs", &Picture4);
    add("Picture5", "Inputs", &Picture5);
    add("Picture6", "Inputs", &Picture6);
    add("Picture7", "Inputs", &Picture7);
    add("Picture8", "Inputs", &Picture8);
    text(rpm, "rpm", "", "Picture4");
    text(pressure, "pressure", "", "Picture5");
    text(air, "air", "", "Picture6");
    text(water, "water", "", "Picture7");
    text(tps, "tps", "", "Inputs");
    label(ltps, "ltps", "(%)", "Inputs");
    add("tps_bar", "Picture8", &tps_bar);

    // Outputs
    frame(Outputs, "Outputs", "Outputs", "");
    add("Advancer", "Outputs", &Advancer);
    text(advance, "advance", "", "Advancer");
    add("Injector1", "Outputs", &Injector1);
    add("Injector2", "Outputs", &Injector2);
    add("tinj1", "Injector1", &tinj1);
    add("tinj2", "Injector2", &tinj2);
    text(bank1, "bank1", "", "Outputs");
    text(bank2, "bank2", "", "Outputs");
    text(duty1, "duty1", "0", "Outputs");
    text(duty2, "duty2", "0", "Outputs");
    text(batt, "batt", "0", "Outputs");
    text(version, "version", "0", "Outputs");
    label(Label4, "Label4", "Bank 1", "Outputs");
    label(Label5, "Label5", "Bank 2", "Outputs");
    label(Label3, "Label3", "(ms)", "Outputs");
    label(Label6, "Label6", "(ms)", "Outputs");
    label(lduty1, "lduty1", "(%)", "Outputs");
    label(lduty2, "lduty2", "(%)", "Outputs");
    label(lbattery, "lbattery", "Battery (V)", "Outputs");
    label(lversion, "lversion", "Remote Software", "Outputs");
    label(QUIL_PLUS, "QUIL_PLUS", "QUIL PLUS", "Outputs");

    // Needles: the pivot is part of the window definition and never moves.
    static const char* faces[5] = {"Picture4", "Picture5", "Picture6", "Picture7", "Advancer"};
    for (int i = 0; i < 5; ++i) {
        for (Line* l : {&rpmhand[i], &line1[i], &line2[i]}) {
            l->X1 = l->X2 = kPivotX;
            l->Y1 = l->Y2 = kPivotY;
        }
        add(indexed("rpmhand", i), faces[i], &rpmhand[i]);
        add(indexed("line1", i), faces[i], &line1[i]);
        add(indexed("line2", i), faces[i], &line2[i]);
    }

    // Event Recorder
    frame(recorder, "recorder", "Event Recorder", "");
    button(record, "record", "Rec", "recorder");
    button(play, "play", "Play", "recorder");
    button(timeadj, "timeadj", "||", "recorder");
    button(Stop, "Stop", "Stop", "recorder");
    button(save, "save", "Save", "recorder");
    button(load, "load", "Load", "recorder");
    add("timesel", "recorder", &timesel);
    text(chrono, "chrono", "", "recorder");
    text(RecStatus, "RecStatus", "STOPPED", "recorder");
    text(recfile, "recfile", "Rec File", "recorder");
    RecStatus.ForeColor = Rgb{1, 255, 1};
    button(savecsv, "savecsv", "CSV", "recorder");

    // Settings (the link)
    frame(Settings, "Settings", "Settings", "");
    button(Connect, "Connect", "Connect", "Settings");
    option(remote, "remote", "Remote", "Settings");
    option(Host, "Host", "     Host", "Settings");
    text(Text3, "Text3", "OffLine", "Settings");
    add("COM", "Settings", &COM);

    // Programming
    frame(programming, "programming", "Programming", "");
    frame(Bnk2, "Bnk2", "Bank 2", "programming");
    option(ignsel, "ignsel", Field(Setting::Bank2Off).states[1], "Bnk2");
    option(bank2sel, "bank2sel", Field(Setting::Bank2Off).states[0], "Bnk2");
    frame(Access, "Access", "Accessories", "programming");
    bar(WaterAcc, "WaterAcc", kWaterSwitchMax, "Access");
    text(TWaterAcc, "TWaterAcc", "", "Access");
    label(Label2, "Label2", Field(Setting::WaterSwitch).caption, "Access");
    frame(editing, "editing", "Editing", "programming");
    option(monitor, "monitor", "Monitor", "editing");
    option(edit, "edit", "Edit", "editing");
    button(download, "download", "Download", "editing");
    button(upload, "upload", "Upload", "editing");
    ProgressBar1.Max = kCalibrationBytes;  // a transfer's position in the image
    add("ProgressBar1", "editing", &ProgressBar1);
    text(mapfile, "mapfile", "Map File", "editing");
    button(loadmem, "loadmem", "Load", "editing");
    button(savemem, "savemem", "Save", "editing");
    frame(common, "common", "Common", "programming");
    bar(cylinsel, "cylinsel", kCylinderCodeMax, "common");
    text(ncylinder, "ncylinder", "", "common");
    label(cylinder, "cylinder", Field(Setting::Cylinders).caption, "common");
    FullSel.Caption = Field(Setting::Full).states[1];
    add("FullSel", "common", &FullSel);
    option(mem1, "mem1", "Mem 1", "common");
    option(mem2, "mem2", "Mem 2", "common");
    option(mem3, "mem3", "Mem 3", "common");
    option(mem4, "mem4", "Mem 4", "common");
    frame(ignition, "ignition", "Ignition", "programming");
    bar(Limiter, "Limiter", kLimiterMax, "ignition");
    bar(loadtimesel, "loadtimesel", kLoadTimeMax, "ignition");
    bar(windowsel, "windowsel", kWindowSizeMax, "ignition");
    text(TLimiter, "TLimiter", "", "ignition");
    text(loadtime, "loadtime", "", "ignition");
    text(windowsize, "windowsize", "", "ignition");
    label(Label1, "Label1", Field(Setting::Limiter).caption, "ignition");
    label(loadt, "loadt", Field(Setting::LoadTime).caption, "ignition");
    label(window, "window", Field(Setting::WindowSize).caption, "ignition");
    option(ignnormal, "ignnormal", Field(Setting::IgnInverted).states[0], "ignition");
    option(igninv, "igninv", Field(Setting::IgnInverted).states[1], "ignition");
    frame(injection, "injection", "Injection", "programming");
    bar(RPMAcc, "RPMAcc", kRpmSwitchMax, "injection");
    bar(deltasel, "deltasel", kDeltaTpsMax, "injection");
    text(TRPMAcc, "TRPMAcc", "", "injection");
    text(pdeltatps, "pdeltatps", "", "injection");
    label(rpmsw, "rpmsw", Field(Setting::RpmSwitch).caption, "injection");
    label(deltatps, "deltatps", Field(Setting::DeltaTps).caption, "injection");
    frame(tables, "tables", "Tables", "programming");
    for (int i = 0; i < kTableCount; ++i) {
        datatable[i].SetRows(kTableEntries[i] + 1);  // the header row and one row per entry
        add(indexed("datatable", i), "tables", &datatable[i]);
    }
    for (int i = 0; i < 5; ++i) text(Text1[i], indexed("Text1", i).c_str(), "", "tables");
    for (int i = 0; i < 5; ++i) bar(HScroll1[i], indexed("HScroll1", i).c_str(), i == 0 ? 255 : 180, "tables");
    option(bank1mem, "bank1mem", "Bank 1", "tables");
    option(bank2mem, "bank2mem", "Bank 2", "tables");
    option(IgnMem, "IgnMem", "Ignition", "tables");
    text(showtinj1, "showtinj1", "25.5", "tables");
    label(tinj, "tinj", "(ms)", "tables");
    text(showduty, "showduty", "0", "tables");
    label(duty, "duty", "(%)", "tables");

    // Only the cell editors take typing; every other box shows a value.
    for (const Entry& e : entries_)
        if (auto* const* box = std::get_if<TextBox*>(&e.ref)) (*box)->Locked = true;
    for (TextBox& editor : Text1) editor.Locked = false;

    Group(link_mode, {&remote, &Host});
    Group(user_mode, {&monitor, &edit});
    Group(table_view, {&bank1mem, &bank2mem, &IgnMem});
    Group(bank2_switch, {&ignsel, &bank2sel});
    Group(ign_mode, {&ignnormal, &igninv});
    Group(mem_slot, {&mem1, &mem2, &mem3, &mem4});
}

const Form::Entry* Form::Find(const std::string& name) const {
    for (const Entry& e : entries_)
        if (e.name == name) return &e;
    return nullptr;
}

}  // namespace orv::form
