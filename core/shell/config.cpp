#include "core/shell/config.h"

#include <vector>

#include "core/common/numbers.h"
#include "core/files/atomic_file.h"
#include "core/files/read_file.h"

namespace orv {

namespace {

constexpr std::size_t kConfigLimit = 1 << 20;

// Splits the first line into list-input fields: leading blanks skipped, a
// quoted field keeps its commas, an unquoted one ends at a comma or blank.
// A quoted field closes at the quote that is followed by a comma or the end
// of the line (blanks between allowed): a quote inside a name, which older
// lines can hold, stays in the name instead of cutting the line there and
// losing the fields after it.
struct Field {
    std::string text;
    bool quoted = false;
};

std::vector<Field> ListFields(std::string_view content) {
    std::size_t end = content.find_first_of("\r\n");
    std::string_view line = content.substr(0, end);
    std::vector<Field> fields;
    std::size_t i = 0;
    while (i <= line.size() && fields.size() < 3) {
        while (i < line.size() && (line[i] == ' ' || line[i] == '\t')) ++i;
        Field field;
        if (i < line.size() && line[i] == '"') {
            field.quoted = true;
            std::size_t close = line.find('"', i + 1);
            while (close != std::string_view::npos) {
                const std::size_t next = line.find_first_not_of(" \t", close + 1);
                if (next == std::string_view::npos || line[next] == ',') break;
                close = line.find('"', close + 1);
            }
            if (close == std::string_view::npos) close = line.size();
            field.text = std::string(line.substr(i + 1, close - i - 1));
            i = close + 1;
        } else {
            std::size_t stop = line.find_first_of(", \t", i);
            if (stop == std::string_view::npos) stop = line.size();
            field.text = std::string(line.substr(i, stop - i));
            i = stop;
        }
        while (i < line.size() && (line[i] == ' ' || line[i] == '\t')) ++i;
        fields.push_back(std::move(field));
        if (i < line.size() && line[i] == ',') ++i;
        else break;
    }
    return fields;
}

}  // namespace

ConfigValues ParseConfig(std::string_view content) {
    ConfigValues v;
    std::vector<Field> f = ListFields(content);
    if (!f.empty()) {
        std::optional<double> n = ParseNumber(f[0].text);
        if (n && *n >= 1 && *n <= 7 && *n == static_cast<int>(*n)) v.cfg_port = static_cast<int>(*n);
    }
    if (f.size() > 1) {
        v.cfg_map_file = f[1].text;
        v.map_file_quoted = f[1].quoted;
    }
    if (f.size() > 2) {
        v.cfg_rec_file = f[2].text;
        v.rec_file_quoted = f[2].quoted;
    }
    return v;
}

namespace {
std::string Quoted(const std::string& s, bool quoted_when_empty) {
    return (s.empty() && !quoted_when_empty) ? std::string() : "\"" + s + "\"";
}
}  // namespace

std::string FormatConfig(const ConfigValues& v) {
    std::string line = v.cfg_port > 0 ? std::to_string(v.cfg_port) : std::string();
    // Appended, not "..." + std::string: GCC 12 at -O3 warns about that (-Wrestrict).
    line.append(",").append(Quoted(v.cfg_map_file, v.map_file_quoted));
    line.append(",").append(Quoted(v.cfg_rec_file, v.rec_file_quoted)).append("\r\n");
    return line;
}

std::string ConfigCannotHold(std::string_view path) {
    if (path.find('"') != std::string_view::npos) return "a double quote";
    if (path.find_first_of("\r\n") != std::string_view::npos) return "a line break";
    return {};
}

ConfigValues ReadConfigFile(const std::filesystem::path& dir) {
    // The line is read whole, however long its paths: a cut one would be
    // written back at start-up. A first line past a megabyte is not ours.
    const FileText file = ReadRegularFile(dir / "config.dat", kConfigLimit);
    if (!file.error.empty()) return {};
    if (!file.whole && file.text.find_first_of("\r\n") == std::string::npos) return {};
    return ParseConfig(file.text);
}

bool WriteConfigFile(const std::filesystem::path& dir, const ConfigValues& values, std::string* error) {
    return WriteFileAtomically(dir / "config.dat", FormatConfig(values), error);
}

}  // namespace orv
