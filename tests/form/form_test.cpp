#include <gtest/gtest.h>

#include "core/form/form.h"

using namespace orv::form;

namespace {

std::string CaptionOf(const Form& f, const std::string& name) {
    const Form::Entry* e = f.Find(name);
    if (!e) return "<missing>";
    return std::visit(
        [](auto* c) -> std::string {
            using T = std::remove_pointer_t<decltype(c)>;
            if constexpr (requires { c->Caption; }) return c->Caption;
            else if constexpr (std::is_same_v<T, TextBox>) return c->Text;
            else return "";
        },
        e->ref);
}

}  // namespace

TEST(Form, CaptionsAndInitialTextsAreTheWindowsOwn) {
    Form f;
    EXPECT_EQ(f.Caption, "ORV Engine Controller's Console - Version 2.1");
    const std::vector<std::pair<std::string, std::string>> expected = {
        {"Inputs", "Inputs"}, {"Outputs", "Outputs"}, {"recorder", "Event Recorder"}, {"Settings", "Settings"},
        {"programming", "Programming"}, {"Bnk2", "Bank 2"}, {"Access", "Accessories"}, {"editing", "Editing"},
        {"common", "Common"}, {"ignition", "Ignition"}, {"injection", "Injection"}, {"tables", "Tables"},
        {"ltps", "(%)"}, {"duty1", "0"}, {"duty2", "0"}, {"batt", "0"}, {"version", "0"}, {"Label4", "Bank 1"},
        {"Label5", "Bank 2"}, {"Label3", "(ms)"}, {"Label6", "(ms)"}, {"lbattery", "Battery (V)"},
        {"lversion", "Remote Software"}, {"QUIL_PLUS", "QUIL PLUS"}, {"record", "Rec"}, {"play", "Play"},
        {"timeadj", "||"}, {"Stop", "Stop"}, {"save", "Save"}, {"load", "Load"}, {"RecStatus", "STOPPED"},
        {"recfile", "Rec File"}, {"chrono", ""}, {"Connect", "Connect"}, {"remote", "Remote"}, {"Host", "     Host"},
        {"Text3", "OffLine"}, {"ignsel", "Off"}, {"bank2sel", "On"}, {"Label2", "Water Switch"},
        {"monitor", "Monitor"}, {"edit", "Edit"}, {"download", "Download"}, {"upload", "Upload"},
        {"mapfile", "Map File"}, {"loadmem", "Load"}, {"savemem", "Save"}, {"cylinder", "Cylinders"},
        {"FullSel", "Full"}, {"mem1", "Mem 1"}, {"mem4", "Mem 4"}, {"Label1", "Limiter (RPM)"},
        {"loadt", "Load Time (ms)"}, {"window", "Window Size "}, {"ignnormal", "Norm"}, {"igninv", "Inv"},
        {"rpmsw", "RPM Switch"}, {"deltatps", "Delta TPS (%)"}, {"bank1mem", "Bank 1"}, {"bank2mem", "Bank 2"},
        {"IgnMem", "Ignition"}, {"showtinj1", "25.5"}, {"tinj", "(ms)"}, {"showduty", "0"}, {"duty", "(%)"},
        {"rpm", ""}, {"advance", ""},
    };
    for (const auto& [name, caption] : expected) EXPECT_EQ(CaptionOf(f, name), caption) << name;
}

TEST(Form, ControlsSitInTheirFramesAndArraysAreIndexed) {
    Form f;
    const std::vector<std::pair<std::string, std::string>> parents = {
        {"rpm", "Picture4"}, {"advance", "Advancer"}, {"tps_bar", "Picture8"}, {"tinj2", "Injector2"},
        {"rpmhand(0)", "Picture4"}, {"line2(4)", "Advancer"}, {"COM", "Settings"}, {"Bnk2", "programming"},
        {"datatable(4)", "tables"}, {"HScroll1(2)", "tables"}, {"Text1(0)", "tables"}, {"timesel", "recorder"},
        {"ProgressBar1", "editing"}, {"mem3", "common"}, {"windowsel", "ignition"}, {"RPMAcc", "injection"},
        {"WaterAcc", "Access"}, {"Inputs", ""},
    };
    for (const auto& [name, parent] : parents) {
        const Form::Entry* e = f.Find(name);
        ASSERT_NE(e, nullptr) << name;
        EXPECT_EQ(e->parent, parent) << name;
    }
    EXPECT_EQ(std::get<Grid*>(f.Find("datatable(3)")->ref), &f.datatable[3]);
    const int rows[5] = {32, 52, 22, 17, 17};
    for (int i = 0; i < 5; ++i) EXPECT_EQ(f.datatable[i].Rows(), rows[i]);
    // The needles start at their pivot.
    EXPECT_EQ(f.rpmhand[2].X1, 1480);
    EXPECT_EQ(f.rpmhand[2].Y1, 1440);
}

TEST(Form, ScrollBarsStartAtZeroWithTheirRanges) {
    Form f;
    const std::vector<std::tuple<ScrollBar*, int>> bars = {
        {&f.cylinsel, 5}, {&f.RPMAcc, 150}, {&f.deltasel, 99}, {&f.WaterAcc, 30}, {&f.Limiter, 150},
        {&f.loadtimesel, 70}, {&f.windowsel, 90}, {&f.HScroll1[0], 255}, {&f.HScroll1[4], 180},
    };
    for (auto [bar, max] : bars) {
        EXPECT_EQ(bar->Value(), 0);
        EXPECT_EQ(bar->Min(), 0);
        EXPECT_EQ(bar->Max(), max);
    }
}
