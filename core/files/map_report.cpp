#include "core/files/map_report.h"

#include <cstdlib>

#include "core/common/numbers.h"
#include "core/common/units.h"
#include "core/files/map_layout.h"
#include "core/settings/settings_coding.h"

namespace orv {

namespace {

// Line printing as the report was laid out for: texts, number items with
// their sign position and trailing blank, and column stops that wrap to the
// next line when the line is already past them.
class Printer {
   public:
    Printer& Text(std::string_view s) {
        out_ += s;
        pos_ += static_cast<int>(s.size());
        return *this;
    }
    Printer& Number(long n) {
        Text(n < 0 ? "-" : " ");
        Text(std::to_string(std::labs(n)));
        return Text(" ");
    }
    Printer& Column(int n) {
        if (pos_ > n) {
            End();
            out_.append(static_cast<std::size_t>(n - 1), ' ');
        } else {
            out_.append(static_cast<std::size_t>(n - pos_), ' ');
        }
        pos_ = n;
        return *this;
    }
    Printer& End() {
        out_ += "\r\n";
        pos_ = 1;
        return *this;
    }
    // An open line takes the blank and ends; otherwise a line of one blank.
    Printer& Blank(int lines = 1) {
        for (int i = 0; i < lines; ++i) Text(" ").End();
        return *this;
    }
    std::string Take() { return std::move(out_); }

   private:
    std::string out_;
    int pos_ = 1;  // column the next character lands in
};

struct BlockTexts {
    std::string cylinders, limiter, rpm_switch, load_time, mode;
    long delta_tps, water_switch, window_size;
};

BlockTexts TextsOf(const Image& image, int b) {
    auto byte = [&](Setting s) { return image[b + Field(s).rel]; };
    auto text = [&](Setting s) { return FieldText(Field(s), byte(s)); };
    auto number = [&](Setting s) { return static_cast<long>(FieldValue(Field(s), byte(s))); };
    auto set = [&](Setting s) { return Field(s).Get(byte(s)) != 0; };
    BlockTexts t;
    // Appended, not "..." + std::string: GCC 12 at -O3 warns about that (-Wrestrict).
    t.cylinders = " ";
    t.cylinders.append(SettingText(slot::kCylMode, byte(Setting::Cylinders)));
    t.delta_tps = number(Setting::DeltaTps);
    t.limiter = text(Setting::Limiter);
    t.water_switch = number(Setting::WaterSwitch);
    t.rpm_switch = set(Setting::Bank2Off) ? text(Setting::RpmSwitch) : "Off";
    t.window_size = number(Setting::WindowSize);
    t.load_time = text(Setting::LoadTime);
    t.mode = set(Setting::IgnInverted) ? "Inverted" : "Normal";
    return t;
}

// Column heads and the 51 rows of a table set at image offset s; every row
// is left open, the next one's first column stop ends it.
void Tables(Printer& p, const Image& image, int s, bool ignition) {
    p.Column(1).Text(ignition ? "== RPM ==" : "=== RPM ===");
    p.Column(15).Text("= Press ==").Column(29).Text("== TPS ==").Column(42).Text("== AIR ===");
    p.Column(56).Text("= WATER ==").Blank();

    const int offset = ignition ? kAdvanceOffset : kFuelGainOffset;
    auto v = [&](int t, int r) { return static_cast<long>(image[s + kTableOffset[t] + r]) - offset; };
    // A negative value starts one column early, so the last digits line up.
    auto signed_at = [&](int col, double value) { return value < 0 ? col - 1 : col; };
    for (int r = 0; r <= 50; ++r) {
        if (r <= 30) {
            p.Column(1).Text(Format(r / 2.0, "#00.0")).Column(6).Text("=").Column(8);
            p.Text(ignition ? Format(static_cast<double>(v(0, r)), "#00") : Format(image[s + r] / 10.0, "#00.0"));
        }
        const double press = (r - 10) / 10.0;
        p.Column(signed_at(16, press)).Text(Format(press, "#0.0")).Column(20).Text("=");
        p.Column(signed_at(23, v(1, r))).Text(Format(v(1, r), "#00"));
        if (r <= 20) {
            p.Column(29).Text(Format(5.0 * r, "#000")).Column(33).Text("=");
            p.Column(signed_at(36, v(2, r))).Text(Format(v(2, r), "#00"));
        }
        if (r <= 15) {
            const double temp = 10.0 * r - 20;
            p.Column(signed_at(43, temp)).Text(Format(temp, "#000")).Column(47).Text("=");
            p.Column(signed_at(50, v(3, r))).Text(Format(v(3, r), "#00"));
            p.Column(signed_at(57, temp)).Text(Format(temp, "#000")).Column(61).Text("=");
            p.Column(signed_at(64, v(4, r))).Text(Format(v(4, r), "#00"));
        }
    }
}

void FuelSection(Printer& p, const Image& image, int n, int s, const BlockTexts& t, std::string_view heading) {
    p.Text("Memory MAP").Number(n).End().Blank();
    p.Text(heading).Column(24).Text("Cylinders =").Text(t.cylinders);
    p.Column(49).Text("Delta TPS =").Number(t.delta_tps).End().Blank();
    p.Text("Limiter = ").Text(t.limiter).Column(24).Text("Water Switch =").Number(t.water_switch);
    p.Column(49).Text("RPM Switch = ").Text(t.rpm_switch).End().Blank();
    Tables(p, image, s, false);
}

void IgnitionSection(Printer& p, const Image& image, int n, int s, const BlockTexts& t) {
    p.Text("Memory MAP").Number(n).End().Blank();
    p.Text("## IGNITION ##").Column(24).Text("Cylinders =").Text(t.cylinders);
    p.Column(50).Text("Limiter = ").Text(t.limiter).End().Blank();
    p.Text("Window Size =").Number(t.window_size).Column(24).Text("Load Time = ").Text(t.load_time);
    p.Column(50).Text("Mode = ").Text(t.mode).End().Blank();
    Tables(p, image, s, true);
}

}  // namespace

std::string MapReport(const Image& image, std::string_view map_path, bool ignition_shown) {
    Printer p;
    const SettingField& bank2_off = Field(Setting::Bank2Off);
    for (int k = 0; k < kSlotCount; ++k) {
        const int b = k * kSlotSize;
        const BlockTexts t = TextsOf(image, b);
        p.Text(ignition_shown ? "ORV - TALPA-01" : "ORV - QUIL PLUS").End().Blank();
        p.Text("File ").Text(map_path).End().Blank();
        FuelSection(p, image, k + 1, b + slot::kBank1Set, t, "## BANK 1 ##");
        if (!bank2_off.Get(image[b + bank2_off.rel])) {
            p.Blank(4);
            FuelSection(p, image, k + 1, b + slot::kBank2Set, t, "## BANK 2 ##");
        }
        if (ignition_shown) {
            p.Blank(4);
            IgnitionSection(p, image, k + 1, b + slot::kIgnitionSet, t);
        }
        p.Blank(4);
    }
    return p.Take();
}

std::optional<std::string> ReportPath(std::string_view map_path) {
    const std::size_t name = map_path.find_last_of('/');
    const std::size_t dot = map_path.rfind('.');
    if (dot == std::string_view::npos || (name != std::string_view::npos && dot < name)) return std::nullopt;
    std::string report(map_path.substr(0, dot));
    report += ".txt";
    if (report == map_path) return std::nullopt;
    return report;
}

}  // namespace orv
