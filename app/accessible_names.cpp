#include "app/accessible_names.h"

#include <array>
#include <cctype>
#include <string_view>
#include <unordered_map>

namespace orv::app {

namespace {

using Names = std::unordered_map<std::string_view, std::string_view>;

const Names& Table() {
    static const Names names = {
        // Inputs
        {"Picture4", "Engine speed gauge, thousands of rpm"},
        {"Picture5", "Manifold pressure gauge, bar"},
        {"Picture6", "Air temperature gauge, degrees Celsius"},
        {"Picture7", "Water temperature gauge, degrees Celsius"},
        {"Picture8", "Throttle position bar, percent"},
        {"rpm", "Engine speed, thousands of rpm"},
        {"pressure", "Manifold pressure, bar"},
        {"air", "Air temperature, degrees Celsius"},
        {"water", "Water temperature, degrees Celsius"},
        {"tps", "Throttle position, percent"},
        // Outputs
        {"Advancer", "Ignition advance gauge, degrees"},
        {"advance", "Ignition advance, degrees"},
        {"Injector1", "Bank 1 duty cycle bar, percent"},
        {"Injector2", "Bank 2 duty cycle bar, percent"},
        {"bank1", "Bank 1 injection time, milliseconds"},
        {"bank2", "Bank 2 injection time, milliseconds"},
        {"duty1", "Bank 1 duty cycle, percent"},
        {"duty2", "Bank 2 duty cycle, percent"},
        {"batt", "Battery voltage, volts"},
        {"version", "Remote software version"},
        // Event Recorder; the pause button's caption is a sign
        {"timeadj", "Pause"},
        {"timesel", "Recording position"},
        {"chrono", "Recorder time, seconds"},
        {"RecStatus", "Recorder status"},
        {"recfile", "Recording file"},
        // Settings
        {"Text3", "Link status"},
        {"COM", "Serial port"},
        // Programming
        {"WaterAcc", "Water switch adjustment"},
        {"TWaterAcc", "Water switch, degrees Celsius"},
        {"ProgressBar1", "Transfer progress"},
        {"mapfile", "Map file"},
        {"cylinsel", "Cylinders adjustment"},
        {"ncylinder", "Cylinders"},
        {"Limiter", "Rev limiter adjustment"},
        {"TLimiter", "Rev limiter, thousands of rpm"},
        {"loadtimesel", "Load time adjustment"},
        {"loadtime", "Load time, milliseconds"},
        {"windowsel", "Window size adjustment"},
        {"windowsize", "Window size"},
        {"RPMAcc", "RPM switch adjustment"},
        {"TRPMAcc", "RPM switch, thousands of rpm"},
        {"deltasel", "Delta TPS adjustment"},
        {"pdeltatps", "Delta TPS, percent"},
        {"showtinj1", "Table output"},
        {"showduty", "Table output duty cycle, percent"},
    };
    return names;
}

// The five tables by what their rows are: engine speed, pressure, throttle,
// air and water temperature.
constexpr std::array<std::string_view, 5> kTables = {"Engine speed", "Pressure", "Throttle", "Air temperature",
                                                     "Water temperature"};

// "datatable(3)" gives 3 for "datatable"; -1 if the name is not of that array.
int IndexIn(const std::string& control, std::string_view array) {
    if (control.size() != array.size() + 3 || control.compare(0, array.size(), array) != 0) return -1;
    const char digit = control[array.size() + 1];
    if (control[array.size()] != '(' || control.back() != ')' || digit < '0' || digit > '4') return -1;
    return digit - '0';
}

std::string Lower(std::string_view s) {
    std::string out(s);
    if (!out.empty()) out[0] = static_cast<char>(std::tolower(static_cast<unsigned char>(out[0])));
    return out;
}

std::string Trimmed(const std::string& s) {
    const auto first = s.find_first_not_of(' ');
    if (first == std::string::npos) return {};
    return s.substr(first, s.find_last_not_of(' ') - first + 1);
}

const Names& Tips() {
    static const Names tips = {
        // Inputs
        {"Picture4", "Engine speed, in thousands of rpm; red from 12,000 rpm"},
        {"rpm", "Engine speed as the controller reports it, in thousands of rpm"},
        {"Picture5", "Manifold pressure, in bar above the atmosphere (-1.0 to 4.0)"},
        {"pressure", "Manifold pressure as the controller reports it, in bar above the atmosphere"},
        {"Picture6", "Intake air temperature, in \u00B0C; blue below 0 \u00B0C"},
        {"air", "Intake air temperature as the controller reports it, in \u00B0C"},
        {"Picture7", "Engine water temperature, in \u00B0C; red from 110 \u00B0C"},
        {"water", "Engine water temperature as the controller reports it, in \u00B0C"},
        {"Picture8", "Throttle position, in % of full throttle"},
        {"tps", "Throttle position as the controller reports it, in %"},
        // Outputs
        {"Advancer", "Ignition advance the controller applies, in degrees; shown while it drives the ignition"},
        {"advance", "Ignition advance the controller applies, in degrees"},
        {"Injector1", "Bank 1 injector duty cycle, in %: the share of two engine turns its injectors are open"},
        {"Injector2", "Bank 2 injector duty cycle, in %: the share of two engine turns its injectors are open"},
        {"bank1", "Bank 1 injection time as the controller reports it, in ms"},
        {"bank2", "Bank 2 injection time as the controller reports it, in ms"},
        {"duty1", "Bank 1 injector duty cycle, in %, from the engine speed and the injection time; "
                  "with \"Full\" ticked, times the cylinder count"},
        {"duty2", "Bank 2 injector duty cycle, in %, from the engine speed and the injection time; "
                  "with \"Full\" ticked, times the cylinder count"},
        {"batt", "Battery voltage, in V"},
        {"version", "Software version of the controller"},
        // Event Recorder
        {"record", "Records the live readings from the start: up to 60 s, ten samples a second"},
        {"play", "Plays the recording back through the gauges and boxes, from the current position"},
        {"timeadj", "Pauses the playback at the current position"},
        {"Stop", "Ends recording or playback and goes back to the start of the recording"},
        {"save", "Saves the recording to a recording file (*.rec)"},
        {"load", "Loads a recording file (*.rec)"},
        {"savecsv", "Exports the recording as a CSV table, one line per sample"},
        {"timesel", "Position in the recording, 0 to 60 s: moving it shows the readings of that moment"},
        {"chrono", "Recorder time: the position in the recording, in seconds"},
        {"RecStatus", "Recorder state: STOPPED, RECORD, PLAY or PAUSE"},
        {"recfile", "The recording file last loaded or saved"},
        // Settings
        {"Connect", "Opens the link to the controller again on the chosen serial port"},
        {"remote", "Remote: the controller works from its own calibration; the console watches"},
        {"Host", "Host: the console works out the injection times and advance from its calibration "
                 "and imposes them on the controller"},
        {"Text3", "Link state: OffLine while the controller is silent, Connected once it answers"},
        {"COM", "Serial port the controller is on; choosing one opens it"},
        // Programming
        {"bank2sel", "Bank 2 on: the second injector bank is driven from its own tables"},
        {"ignsel", "Bank 2 off: the second injector bank is not used, and the RPM switch applies"},
        {"WaterAcc", "Water switch temperature, -20 to 130 \u00B0C in steps of 5"},
        {"TWaterAcc", "Water switch temperature, in \u00B0C"},
        {"monitor", "Monitor: the grids and the table output follow the engine's live operating point"},
        {"edit", "Edit: the tables and settings can be changed; the table output shows the selected rows"},
        {"download", "Writes the console's calibration into the controller"},
        {"upload", "Reads the controller's calibration into the console"},
        {"ProgressBar1", "Progress of the upload or download, in %"},
        {"mapfile", "The map file last loaded or saved"},
        {"loadmem", "Loads a map file (*.map) into the console"},
        {"savemem", "Saves the calibration to a map file (*.map), with a text report beside it"},
        {"cylinsel", "Number of engine cylinders: 1, 2, 4, 5, 6 or 8"},
        {"ncylinder", "Number of engine cylinders"},
        {"FullSel", "Full: kept with the cylinder count; ticked, the duty cycles shown are multiplied by the "
                    "number of cylinders"},
        {"mem1", "Memory slot 1: makes it the active calibration; the tables and settings show it"},
        {"mem2", "Memory slot 2: makes it the active calibration; the tables and settings show it"},
        {"mem3", "Memory slot 3: makes it the active calibration; the tables and settings show it"},
        {"mem4", "Memory slot 4: makes it the active calibration; the tables and settings show it"},
        {"Limiter", "Rev limiter, 0.0 to 15.0 thousand rpm"},
        {"TLimiter", "Rev limiter, in thousands of rpm"},
        {"loadtimesel", "Load time of the ignition output, 0.0 to 7.0 ms"},
        {"loadtime", "Load time of the ignition output, in ms"},
        {"windowsel", "Window size of the ignition, 0 to 90 (degrees); in host mode it goes to the controller "
                      "less the advance worked out"},
        {"windowsize", "Window size of the ignition (degrees)"},
        {"ignnormal", "Ignition output polarity: normal"},
        {"igninv", "Ignition output polarity: inverted"},
        {"RPMAcc", "RPM switch point, 0.0 to 15.0 thousand rpm; used while bank 2 is off"},
        {"TRPMAcc", "RPM switch point, in thousands of rpm"},
        {"deltasel", "Delta TPS, 0 to 99 %: the throttle change the controller takes as an acceleration"},
        {"pdeltatps", "Delta TPS, in %"},
        {"bank1mem", "Shows bank 1's fuel tables in the grids"},
        {"bank2mem", "Shows bank 2's fuel tables in the grids"},
        {"IgnMem", "Shows the ignition tables in the grids"},
        // Menu entries
        {"loadmap", "Loads a map file (*.map) into the console, as Load does"},
        {"savemap", "Saves the calibration to a map file (*.map), as Save does"},
        {"comparemap", "Marks the cells and settings that differ from a map file"},
        {"stopcomparing", "Clears the marks of the map compared with"},
        {"connectlink", "Opens the link to the controller again, as Connect does"},
        {"closewindow", "Closes the console; unsaved changes are asked about first"},
        {"undo", "Takes back the last change of the calibration"},
        {"redo", "Makes the change taken back again"},
        {"stepup", "Raises the selected rows by one step of their bar (Page Up on a grid, edit mode)"},
        {"stepdown", "Lowers the selected rows by one step of their bar (Page Down on a grid, edit mode)"},
        {"stepupten", "Raises the selected rows by ten steps of their bar (Shift+Page Up on a grid, edit mode)"},
        {"stepdownten", "Lowers the selected rows by ten steps of their bar (Shift+Page Down on a grid, edit mode)"},
        {"interpolaterange", "Fills the selected rows in a straight line between the first and the last"},
        {"scalerange", "Multiplies the selected rows by a factor"},
        {"offsetrange", "Adds an amount to the selected rows"},
        {"setrange", "Sets the selected rows to one value"},
        {"smoothrange", "Smooths the selected rows, three or more: each but the two ends becomes the mean of "
                        "itself and its neighbours"},
        {"copytable", "Copies the selected rows (the whole table while one row is selected) as text for a "
                      "spreadsheet: axis and value, tab-separated, under a line naming the table"},
        {"pastetable", "Pastes a column of numbers, or axis and value pairs, into the selected rows from the "
                       "first one down; values beyond the box's limits are clamped, and text that does not fit "
                       "is refused whole"},
        {"copyset", "Copies the five tables of the set shown, each under its naming line"},
        {"pasteset", "Pastes five copied tables over the set shown, in any memory slot; fuel tables go into "
                     "bank 1 or bank 2, ignition tables into ignition"},
        {"tablecurves", "Opens the curves of the five tables shown"},
        {"tablecurve", "The table's values against its axis. The round mark is the grid's current row (the "
                       "engine's in monitor mode), the violet square the log viewer's cursor. In edit mode drag a "
                       "point up or down to change its row; Shift-drag moves the rows selected in the grid with it"},
        {"memoryslots", "Copies a whole memory slot over another, or swaps two (edit mode)"},
        {"copyslot", "Copies every table and setting of one memory slot over another, after asking"},
        {"swapslots", "Exchanges the tables and settings of two memory slots"},
        {"slotfrom", "The memory slot whose tables and settings are taken"},
        {"slotto", "The memory slot that receives them"},
        {"rectimeline", "Opens the recording drawn over time"},
        {"ports", "Lists the serial devices present and makes one of them COM 1 to COM 7"},
        {"manual", "Opens the user's manual, a page for each part of the console"},
        {"about", "The console's version and licence"},
    };
    return tips;
}

// What each table's rows are, for its tooltip.
constexpr std::array<std::string_view, 5> kRows = {
    "rows by engine speed, every 500 rpm: the base injection time in ms (advance in degrees for ignition)",
    "rows by manifold pressure, every 0.1 bar: the correction in % (degrees for ignition)",
    "rows by throttle position, every 5 %: the correction in % (degrees for ignition)",
    "rows by air temperature, every 10 \u00B0C: the correction in % (degrees for ignition)",
    "rows by water temperature, every 10 \u00B0C: the correction in % (degrees for ignition)"};

}  // namespace

std::string ToolTip(const std::string& control, bool edit_mode) {
    if (control == "showtinj1")
        return edit_mode ? "Table output at the selected rows, not the live value: the injection time in ms "
                           "(advance in degrees for ignition) the tables give there"
                         : "Table output at the engine's live operating point: the injection time in ms "
                           "(advance in degrees for ignition) the tables give there";
    if (control == "showduty")
        return edit_mode ? "Duty cycle of the table output at the selected rows, in %"
                         : "Duty cycle of the table output at the live operating point, in %";
    if (auto it = Tips().find(control); it != Tips().end()) return std::string(it->second);
    if (int i = IndexIn(control, "datatable"); i >= 0)
        return std::string(kTables[i]) + " table, " + std::string(kRows[i]) +
               "; the amber frame is the current row, which follows the engine in monitor mode; a violet row "
               "number is the log viewer's cursor. In edit mode type a value, its sign too (-7), and press Enter "
               "to store it; Page Up and Page Down step the selected rows, with Shift ten steps";
    if (int i = IndexIn(control, "Text1"); i >= 0)
        return "The selected row of the " + Lower(kTables[i]) +
               " table; in edit mode type a value and press Enter to store it";
    if (int i = IndexIn(control, "HScroll1"); i >= 0)
        return "Moves the selected row of the " + Lower(kTables[i]) + " table up or down a step (edit mode)";
    return {};
}

std::string CurveName(int table) {
    if (table < 0 || table >= static_cast<int>(kTables.size())) return {};
    return std::string(kTables[table]) + " table curve";
}

std::string AccessibleName(const std::string& control, const std::string& caption) {
    if (auto it = Table().find(control); it != Table().end()) return std::string(it->second);
    if (int i = IndexIn(control, "datatable"); i >= 0) return std::string(kTables[i]) + " table";
    if (int i = IndexIn(control, "Text1"); i >= 0) return std::string(kTables[i]) + " table, selected entry";
    if (int i = IndexIn(control, "HScroll1"); i >= 0) return std::string(kTables[i]) + " table, entry adjustment";
    return Trimmed(caption);
}

}  // namespace orv::app
