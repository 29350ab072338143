#include "core/calibration/table_coding.h"

#include "core/common/numbers.h"

namespace orv {

namespace {
constexpr int kFuelTimeScale = 10;  // bytes per ms
}  // namespace

std::string CellText(TableView v, int t, long b) {
    if (v == TableView::Ignition) return Str(b - kAdvanceOffset);
    if (t == 0) return Format(static_cast<double>(b) / kFuelTimeScale, "#0.0");
    return Str(b - kFuelGainOffset);
}

double CellValue(TableView v, int t, long b) {
    if (v == TableView::Ignition) return static_cast<double>(b - kAdvanceOffset);
    if (t == 0) return static_cast<double>(b) / kFuelTimeScale;
    return static_cast<double>(b - kFuelGainOffset);
}

ValueRange TypedRange(TableView v, int t) {
    if (v == TableView::Ignition) return t == 0 ? ValueRange{-5, 40} : ValueRange{-45, 40};
    return t == 0 ? ValueRange{0, 25.5} : ValueRange{-90, 90};
}

std::optional<long> TypedByte(TableView v, int t, double typed) {
    const ValueRange r = TypedRange(v, t);
    if (!(typed >= r.lo && typed <= r.hi)) return std::nullopt;
    if (v == TableView::Ignition) return RoundHalfEven(typed + kAdvanceOffset);
    return RoundHalfEven(t == 0 ? typed * kFuelTimeScale : typed + kFuelGainOffset);
}

std::string TypedCellText(TableView v, int t, std::string_view typed_text, double typed) {
    if (v == TableView::Fuel && t == 0) return Format(typed, "#0.0");
    return std::string(typed_text);
}

std::string RefusalText(TableView v, int t, std::string_view typed_text) {
    const ValueRange r = TypedRange(v, t);
    const bool tenths = v == TableView::Fuel && t == 0;
    auto bound = [tenths](double x) { return tenths ? Format(x, "#0.0") : Str(RoundHalfAway(x)); };
    // Appended, not "..." + std::string: GCC 12 at -O3 warns about that (-Wrestrict).
    std::string text = "\"";
    text.append(typed_text).append("\" refused: type a value from ").append(bound(r.lo)).append(" to ").append(bound(r.hi));
    return text;
}

ByteRange BarRange(TableView v, int t) {
    if (v == TableView::Ignition) return t == 0 ? ByteRange{40, 85} : ByteRange{0, 85};
    return t == 0 ? ByteRange{0, 255} : ByteRange{0, 180};
}

std::string AxisText(std::string_view name, double start, double step, int k) {
    const double v = k * step + start;
    return name == "RPM" || name == "PRES" ? Format(v, "#0.0") : Str(RoundHalfAway(v));
}

namespace {
const Axis& AxisOf(int t) { return kAxes[(t >= 0 && t < kTableCount) ? t : 0]; }
}  // namespace

double AxisValue(int t, int k) {
    const Axis& a = AxisOf(t);
    return k * a.step + a.start;
}

std::string AxisText(int t, int k) {
    const Axis& a = AxisOf(t);
    return AxisText(a.name, a.start, a.step, k);
}

namespace {
// One axis value as a message writes it: grouped thousands of rpm, tenths of
// a bar, whole percent and degrees.
std::string AxisValueText(int t, int row) {
    const Axis& a = AxisOf(t);
    const double v = AxisValue(t, row - 1) * a.scale;
    return a.scale >= 1000 ? Thousands(RoundHalfAway(v)) : AxisText(a.name, a.start, a.step, row - 1);
}
}  // namespace

std::string AxisRangeText(int t, int first_row, int last_row) {
    const std::string unit = std::string(" ") + AxisOf(t).unit;
    if (first_row == last_row) return AxisValueText(t, first_row) + unit;
    return AxisValueText(t, first_row) + " to " + AxisValueText(t, last_row) + unit;
}

}  // namespace orv
