#pragma once
// The console object: the state of one run, one small struct per subsystem,
// and every handler of the main window under the name the window gives it.
// Each handler reads controls, calls the form-free code of its subsystem and
// writes controls. The handlers live here in core/page/, one *_handlers.cpp
// file per subsystem; only the files of this folder include this header.
#include <array>
#include <filesystem>
#include <functional>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "core/calibration/calibration_state.h"
#include "core/calibration/edit_history.h"
#include "core/calibration/range_edit.h"
#include "core/calibration/table_coding.h"
#include "core/files/file_dialog.h"
#include "core/files/map_compare.h"
#include "core/form/form.h"
#include "core/link/link.h"
#include "core/link/link_state.h"
#include "core/link/live_values.h"
#include "core/link/serial_port.h"
#include "core/monitor/table_lookup.h"
#include "core/recorder/recorder_state.h"
#include "core/shell/config.h"
#include "core/shell/subscription.h"

namespace orv {

// What closing the window and Upload both say first when changes would be lost.
inline constexpr const char* kUnsavedChanges =
    "The calibration has changes that were not saved to a map file or downloaded.";

class Main_Page {
   public:
    // app_dir: the folder the console started in, where config.dat lives.
    Main_Page(SerialPort& port, std::filesystem::path app_dir);
    Main_Page(const Main_Page&) = delete;
    Main_Page& operator=(const Main_Page&) = delete;
    ~Main_Page();

    form::Form form;
    SerialPort& MSComm1;
    const std::filesystem::path app_dir;

    ConfigValues config;
    CalibrationState cal;
    // The link engine, on MSComm1 and the image; link and xfer are its state.
    Link comm{MSComm1, cal.mem_image};
    LinkState& link = comm.state();
    TransferState& xfer = comm.transfer();
    LiveValues live;
    CalculatedOutputs calc;
    RecorderState rec;

    // --- events ---
    // After each event (a port notification, a tick, a control's event, the
    // start-up) every listener is told once, however many handlers it ran.
    // Keep the result in a Subscription to stop listening when that goes;
    // dropped, the listener stays for as long as the console lives.
    ListenerHandle AddListener(std::function<void()> listener);
    // Runs `action` as one event: the window's user actions come through here.
    void RunEvent(const std::function<void()>& action);
    // Whether the event the listeners hear of is a port signal: the line's
    // own pace, up to 147 replies a second, not a person's.
    bool PortSignalRunning() const { return port_signal_running_; }

    // --- start-up and configuration (shell/) ---
    // The map a start without config.dat opens, as if config.dat had named
    // it (the bundled sample map); empty: none.
    std::string first_map;
    void Form_Load();
    void Read_Config();
    void Write_Config();
    // The map or recording file just used, into `field` and config.dat; a
    // name config.dat cannot hold is told and the remembered one kept.
    void Remember(std::string ConfigValues::*field, const std::string& path);

    // --- link (link/) ---
    void COM_Click();
    void Connect_Click();
    void MSComm1_OnComm(CommEvent event);
    void StartCom();
    void StopCom();
    void Send_Frame();
    void Handle_Live();
    void Detect_Ignition();
    void upload_Click();
    void download_Click();
    void Handle_Upload();
    void Handle_Download();
    void Send_Host_On();
    void Send_Host_Off();
    // The nine parameter bytes host mode imposes for the live block just taken.
    Bytes Handle_Host_Cycle();
    void Host_Click();
    void remote_Click();

    // --- calibration image, grids, editing, selection (calibration/) ---
    // Image offset of entry 0 of table t of the viewed set of the active slot.
    int Get_Mem_Addr(int t);
    void SetBank1Mem();
    void load_data_table(int i, const std::string& nam, int col, double min, double st);
    void Load_Memory_Map();
    void datatable_Click(int t);
    void datatable_Scroll(int t);
    void datatable_SelChange(int t);
    // Not in the original: a number typed while grid t has the focus is
    // entered in its text box; Enter commits it and steps one row down.
    void datatable_KeyPress(int t, int code);
    void edit_Click();
    void HScroll1_Change(int t);
    void HScroll1_Scroll(int t);
    void Text1_Click(int t);
    void Text1_KeyPress(int t, int code);
    void Text1_LostFocus(int t);
    void bank1mem_Click();
    void bank2mem_Click();
    void IgnMem_Click();
    void bank2sel_Click();
    void ignsel_Click();
    void FullSel_Click();

    // --- monitor (monitor/) ---
    void Timer1_Timer();
    void monitor_Click();
    void Reset_Monitor();
    void write_analog_hand(int i, int x1, int y1, int h, int rsize, int rini, std::uint8_t maxval, long xval);
    void Show_Live_Cell(int index, long value);
    // Image offset of entry 0 of table `index` of set `set` of the active slot.
    int Get_Table_Addr(int index, int set);
    void Calc_Map_Output(int mode);
    void Calc_Duty_Cycle();
    void Show_Calc_Duty();
    // Steps of the tick: the five needles, then the throttle and injector bars.
    void ShowNeedles();
    void ShowBars();

    // --- settings (settings/) ---
    void cylinsel_Change();
    void RPMAcc_Change();
    void deltasel_Change();
    void WaterAcc_Change();
    void Limiter_Change();
    void loadtimesel_Change();
    void windowsel_Change();
    void ignnormal_Click();
    void igninv_Click();
    void Show_Settings();
    void Show_Cylinders();
    void Show_Delta_TPS();
    void Show_Water_Switch();
    void Show_RPM_Switch();
    void Show_Limiter();
    void Show_Bank2_Sel();
    void Show_Window_Size();
    void Show_Load_Time();
    void Show_Ign_Mode();
    void Show_Bank_Sel();

    // --- map files, memory slots, the report (files/) ---
    void loadmem_Click();
    void savemem_Click();
    void mem1_Click();
    void mem2_Click();
    void mem3_Click();
    void mem4_Click();
    void Show_Mem_Slot();
    // The report beside the map file just saved at map_path.
    void Write_Map_Report(const std::string& map_path);
    // Whether the calibration changed since it was last saved to or loaded
    // from a map file, or sent to or read from the controller.
    bool CalibrationUnsaved() const;
    void MarkCalibrationKept();

    // --- event recorder (recorder/) ---
    void record_Click();
    void play_Click();
    void timeadj_Click();
    void Stop_Click();
    void timesel_Scroll();
    void save_Click();
    void load_Click();
    // Not in the original: the recording as a CSV table.
    void savecsv_Click();

    // --- not in the original: the tuner's tools (calibration/, files/) ---
    // Undo and redo of every change to the image: an entry, a bar move (a
    // drag is one step), a settings, slot or view change, a range edit, a map
    // load, an upload. The window then shows the image as after a map load.
    // Nothing to do, or a transfer under way: false, and nothing happens.
    bool Undo();
    bool Redo();
    bool CanUndo() const;
    // Whether an upload or a download holds the link.
    TransferUnderWay Transferring() const;
    bool CanRedo() const;
    const EditHistory& History() const { return history_.history(); }
    // Rows first_row..last_row (1: the first) of table t of the viewed set,
    // in edit mode only; the grid, and the bar and box of its current row,
    // show the result.
    RangeEditResult RangeEdit(int t, int first_row, int last_row, RangeOp op, double value);
    // Shaping a table's curve on its plot, in edit mode only. A press on
    // entry `entry` (0: the first) of table t's curve makes its row the
    // grid's current one; with `together` it extends the grid's selected
    // range to that row instead, as a Shift-click in the grid does, and every
    // row of the range moves. False: no drag (not edit mode, a transfer, no
    // such entry).
    bool CurveDragBegin(int t, int entry, bool together);
    // The pointer `travel` away from the press, in the table's unit: the held
    // rows move by as many whole steps, within the bar's range, and the grid
    // shows them at once. A drag, press to release, is one undo step; it ends
    // by itself when its rows change behind its back (an undo, a load,
    // another view or slot, the end of edit mode).
    void CurveDragMove(double travel);
    void CurveDragEnd();
    bool CurveDragging() const { return curve_drag_.has_value(); }
    // Slot `from` copied over slot `to`, or slots a and b exchanged (0..3),
    // where the slot buttons may be used (edit mode, not host mode) and no
    // transfer holds the link; one undo step, and the status line says what
    // was done or why not. What a slot holds: core/files/slot_copy.h.
    bool CopySlot(int from, int to);
    bool SwapSlots(int a, int b);
    // Tables as clipboard text, and smoothing; each tells the status line
    // what it did, or why it did nothing (a paste is refused whole).
    // The selected rows of grid t (the whole table while one row is
    // selected); empty when the grid has no current row.
    std::string CopyTable(int t);
    // Text pasted into grid t from its first selected row, in edit mode.
    bool PasteTable(int t, std::string_view text);
    // The five tables of the viewed set of the active slot.
    std::string CopySet();
    // Five tables pasted over the viewed set of the active slot, in edit mode.
    bool PasteSet(std::string_view text);
    // The selected rows of grid t, three or more, as a moving average of
    // three that keeps the two ends, in edit mode.
    bool SmoothRange(int t);
    // A map file to compare the image with; empty, or why it was not read (a
    // reference already there stays).
    std::string CompareWith(const std::string& path);
    void StopComparing();
    const MapReference* Reference() const { return reference_ ? &*reference_ : nullptr; }
    // While comparing: the reference's text for a shown cell or a settings
    // control whose byte differs, nothing otherwise; and the count per slot.
    std::optional<std::string> ReferenceCell(int t, int row) const;
    std::optional<std::string> ReferenceSetting(std::string_view control) const;
    std::string ReferenceStatusLine() const;

    // The common file dialog the map and recording buttons open (memfile,
    // recorderfile); none set answers every question with Cancel.
    FileDialog* file_dialog = nullptr;
    // The map file box's text, put back when a transfer ends.
    std::string saved_mapname;

    // Asked before Download writes the controller: `answer(go, verify)` may
    // come at once or later (a dialog that does not block). None set, the
    // download starts at once without a read-back.
    using DownloadAnswer = std::function<void(bool go, bool verify)>;
    std::function<void(const std::string& question, DownloadAnswer answer)> ask_download;
    // What that question says: what will be written, where, from which map
    // file, and how many bytes differ from what the controller last held.
    std::string DownloadQuestion() const;
    // Asked before Upload replaces calibration changes neither saved to a
    // map file nor downloaded, as closing the window asks:
    // `answer(go)` may come at once or later. None set, or nothing to lose,
    // the upload starts at once.
    using UploadAnswer = std::function<void(bool go)>;
    std::function<void(const std::string& question, UploadAnswer answer)> ask_upload;
    // Whether the read-outs hold readings: live data arriving, or a
    // recording on show.
    bool ShowsReadings() const { return live_reading_ || rec.playing || rec.rec_review; }

   private:
    // Counts nested entries into the console, so that an event that runs a
    // chain of handlers tells the listeners once, when it is over.
    class EventScope {
       public:
        explicit EventScope(Main_Page& page) : page_(page) {
            if (page_.event_depth_++ != 0) return;
            page_.nothing_shown_changed_ = false;
            page_.BeginEvent();
        }
        ~EventScope() {
            if (--page_.event_depth_ != 0) return;
            page_.EndEvent();
            if (!page_.nothing_shown_changed_) page_.Notify();
        }
        EventScope(const EventScope&) = delete;
        EventScope& operator=(const EventScope&) = delete;

       private:
        Main_Page& page_;
    };
    void Notify();
    // The edit history's view of events: the image at the start and end of
    // each outermost one, and what kind of event it was (the first handler
    // it ran says so).
    void BeginEvent();
    void EndEvent();
    void NoteEvent(EditEvent kind, const void* bar = nullptr);
    bool StepHistory(bool back);
    // Bytes stored into table t of the viewed set from row first_row on, and
    // shown in its grid, and in the box and bar of its current row.
    void StoreRows(int t, int first_row, std::span<const std::uint8_t> bytes);
    // Why the calibration takes no edit now (monitor mode, a transfer), or empty.
    std::string EditRefusal() const;
    // The image shown whole, exactly as it is: slot, settings, view, grids.
    void ShowImage(const Image& image);
    // The event now running, if it is a port signal of its own, left every
    // control as it was: the listeners need not hear of it. A byte in
    // mid-reply is such a signal: the first of a reply, and each piece a
    // line without a receive threshold brings.
    void NothingShownChanged() {
        if (event_depth_ == 1) nothing_shown_changed_ = true;
    }
    void WireHandlers();
    // What the link engine tells, shown in the controls.
    void WireLink();
    // A transfer's end, however it ended: no bar, the map name back.
    void EndTransferDisplay();
    void PrepareTransfer(const char* message);
    void StartDownload(bool verify);
    void StartUpload();
    // A download's read-back, told in the status bar.
    void TellVerified(const VerifyResult& check);
    // Every read-out, dial and bar marked as holding a reading or none.
    void MarkReadings();
    bool live_reading_ = false;
    std::string lost_link_notice_;
    // The link's loss has been told and the controller has not answered
    // since.
    bool loss_told_ = false;
    // Host mode was on when the controller went silent: it comes back when
    // the controller answers. What is told of it, after "answers again".
    bool host_resumes_ = false;
    std::string ResumeHost();
    // The calibration the controller holds as far as the console knows: the
    // image last uploaded or downloaded.
    std::optional<Image> controller_image_;
    // A live block just received into the live values, read-outs and duty
    // cycles; a write acknowledgement is left alone.
    void DecodeLive();
    void SuperviseLink();
    void ShowLiveTexts(bool bank2 = true);
    void ShowLiveTexts(const LiveTexts& t, bool bank2);
    void SelectMemSlot(int slot);
    // Reads and checks the whole map file, then copies it into the image;
    // a file that fails leaves the image as it was. Empty, or the reason.
    std::string Read_Map_File(const std::string& path);
    std::optional<std::string> AskMapFile(bool save);
    void LoadDataColumns();
    void RecorderStep();
    void ShowRecordedSample();
    // The text box and the bar of grid t show its current row; nothing is
    // written.
    void ShowCurrentRow(int t);
    // The view the grids show, from the "Bank 1" / "Ignition" options.
    TableView Viewed() const;
    std::uint8_t& SlotByte(int rel) { return cal.mem_image[cal.slot_base + rel]; }

    std::shared_ptr<ListenerList> listeners_ = std::make_shared<ListenerList>();
    int event_depth_ = 0;
    bool port_signal_running_ = false;
    EditRecorder history_;
    EditEvent event_kind_ = EditEvent::Plain;
    const void* event_bar_ = nullptr;
    bool event_noted_ = false;
    // The curve drag under way: the rows it holds, their bytes at the press
    // and as last shown, and how far they moved.
    struct CurveDragState {
        int t = 0;
        TableView view = TableView::Fuel;
        int first_row = 0, addr = 0;
        std::vector<std::uint8_t> pressed, shown;
        long steps = 0;
        int clamped = 0;
    };
    std::optional<CurveDragState> curve_drag_;
    // Whether the slot buttons may be used now; the reason told if not.
    bool SlotsUsable(const char* refused);
    // Slots a and b changed by `change` as one event, shown, and `done` told.
    bool ChangeSlots(bool (*change)(Image&, int, int), int a, int b, const char* refused, const std::string& done);
    std::optional<MapReference> reference_;
    bool nothing_shown_changed_ = false;
};

}  // namespace orv
