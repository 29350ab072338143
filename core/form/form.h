#pragma once
// Every control of the main window, by the name the console gives it, with its
// caption or initial text. Control arrays are indexed by table or gauge
// number. The layout (positions, sizes) belongs to the Qt layer; the frame
// each control sits in is listed by Controls().
#include <array>
#include <string>
#include <variant>
#include <vector>

#include "core/form/controls.h"

namespace orv::form {

struct Form {
    Form();
    Form(const Form&) = delete;
    Form& operator=(const Form&) = delete;

    std::string Caption = "ORV Engine Controller's Console - Version 2.1";
    // Shown in the window's status bar: why the last file operation failed
    // (empty once one succeeds), or what the serial port had to say on opening.
    std::string Notice;
    // How the status bar marks a message: a success, a failure, or neither.
    // The mark belongs to the one message it was given with.
    enum class NoticeKind { Info, Done, Failed };
    void Tell(std::string text, NoticeKind kind) {
        Notice = std::move(text);
        notice_kind_ = kind;
        notice_marked_ = Notice;
    }
    NoticeKind KindOfNotice() const { return notice_marked_ == Notice ? notice_kind_ : NoticeKind::Info; }
    Timer Timer1;

    // Frame "Inputs"
    Frame Inputs;
    PictureBox Picture4, Picture5, Picture6, Picture7, Picture8;
    TextBox rpm, pressure, air, water, tps;
    Label ltps;
    Shape tps_bar;

    // Frame "Outputs"
    Frame Outputs;
    PictureBox Advancer, Injector1, Injector2;
    TextBox advance, bank1, bank2, duty1, duty2, batt, version;
    Label Label4, Label5, Label3, Label6, lduty1, lduty2, lbattery, lversion, QUIL_PLUS;
    Shape tinj1, tinj2;

    // Needles of the five gauges (0 rpm, 1 pressure, 2 air, 3 water, 4 advance)
    std::array<Line, 5> rpmhand, line1, line2;

    // Frame "Event Recorder"
    Frame recorder;
    CommandButton record, play, timeadj, Stop, save, load;
    Slider timesel;
    TextBox chrono, RecStatus, recfile;
    // Exports the recording as a CSV table.
    CommandButton savecsv;

    // Frame "Settings" (the link)
    Frame Settings;
    CommandButton Connect;
    OptionButton remote, Host;
    TextBox Text3;
    ComboBox COM;

    // Frame "Programming" and its seven frames
    Frame programming;
    Frame Bnk2;
    OptionButton ignsel, bank2sel;
    Frame Access;
    ScrollBar WaterAcc;
    TextBox TWaterAcc;
    Label Label2;
    Frame editing;
    OptionButton monitor, edit;
    CommandButton download, upload, loadmem, savemem;
    ProgressBar ProgressBar1;
    TextBox mapfile;
    Frame common;
    ScrollBar cylinsel;
    TextBox ncylinder;
    Label cylinder;
    CheckBox FullSel;
    OptionButton mem1, mem2, mem3, mem4;
    Frame ignition;
    ScrollBar Limiter, loadtimesel, windowsel;
    TextBox TLimiter, loadtime, windowsize;
    Label Label1, loadt, window;
    OptionButton ignnormal, igninv;
    Frame injection;
    ScrollBar RPMAcc, deltasel;
    TextBox TRPMAcc, pdeltatps;
    Label rpmsw, deltatps;
    Frame tables;
    std::array<Grid, 5> datatable;
    std::array<TextBox, 5> Text1;
    std::array<ScrollBar, 5> HScroll1;
    OptionButton bank1mem, bank2mem, IgnMem;
    TextBox showtinj1, showduty;
    Label tinj, duty;

    // Option groups: each keeps exactly one selection once one is made.
    OptionGroup link_mode, user_mode, table_view, bank2_switch, ign_mode, mem_slot;

    // One entry per control, for the Qt layer and for tests that walk the window.
    using Ref = std::variant<Frame*, Label*, PictureBox*, TextBox*, CommandButton*, OptionButton*, CheckBox*,
                             ScrollBar*, ComboBox*, Grid*, Line*, Shape*, Slider*, ProgressBar*>;
    struct Entry {
        std::string name;    // "datatable(3)" for array members
        std::string parent;  // name of the holding frame or picture box; "" for the window
        Ref ref;
    };
    const std::vector<Entry>& Controls() const { return entries_; }
    const Entry* Find(const std::string& name) const;

   private:
    std::vector<Entry> entries_;
    NoticeKind notice_kind_ = NoticeKind::Info;
    std::string notice_marked_;
};

}  // namespace orv::form
