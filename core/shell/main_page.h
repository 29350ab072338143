#pragma once
// The console object: the whole state of one run and every handler of the
// main window. Each subsystem implements its handlers in its own folder
// (link/, calibration/, monitor/, settings/, files/, recorder/); this header
// is where they meet.
#include <array>
#include <cstdint>
#include <filesystem>
#include <string>

#include "core/calibration/image.h"
#include "core/form/form.h"
#include "core/link/serial_port.h"

namespace orv {

// Command codes: which handler the next reply goes to.
enum Cmd : std::uint8_t {
    kCmdNone = 0,
    kCmdLive = 1,
    kCmdUpload = 2,
    kCmdDownload = 3,
    kCmdHostOn = 4,
    kCmdHostOff = 5,
    kCmdHostCycle = 6,
};

class Main_Page {
   public:
    explicit Main_Page(SerialPort& port);
    Main_Page(const Main_Page&) = delete;
    Main_Page& operator=(const Main_Page&) = delete;
    ~Main_Page();

    form::Form form;
    SerialPort& MSComm1;
    int comm_port = 0;  // port number the serial port opens; 0 = none chosen

    // --- configuration (shell/config) ---
    int cfg_port = 0;  // 1..7; 0 = none
    std::string cfg_map_file, cfg_rec_file;
    std::filesystem::path app_dir;
    void Read_Config();
    void Write_Config();

    // --- calibration image (calibration/) ---
    Image mem_image{};
    std::int16_t slot_base = 0;
    std::int16_t mem_addr = 0;
    std::int16_t table_addr = 0;
    bool full_sel = false;
    bool reload_tables = false;
    void Get_Mem_Addr(int t);
    void SetBank1Mem();
    // Every single-byte write goes through here: a value outside 0..255 is
    // refused and the byte keeps its contents.
    bool PutByte(int addr, long value);
    std::uint8_t& SlotByte(int rel) { return mem_image[slot_base + rel]; }

    // --- link state (link/) ---
    std::uint8_t cur_cmd = kCmdLive;
    std::uint8_t next_cmd = kCmdNone;
    std::uint8_t reply_len = 10;
    Bytes tx_buf = Bytes(3);
    Bytes tx_frame;
    Bytes rx_data;
    std::uint8_t live_len = 10;
    bool probe = true;
    std::uint8_t idle_ticks = 0;
    std::string saved_mapname;
    std::int16_t xfer_pos = 0;
    std::int16_t dl_step = 0;

    void COM_Click();
    void Connect_Click();
    void MSComm1_OnComm(CommEvent event);
    void StartCom();
    void StopCom();
    void Send_Frame();
    void Link_Supervision();
    void Build_Live_Read();  // the live-data read in tx_buf

    // --- live values (link/live) ---
    std::uint8_t live_rpm = 0, live_pressure = 10, live_tps = 0, live_air = 0, live_water = 0;
    std::uint8_t live_tinj1 = 0, live_tinj2 = 0, live_advance = 45, live_batt = 0, live_version = 0;
    void Handle_Live();
    void Decode_Live();
    void Detect_Ignition();

    // --- transfers and modes: later; the dispatch already routes to them ---
    void Handle_Upload();
    void Handle_Download();
    void Send_Host_On();
    void Send_Host_Off();
    void Handle_Host_Cycle();
    void Host_Click();
    void remote_Click();

    // --- monitor (monitor/) ---
    std::uint8_t op_tinj1 = 0, op_tinj2 = 0, op_advance = 0;
    std::uint8_t sel_tinj1 = 0, sel_tinj2 = 0, sel_advance = 0;
    void Timer1_Timer();
    void monitor_Click();
    void Reset_Monitor();
    void write_analog_hand(int i, int x1, int y1, int h, int rsize, int rini, std::uint8_t maxval, long xval);
    void Show_Live_Cell(int index, long value);
    void Get_Table_Addr(int index, int set);
    void Calc_Map_Output(int mode);
    void Calc_Duty_Cycle();
    void Show_Calc_Duty();
    void Show_Gauges();  // tick step: the five needles
    void Show_Bars();    // tick step: throttle and injector bars
    // One table lookup at the live point (interpolated) or at the grid's row.
    long Table_Lookup(int t, int set, bool live);
    // Duty cycle in percent for engine speed (100 rpm) and injection time (0.1 ms).
    long Duty(long rpm, long tinj) const;

    // --- table grids, editing, selection (calibration/) ---
    void load_data_table(int i, const std::string& nam, int col, double min, double st);
    void Load_Memory_Map();
    // Text of a table byte in the viewed set, as the cell shows it.
    std::string Cell_Text(int t, long b) const;
    void datatable_Click(int t);
    void datatable_Scroll(int t);
    void datatable_SelChange(int t);
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

    // --- memory slots (files/) ---
    void mem1_Click() { Select_Mem_Slot(0); }
    void mem2_Click() { Select_Mem_Slot(1); }
    void mem3_Click() { Select_Mem_Slot(2); }
    void mem4_Click() { Select_Mem_Slot(3); }
    void Select_Mem_Slot(int slot);
    void Show_Mem_Slot();

    // --- start-up (shell/startup) ---
    void Form_Load();

    // --- recorder state (recorder/) ---
    static constexpr int kRecSampleSize = 9;
    static constexpr int kRecBufferSize = 5401;  // 600 samples of 9, and one spare
    std::array<std::uint8_t, kRecBufferSize> rec_buffer{};
    double rec_count = 0;  // samples; keeps a fraction for a file cut mid-sample
    int rec_index = 0;
    int rec_offset = 0;
    bool recording = false;
    bool playing = false;
    bool rec_review = false;
    void Recorder_Step();

   private:
    void Wire_Handlers();
    void Dispatch(std::uint8_t cmd);
};

}  // namespace orv
