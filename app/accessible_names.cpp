#include "app/accessible_names.h"

#include <array>
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

std::string Trimmed(const std::string& s) {
    const auto first = s.find_first_not_of(' ');
    if (first == std::string::npos) return {};
    return s.substr(first, s.find_last_not_of(' ') - first + 1);
}

}  // namespace

std::string AccessibleName(const std::string& control, const std::string& caption) {
    if (auto it = Table().find(control); it != Table().end()) return std::string(it->second);
    if (int i = IndexIn(control, "datatable"); i >= 0) return std::string(kTables[i]) + " table";
    if (int i = IndexIn(control, "Text1"); i >= 0) return std::string(kTables[i]) + " table, selected entry";
    if (int i = IndexIn(control, "HScroll1"); i >= 0) return std::string(kTables[i]) + " table, entry adjustment";
    return Trimmed(caption);
}

}  // namespace orv::app
