#include "core/calibration/table_clipboard.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <limits>
#include <optional>

namespace orv {

namespace {

TableView ViewOfSet(int set) { return set == kSetIgnition ? TableView::Ignition : TableView::Fuel; }

int SetOffset(int set) {
    return set == kSetBank2 ? slot::kBank2Set : set == kSetIgnition ? slot::kIgnitionSet : slot::kBank1Set;
}

const char* UnitOf(int set, int t) {
    if (ViewOfSet(set) == TableView::Ignition) return "degrees";
    return t == 0 ? "ms" : "%";
}

bool ValidTable(int t) { return t >= 0 && t < kTableCount; }

std::string_view Trim(std::string_view s) {
    while (!s.empty() && s.front() == ' ') s.remove_prefix(1);
    while (!s.empty() && s.back() == ' ') s.remove_suffix(1);
    return s;
}

// A line as a message quotes it: at most 40 bytes, not cut inside a UTF-8
// character.
std::string Quoted(std::string_view line) {
    std::size_t n = std::min<std::size_t>(line.size(), 40);
    if (n < line.size())
        while (n > 0 && (static_cast<unsigned char>(line[n]) & 0xC0) == 0x80) --n;
    return std::string("\"").append(line.substr(0, n)).append(n < line.size() ? "...\"" : "\"");
}

std::string Plural(std::size_t n, const char* one, const char* many) {
    return std::to_string(n) + " " + (n == 1 ? one : many);
}

// A naming line as TableTitle writes it: which axis, and in which unit.
struct Title {
    int t;
    std::string unit;
};

std::optional<Title> ReadTitle(std::string_view line) {
    const std::size_t slash = line.find(" / ");
    if (slash == std::string_view::npos || !line.ends_with(')')) return std::nullopt;
    const std::size_t open = line.rfind(" (");
    if (open == std::string_view::npos || open < slash) return std::nullopt;
    const std::string_view axis = line.substr(0, slash);
    const std::string_view unit = line.substr(open + 2, line.size() - open - 3);
    if (unit != "ms" && unit != "%" && unit != "degrees") return std::nullopt;
    for (int t = 0; t < kTableCount; ++t)
        if (axis == kAxes[t].name) return Title{t, std::string(unit)};
    return std::nullopt;
}

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

// Thousands groups: 1 to 3 digits, then groups of exactly 3.
bool GroupedDigits(std::string_view whole, char group) {
    std::size_t start = 0;
    for (int k = 0;; ++k) {
        const std::size_t end = whole.find(group, start);
        const std::size_t len = (end == std::string_view::npos ? whole.size() : end) - start;
        if (k == 0 ? (len < 1 || len > 3) : len != 3) return false;
        if (end == std::string_view::npos) return true;
        start = end + 1;
    }
}

// One field as a number (see the header for what reads as one); NaN for
// "nan", an infinity for "inf" and for a number too large for a double.
std::optional<double> ReadNumber(std::string_view s) {
    s = Trim(s);
    bool negative = false;
    if (!s.empty() && (s.front() == '+' || s.front() == '-')) {
        negative = s.front() == '-';
        s.remove_prefix(1);
    }
    if (s.empty() || s.size() > 400) return std::nullopt;
    std::string lower(s.size() <= 8 ? s : std::string_view{});
    std::transform(lower.begin(), lower.end(), lower.begin(), [](char c) { return c >= 'A' && c <= 'Z' ? c + 32 : c; });
    constexpr double kInf = std::numeric_limits<double>::infinity();
    if (lower == "inf" || lower == "infinity") return negative ? -kInf : kInf;
    if (lower == "nan") return std::numeric_limits<double>::quiet_NaN();

    const std::size_t e = s.find_first_of("eE");
    const std::string_view mantissa = s.substr(0, e);
    const std::string_view exponent = e == std::string_view::npos ? std::string_view{} : s.substr(e);
    if (std::none_of(mantissa.begin(), mantissa.end(), IsDigit)) return std::nullopt;
    if (!std::all_of(mantissa.begin(), mantissa.end(), [](char c) { return IsDigit(c) || c == '.' || c == ','; }))
        return std::nullopt;
    const auto dots = std::count(mantissa.begin(), mantissa.end(), '.');
    const auto commas = std::count(mantissa.begin(), mantissa.end(), ',');
    char decimal = 0, group = 0;
    if (dots > 0 && commas > 0) {
        decimal = mantissa[mantissa.find_last_of(".,")];
        group = decimal == '.' ? ',' : '.';
        if ((decimal == '.' ? dots : commas) != 1) return std::nullopt;
    } else if (dots == 1 || commas == 1) {
        decimal = dots == 1 ? '.' : ',';
    } else if (dots > 1 || commas > 1) {
        group = dots > 1 ? '.' : ',';
    }
    const std::size_t at = decimal ? mantissa.find(decimal) : std::string_view::npos;
    const std::string_view whole = mantissa.substr(0, at);
    const std::string_view fraction = at == std::string_view::npos ? std::string_view{} : mantissa.substr(at + 1);
    if (group && (!GroupedDigits(whole, group) || fraction.find(group) != std::string_view::npos)) return std::nullopt;

    std::string plain;
    for (char c : whole)
        if (c != group) plain += c;
    if (decimal) plain.append(".").append(fraction);
    plain.append(exponent);
    double v = 0;
    const char* end = plain.data() + plain.size();
    const auto [ptr, ec] = std::from_chars(plain.data(), end, v, std::chars_format::general);
    if (ptr != end || (ec != std::errc() && ec != std::errc::result_out_of_range)) return std::nullopt;
    if (ec == std::errc::result_out_of_range) v = exponent.find('-') != std::string_view::npos ? 0.0 : kInf;
    return negative ? -v : v;
}

// What one line holds.
struct LineRead {
    enum Kind { Blank, Text, Value, Refused } kind = Blank;
    double value = 0;
    std::string refusal;
};

LineRead ReadLine(std::string_view raw, int line_no) {
    const std::string_view line = Trim(raw);
    if (line.empty()) return {};
    if (ReadTitle(line)) return {LineRead::Text, 0, {}};
    char sep = 0;  // 0: the line is one field
    if (line.find('\t') != std::string_view::npos) sep = '\t';
    else if (line.find(';') != std::string_view::npos) sep = ';';
    else if (line.find(' ') != std::string_view::npos) sep = ' ';
    else if (line.find(',') != std::string_view::npos && !ReadNumber(line)) sep = ',';

    int empty = 0, numbers = 0, others = 0;
    bool nan = false;
    double last = 0;
    std::size_t start = 0;
    while (start <= line.size()) {
        std::size_t end = sep ? line.find(sep, start) : std::string_view::npos;
        if (end == std::string_view::npos) end = line.size();
        const std::string_view field = Trim(line.substr(start, end - start));
        start = end + 1;
        if (field.empty()) {
            if (sep != ' ') ++empty;  // runs of spaces are one separator
            continue;
        }
        const std::optional<double> v = ReadNumber(field);
        if (!v) {
            ++others;
            continue;
        }
        ++numbers;
        nan = nan || std::isnan(*v);
        last = *v;
    }
    if (others > 0) return {LineRead::Text, 0, {}};
    if (numbers == 0) return {};
    const std::string where = "line " + std::to_string(line_no);
    if (empty > 0) return {LineRead::Refused, 0, where + " has an empty cell beside a number"};
    if (numbers > 2)
        return {LineRead::Refused, 0,
                where + " holds " + std::to_string(numbers) +
                    " numbers: paste one value a line, or an axis value and a value"};
    if (nan) return {LineRead::Refused, 0, where + ": NaN is not a value"};
    return {LineRead::Value, last, {}};
}

// The values of pasted text, in sections: each begins after the naming or
// heading lines before it.
struct Section {
    std::optional<Title> title;
    int text_line = 0;  // its first naming or heading line, 0 for none
    std::string text;   // that line, quoted
    std::vector<double> values;
};

struct Parsed {
    std::string refusal;
    bool too_many = false;
    std::vector<Section> sections;
};

// At most `max_values` values a section; parsing stops once there are more
// than `max_sections` sections.
Parsed Parse(std::string_view text, std::size_t max_values, std::size_t max_sections) {
    Parsed p;
    if (text.size() > kMaxPasteBytes) {
        p.refusal = "the clipboard holds more than " + std::to_string(kMaxPasteBytes >> 20) + " MB of text";
        return p;
    }
    for (char c : text) {
        const auto u = static_cast<unsigned char>(c);
        if ((u < 0x20 && c != '\t' && c != '\n' && c != '\r') || u == 0x7F) {
            p.refusal = "the clipboard holds binary data, not text";
            return p;
        }
    }
    // A byte order mark would make the first line a heading.
    if (text.starts_with("\xEF\xBB\xBF")) text.remove_prefix(3);
    Section current;
    int line_no = 0, blank_after_values = 0;
    std::size_t start = 0;
    while (start < text.size()) {
        std::size_t end = text.find_first_of("\r\n", start);
        if (end == std::string_view::npos) end = text.size();
        const std::string_view line = text.substr(start, end - start);
        start = end + (text.compare(end, 2, "\r\n") == 0 ? 2 : 1);
        ++line_no;
        LineRead r = ReadLine(line, line_no);
        switch (r.kind) {
            case LineRead::Blank:
                if (!current.values.empty() && blank_after_values == 0) blank_after_values = line_no;
                break;
            case LineRead::Text:
                if (!current.values.empty()) {
                    p.sections.push_back(std::move(current));
                    if (p.sections.size() > max_sections) return p;
                    current = Section{};
                    blank_after_values = 0;
                }
                if (current.text_line == 0) {
                    current.text_line = line_no;
                    current.text = Quoted(Trim(line));
                }
                if (!current.title) current.title = ReadTitle(Trim(line));
                break;
            case LineRead::Refused: p.refusal = std::move(r.refusal); return p;
            case LineRead::Value:
                if (blank_after_values != 0) {
                    p.refusal = "line " + std::to_string(blank_after_values) + " is empty, between two values";
                    return p;
                }
                if (current.values.size() >= max_values) {
                    p.too_many = true;
                    return p;
                }
                current.values.push_back(r.value);
                break;
        }
    }
    if (!current.values.empty()) {
        p.sections.push_back(std::move(current));
    } else if (current.text_line != 0 && !p.sections.empty()) {
        p.refusal = "line " + std::to_string(current.text_line) + " is not a value: " + current.text;
        return p;
    }
    if (p.sections.empty()) p.refusal = "the clipboard holds no numbers";
    return p;
}

// A value as a typed entry stores it, brought to the box's nearest limit
// first when the box would refuse it.
std::uint8_t Code(TableView v, int t, double x, int& clamped) {
    const ValueRange r = TypedRange(v, t);
    if (x < r.lo || x > r.hi) {
        ++clamped;
        x = x < r.lo ? r.lo : r.hi;
    }
    return static_cast<std::uint8_t>(TypedByte(v, t, x).value_or(0));
}

}  // namespace

const char* TableSetName(int set) {
    return set == kSetBank2 ? "bank 2" : set == kSetIgnition ? "ignition" : "bank 1";
}

int ViewedSetOf(const Image& image) {
    const int base = SlotStart(image[kActiveSlotByte]);
    switch (ViewSetOffset(image[base + slot::kModeFlags])) {
        case slot::kBank2Set: return kSetBank2;
        case slot::kIgnitionSet: return kSetIgnition;
        default: return kSetBank1;
    }
}

std::string TableRowsText(int t, int first, int last) {
    const std::string axis = ValidTable(t) ? kAxes[t].name : "";
    if (first == last) return axis + " row " + std::to_string(first);
    return axis + " rows " + std::to_string(first) + " to " + std::to_string(last);
}

std::string TableTitle(int set, int t) {
    if (!ValidTable(t)) return {};
    const bool ignition = ViewOfSet(set) == TableView::Ignition;
    const char* what = t != 0 ? "correction" : ignition ? "advance" : "injection";
    return std::string(kAxes[t].name) + " / " + TableSetName(set) + " " + what + " (" + UnitOf(set, t) + ")";
}

std::string TableCopyText(std::span<const std::uint8_t> table, int set, int t, int first_row, int last_row) {
    if (!ValidTable(t) || first_row < 1 || last_row < first_row || static_cast<std::size_t>(last_row) > table.size())
        return {};
    const TableView view = ViewOfSet(set);
    std::string text = TableTitle(set, t) + "\n";
    for (int row = first_row; row <= last_row; ++row)
        text.append(AxisText(t, row - 1)).append("\t").append(CellText(view, t, table[row - 1])).append("\n");
    return text;
}

std::string SetCopyText(const Image& image, int slot_start, int set) {
    std::string text;
    for (int t = 0; t < kTableCount; ++t) {
        const int first = slot_start + SetOffset(set) + kTableOffset[t];
        if (first < 0 || first + kTableEntries[t] > kImageSize) return {};
        if (t > 0) text += "\n";
        text += TableCopyText(std::span(image).subspan(first, kTableEntries[t]), set, t, 1, kTableEntries[t]);
    }
    return text;
}

TablePaste PasteIntoTable(std::string_view text, int set, int t, int sel_first, int sel_last) {
    TablePaste result;
    const int rows = ValidTable(t) ? kTableEntries[t] : 0;
    if (sel_first < 1 || sel_last < sel_first || sel_last > rows) {
        result.refusal = "no rows of a table are selected";
        return result;
    }
    Parsed p = Parse(text, static_cast<std::size_t>(rows), 1);
    if (p.too_many) {
        result.refusal = "the text holds more than " + std::to_string(rows) + " values; the table has " +
                         std::to_string(rows) + " rows";
        return result;
    }
    if (!p.refusal.empty()) {
        result.refusal = std::move(p.refusal);
        return result;
    }
    if (p.sections.size() > 1) {
        const Section& next = p.sections[1];
        result.refusal = next.title ? "the text holds several tables: a whole set goes in with Paste set"
                                    : "line " + std::to_string(next.text_line) + " is not a value: " + next.text;
        return result;
    }
    const Section& s = p.sections.front();
    if (s.title && s.title->unit != UnitOf(set, t)) {
        result.refusal = "the text holds a table in " + s.title->unit + ", " + TableTitle(set, t) + " takes " +
                         UnitOf(set, t);
        return result;
    }
    const int n = static_cast<int>(s.values.size());
    const int selected = sel_last - sel_first + 1;
    const bool fill = selected > 1 && n == 1;
    if (selected > 1 && n > selected) {
        result.refusal = Plural(n, "value", "values") + " do not fit the " + std::to_string(selected) +
                         " selected rows (" + TableRowsText(t, sel_first, sel_last) + ")";
        return result;
    }
    if (selected == 1 && sel_first + n - 1 > rows) {
        result.refusal = Plural(n, "value", "values") + " from " + TableRowsText(t, sel_first, sel_first) +
                         " run past the table's last row (" + std::to_string(rows) + ")";
        return result;
    }
    const TableView view = ViewOfSet(set);
    result.first_row = sel_first;
    result.last_row = fill ? sel_last : sel_first + n - 1;
    for (int row = result.first_row; row <= result.last_row; ++row)
        result.bytes.push_back(Code(view, t, s.values[fill ? 0 : row - sel_first], result.clamped));
    result.ok = true;
    return result;
}

SetPaste PasteIntoSet(std::string_view text, int set) {
    SetPaste result;
    const auto most = static_cast<std::size_t>(*std::max_element(kTableEntries.begin(), kTableEntries.end()));
    Parsed p = Parse(text, most, kTableCount);
    if (p.too_many) {
        result.refusal = "a table of the text holds more than " + std::to_string(most) + " values; no table has more";
        return result;
    }
    if (!p.refusal.empty()) {
        result.refusal = std::move(p.refusal);
        return result;
    }
    if (p.sections.size() != kTableCount) {
        result.refusal = p.sections.size() > kTableCount ? std::string("the text holds more than five tables")
                                                         : "the text holds " + Plural(p.sections.size(), "table", "tables");
        result.refusal += "; a set has five, each under its naming line";
        return result;
    }
    const TableView view = ViewOfSet(set);
    for (int t = 0; t < kTableCount; ++t) {
        const Section& s = p.sections[t];
        if (!s.title || s.title->t != t) {
            result.refusal = "a set's tables come in its order, each under its naming line: RPM, PRES, TPS, AIR, WAT";
            return result;
        }
        if (s.title->unit != UnitOf(set, t)) {
            result.refusal = std::string("the ") + kAxes[t].name + " table is in " + s.title->unit + ", the " +
                             TableSetName(set) + " set's in " + UnitOf(set, t);
            return result;
        }
        if (s.values.size() != static_cast<std::size_t>(kTableEntries[t])) {
            result.refusal = std::string("the ") + kAxes[t].name + " table holds " +
                             Plural(s.values.size(), "value", "values") + "; it has " +
                             std::to_string(kTableEntries[t]) + " rows";
            return result;
        }
        for (double x : s.values) result.bytes[t].push_back(Code(view, t, x, result.clamped));
        result.values += kTableEntries[t];
    }
    result.ok = true;
    return result;
}

}  // namespace orv
