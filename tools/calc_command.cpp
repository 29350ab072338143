// orvtool calc: the calculated output of a map at a live point, as the
// console computes it in monitor mode, with the duty cycles it shows.
#include <iomanip>
#include <memory>
#include <sstream>

#include "core/calibration/table_coding.h"
#include "core/common/numbers.h"
#include "core/monitor/duty.h"
#include "core/monitor/table_lookup.h"
#include "tools/commands.h"
#include "tools/tool_files.h"

namespace orv::tool {

namespace {

// Grid rows count from 1: row 1 is entry 0.
std::string RowsRead(int t, const TablePoint& p) {
    // The lookup stops at the table's last byte, as TableLookup does.
    const long last = kTableBytes[t] - 1;
    std::ostringstream s;
    if (p.index >= last || p.remainder <= 0) {
        const long i = std::min(p.index, last);
        s << "row " << i + 1 << " (" << AxisText(t, static_cast<int>(i)) << ")";
    } else {
        s << "rows " << p.index + 1 << "-" << p.index + 2 << " (" << AxisText(t, static_cast<int>(p.index)) << " + "
          << p.remainder << "/" << p.step << ")";
    }
    return s.str();
}

void Breakdown(std::ostream& out, const char* set_name, TableView view, const LookupPoint& at,
               const std::array<TableContribution, kTableCount>& parts) {
    out << set_name << "\n";
    for (int t = 0; t < kTableCount; ++t) {
        const std::string unit = view == TableView::Ignition ? " deg" : (t == 0 ? " ms" : " %");
        const std::string result = CellText(view, 0, parts[t].result) + (view == TableView::Ignition ? " deg" : " ms");
        out << "  " << std::left << std::setw(5) << kAxes[t].name << std::setw(24) << RowsRead(t, at[t]) << " byte "
            << std::right << std::setw(3) << parts[t].value << " = " << std::left << std::setw(9)
            << CellText(view, t, parts[t].value) + unit << " -> " << parts[t].result << " = " << result << "\n";
    }
}

}  // namespace

void AddCalc(CLI::App& app) {
    struct Options {
        std::string map;
        int rpm = 0, pressure = 0, tps = 0, air = 0, water = 0;
        bool breakdown = false, raw = false, allow_short = false;
    };
    auto o = std::make_shared<Options>();
    CLI::App* sub = app.add_subcommand("calc", "The calculated output of MAP's active slot (ms, degrees, percent) at a live point given as raw live bytes");
    sub->add_option("MAP", o->map, "Map file")->required();
    const auto byte = CLI::Range(0, 255);
    sub->add_option("--rpm", o->rpm, "Engine speed byte (100 rpm)")->required()->check(byte);
    sub->add_option("--pressure", o->pressure, "Pressure byte ((B - 10) / 10 bar)")->required()->check(byte);
    sub->add_option("--tps", o->tps, "Throttle byte (percent)")->required()->check(byte);
    sub->add_option("--air", o->air, "Air temperature byte (B - 20 degrees)")->required()->check(byte);
    sub->add_option("--water", o->water, "Water temperature byte (B - 20 degrees)")->required()->check(byte);
    sub->add_flag("--breakdown", o->breakdown, "Per table: the rows read, the interpolated byte and the output after it");
    sub->add_flag("--raw", o->raw, "The output as the bytes the controller takes (0.1 ms, advance + 45), not in ms and degrees");
    AddAllowShort(*sub, o->allow_short, "over an empty image, the rest 0");
    sub->callback([o] {
        const Image image = ReadMap(o->map, o->allow_short).image;
        LiveValues live;
        live.live_rpm = static_cast<std::uint8_t>(o->rpm);
        live.live_pressure = static_cast<std::uint8_t>(o->pressure);
        live.live_tps = static_cast<std::uint8_t>(o->tps);
        live.live_air = static_cast<std::uint8_t>(o->air);
        live.live_water = static_cast<std::uint8_t>(o->water);
        const LookupPoint at = LivePoint(live);
        const MapOutput out = CalcOutput(image, at);

        // The console multiplies by the count its cylinder box shows for the
        // active slot's code, when that slot has "Full" set.
        const CylinderSettings cylinders = ActiveCylinders(image);
        const long duty1 = DutyCycle(live.live_rpm, out.tinj1, cylinders);
        const long duty2 = DutyCycle(live.live_rpm, out.tinj2, cylinders);
        std::ostringstream text;
        if (o->raw) {
            text << "tinj1=" << int{out.tinj1} << " tinj2=" << int{out.tinj2} << " advance=" << int{out.advance}
                 << " duty1=" << duty1 << " duty2=" << duty2 << "\n";
        } else {
            // As the console shows them under the tables.
            text << "tinj1=" << CellText(TableView::Fuel, 0, out.tinj1) << " ms, tinj2=" << CellText(TableView::Fuel, 0, out.tinj2)
                 << " ms, advance=" << CellText(TableView::Ignition, 0, out.advance) << " deg, duty1=" << duty1
                 << " %, duty2=" << duty2 << " %\n";
        }
        if (o->breakdown) {
            Breakdown(text, "bank 1", TableView::Fuel, at, FuelBreakdown(image, kSetBank1, at));
            Breakdown(text, "bank 2", TableView::Fuel, at, FuelBreakdown(image, kSetBank2, at));
            Breakdown(text, "ignition", TableView::Ignition, at, AdvanceBreakdown(image, at));
        }
        Emit("", text.str());
    });
}

}  // namespace orv::tool
