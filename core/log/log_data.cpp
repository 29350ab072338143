#include "core/log/log_data.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <charconv>
#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstring>

#include "core/common/numbers.h"
#include "core/common/units.h"
#include "core/files/read_file.h"
#include "core/files/value_list.h"
#include "core/recorder/recorder_state.h"

namespace orv {

namespace {

// Each channel as a conversion of its live byte: value = (byte - offset) * scale.
struct ChannelCoding {
    const char* name;
    const char* unit;
    double scale;
    int offset;
};
constexpr std::array<ChannelCoding, kLogChannels> kCodings{{
    {"rpm", "rpm", 100, 0},
    {"pressure_bar", "bar", 0.1, kPressureOffset},
    {"throttle_pct", "%", 1, 0},
    {"air_c", "°C", 1, kTemperatureOffset},
    {"water_c", "°C", 1, kTemperatureOffset},
    {"bank1_ms", "ms", 0.1, 0},
    {"bank2_ms", "ms", 0.1, 0},
    {"advance_deg", "deg", 1, kAdvanceOffset},
    {"battery_v", "V", 0.1, 0},
}};

constexpr std::string_view kTimeColumn = "time_s";
constexpr std::string_view kStampColumn = "stamp";
constexpr std::string_view kMarkerColumn = "marker";

// A file larger than this is read up to it and taken as cut there: ten
// hours at the line's rate fit many times over.
constexpr std::size_t kMaxLogBytes = std::size_t{1} << 30;
// A line longer than this is no log's (a row of every channel takes some
// eighty bytes): it is refused by its row number and never held whole, so a
// file of one endless line costs no more memory than this.
constexpr std::size_t kMaxLineBytes = std::size_t{1} << 20;
constexpr const char* kLineLimitText = "1 MB";
// Rows named per reason; the rest are counted.
constexpr int kNamedRows = 3;
// Unknown columns named; the rest are counted.
constexpr long kNamedColumns = 5;

LogData EmptyLog() {
    LogData log;
    log.channels.resize(kLogChannels);
    for (int c = 0; c < kLogChannels; ++c) {
        log.channels[c].name = kCodings[c].name;
        log.channels[c].unit = kCodings[c].unit;
    }
    return log;
}

std::string Quoted(std::string_view text) {
    constexpr std::size_t kShown = 24;
    std::string q = "\"";
    for (char c : text.substr(0, kShown)) q += (static_cast<unsigned char>(c) < 0x20) ? '?' : c;
    return q + (text.size() > kShown ? "...\"" : "\"");
}

std::string_view Trim(std::string_view s) {
    while (!s.empty() && (s.front() == ' ' || s.front() == '\t')) s.remove_prefix(1);
    while (!s.empty() && (s.back() == ' ' || s.back() == '\t' || s.back() == '\r')) s.remove_suffix(1);
    return s;
}

// A header cell without blanks or the quotes a spreadsheet may add.
std::string_view HeaderName(std::string_view s) {
    s = Trim(s);
    if (s.size() >= 2 && s.front() == '"' && s.back() == '"') s = s.substr(1, s.size() - 2);
    return s;
}

template <typename T>
bool ParseCell(std::string_view cell, T& out) {
    cell = Trim(cell);
    if (cell.empty()) return false;
    const char* end = cell.data() + cell.size();
    const auto [ptr, ec] = std::from_chars(cell.data(), end, out);
    return ec == std::errc() && ptr == end && std::isfinite(out);
}

// Binary data shows in its first few kilobytes: NUL bytes or control codes no text holds.
bool LooksBinary(std::string_view text) {
    for (char ch : text.substr(0, 4096)) {
        const auto c = static_cast<unsigned char>(ch);
        if (c < 0x20 && c != '\t' && c != '\r' && c != '\n' && c != '\f') return true;
    }
    return false;
}

// A recording is nothing but byte values; a CSV log begins with its header.
bool LooksLikeValues(std::string_view first_line) {
    return std::all_of(first_line.begin(), first_line.end(), [](char c) {
        return (c >= '0' && c <= '9') || c == ',' || c == ' ' || c == '\t' || c == '\r';
    });
}

std::string_view FirstLine(std::string_view text) { return text.substr(0, text.find('\n')); }

// The lines of a log one at a time: from text in memory, or from the file a
// piece at a time, so that the file is never held whole. A line longer than
// kMaxLineBytes is passed over without being kept.
class LineSource {
   public:
    enum Got { kLine, kTooLong, kCut, kEnd };  // kCut: the last line, with no line end

    explicit LineSource(std::string_view text) : data_(text) {}
    // The file open at `fd`, which the source closes, up to `limit` bytes.
    LineSource(int fd, std::size_t limit) : fd_(fd), limit_(limit), more_(true) { Fill(); }
    ~LineSource() {
        if (fd_ >= 0) ::close(fd_);
    }
    LineSource(const LineSource&) = delete;
    LineSource& operator=(const LineSource&) = delete;

    // What is read and not yet taken: the whole text in memory, or a piece of the file.
    std::string_view Ahead() const { return data_.substr(pos_); }
    bool AllAhead() const { return !more_; }
    void Skip(std::size_t n) { pos_ += std::min(n, data_.size() - pos_); }
    // About how many lines are still to come, for reserving room: those
    // ahead, scaled to the rest of the file.
    std::size_t LinesLeft() const {
        const std::string_view ahead = Ahead();
        const auto here = static_cast<std::size_t>(std::count(ahead.begin(), ahead.end(), '\n'));
        if (!more_ || ahead.empty() || size_ <= consumed_ + ahead.size()) return here;
        return static_cast<std::size_t>(static_cast<double>(here) * static_cast<double>(size_ - consumed_) /
                                        static_cast<double>(ahead.size()));
    }
    bool Truncated() const { return truncated_; }  // the file holds more than the limit
    bool Failed() const { return failed_; }        // a read failed before the end

    Got Next(std::string_view& line) {
        while (true) {
            const std::string_view rest = Ahead();
            if (const void* nl = std::memchr(rest.data(), '\n', std::min(rest.size(), kMaxLineBytes + 1))) {
                line = rest.substr(0, static_cast<std::size_t>(static_cast<const char*>(nl) - rest.data()));
                pos_ += line.size() + 1;
                return kLine;
            }
            if (rest.size() > kMaxLineBytes) {
                SkipLine();
                return kTooLong;
            }
            if (!more_) {
                if (rest.empty()) return kEnd;
                line = rest;
                pos_ = data_.size();
                return kCut;
            }
            Fill();
        }
    }

   private:
    void SkipLine() {
        while (true) {
            const std::string_view rest = Ahead();
            if (const void* nl = std::memchr(rest.data(), '\n', rest.size())) {
                pos_ += static_cast<std::size_t>(static_cast<const char*>(nl) - rest.data()) + 1;
                return;
            }
            pos_ = data_.size();
            if (!more_) return;
            Fill();
        }
    }
    // Keeps what is not taken yet and reads the next piece after it.
    void Fill() {
        static constexpr std::size_t kPiece = std::size_t{1} << 20;
        if (size_ == 0) {
            struct stat st {};
            size_ = ::fstat(fd_, &st) == 0 && st.st_size > 0 ? static_cast<std::size_t>(st.st_size) : 1;
        }
        consumed_ += pos_;
        buffer_.erase(0, pos_);
        pos_ = 0;
        const std::size_t had = buffer_.size(), want = std::min(kPiece, limit_ - read_);
        buffer_.resize(had + want);
        ssize_t n = 0;
        while ((n = ::read(fd_, buffer_.data() + had, want)) < 0 && errno == EINTR) {
        }
        failed_ = n < 0;
        buffer_.resize(had + static_cast<std::size_t>(std::max<ssize_t>(n, 0)));
        read_ += static_cast<std::size_t>(std::max<ssize_t>(n, 0));
        if (n <= 0 || read_ == limit_) {
            more_ = false;
            char past;
            truncated_ = read_ == limit_ && ::read(fd_, &past, 1) == 1;
        }
        data_ = buffer_;
    }

    std::string buffer_;
    std::string_view data_;
    std::size_t pos_ = 0;
    int fd_ = -1;
    std::size_t limit_ = 0, read_ = 0, size_ = 0, consumed_ = 0;
    bool more_ = false, truncated_ = false, failed_ = false;
};

// The rows skipped, by reason: counted, the first few named.
class SkipList {
   public:
    enum Reason { kCells, kNumber, kMissing, kBackwards, kNoValues, kLong, kReasons };
    void Skip(Reason r, const std::string& sentence) {
        if (count_[r]++ < kNamedRows) named_.push_back(sentence);
    }
    void Finish(LogData& log, const std::vector<std::string>& before, const std::string& after) {
        static constexpr std::array<const char*, kReasons> kMore{
            "with the wrong number of cells", "with a cell that is not a number", "with a value missing",
            "going back in time", "with no values", "too long"};
        log.skipped = before;
        log.skipped.insert(log.skipped.end(), named_.begin(), named_.end());
        for (int r = 0; r < kReasons; ++r) {
            log.rows_skipped += count_[r];
            if (count_[r] > kNamedRows) log.skipped.push_back(Thousands(count_[r] - kNamedRows) + " more " + kMore[r]);
        }
        if (!after.empty()) {
            ++log.rows_skipped;
            log.skipped.push_back(after);
        }
    }

   private:
    std::array<long, kReasons> count_{};
    std::vector<std::string> named_;
};

std::string Row(long line) { return "row " + Thousands(line); }
std::string TooLong(long line) { return Row(line) + " is longer than " + kLineLimitText; }

std::string Seconds(double t) {
    char text[32];
    std::snprintf(text, sizeof text, "%.3f", t);
    return text;
}

LogData ParseRecording(std::string_view text) {
    LogData log = EmptyLog();
    const ValueList list = ParseValueList(text, text.size());
    const std::size_t samples = list.values.size() / kRecSampleSize;
    log.time.reserve(samples);
    for (auto& ch : log.channels) ch.values.reserve(samples);
    for (std::size_t k = 0; k < samples; ++k) {
        log.time.push_back(static_cast<double>(k) / 10);
        const std::uint8_t* s = list.values.data() + k * kRecSampleSize;
        for (int c = 0; c < kLogChannels; ++c)
            log.channels[c].values.push_back(static_cast<float>((s[c] - kCodings[c].offset) * kCodings[c].scale));
    }
    if (!list.error.empty()) {
        log.skipped.push_back("value " + Thousands(static_cast<long>(list.values.size()) + 1) + ": " + list.error +
                              "; nothing after it read");
        ++log.rows_skipped;
    } else if (const std::size_t rest = list.values.size() % kRecSampleSize; rest != 0) {
        log.skipped.push_back("the last " + Str(static_cast<long>(rest)) + (rest == 1 ? " value is" : " values are") +
                              " no whole sample");
        ++log.rows_skipped;
    }
    return log;
}

// A recording's lines gathered for ParseRecording: at most the file, and
// nothing past a line too long.
LogData RecordingFrom(LineSource& src) {
    std::string text;
    std::string too_long;
    long line_no = 0;
    for (std::string_view line;;) {
        const LineSource::Got got = src.Next(line);
        if (got == LineSource::kEnd) break;
        ++line_no;
        if (got == LineSource::kTooLong) {
            too_long = TooLong(line_no) + "; nothing after it read";
            break;
        }
        text.append(line).push_back('\n');
    }
    LogData log = ParseRecording(text);
    if (!too_long.empty()) {
        log.skipped.push_back(too_long);
        ++log.rows_skipped;
    }
    return log;
}

struct Columns {
    int time = -1, marker = -1, mode = -1;
    std::array<int, kLogChannels> channel;
    std::array<int, kImposedOutputs> imposed;
    int count = 0;
};

// The header's columns, or why the file is no log.
std::string ReadHeader(std::string_view line, Columns& cols, std::vector<std::string>& notes) {
    cols.channel.fill(-1);
    cols.imposed.fill(-1);
    std::vector<std::string> ignored;
    long ignored_count = 0;
    int known = 0;
    for (std::size_t at = 0;; ++cols.count) {
        const std::size_t comma = line.find(',', at);
        const std::string_view name = HeaderName(line.substr(at, comma == line.npos ? line.npos : comma - at));
        int* slot = nullptr;
        int stamp = -1;
        if (name == kTimeColumn) slot = &cols.time;
        else if (name == kMarkerColumn) slot = &cols.marker;
        else if (name == kStampColumn) slot = &stamp;
        else if (name == kModeColumn) slot = &cols.mode;
        for (int k = 0; k < kImposedOutputs && !slot; ++k)
            if (name == kImposedColumns[k]) slot = &cols.imposed[k];
        for (int c = 0; c < kLogChannels && !slot; ++c)
            if (name == kCodings[c].name) slot = &cols.channel[c];
        if (slot && *slot < 0) {
            *slot = cols.count;
            ++known;
        } else if (slot || !name.empty()) {
            // A second column of a name already taken is as unknown as any.
            // The first few are named; a header of a million names is no list to print.
            if (++ignored_count <= kNamedColumns) ignored.push_back(Quoted(name));
        }
        if (comma == line.npos) {
            ++cols.count;
            break;
        }
        at = comma + 1;
    }
    std::vector<std::string> missing;
    if (cols.time < 0) missing.push_back(Quoted(kTimeColumn));
    for (int c = 0; c < kLogChannels; ++c)
        if (cols.channel[c] < 0) missing.push_back(Quoted(kCodings[c].name));
    if (known == 0) return "not a log: the first line is " + Quoted(Trim(line));
    if (!missing.empty()) {
        std::string list;
        for (const std::string& m : missing) list += (list.empty() ? "" : ", ") + m;
        return "not a log: " + std::string(missing.size() == 1 ? "no column " : "no columns ") + list;
    }
    if (ignored_count > 0) {
        std::string list;
        for (const std::string& m : ignored) list += (list.empty() ? "" : ", ") + m;
        if (ignored_count > static_cast<long>(ignored.size()))
            list += " and " + Thousands(ignored_count - static_cast<long>(ignored.size())) + " more";
        notes.push_back((ignored_count == 1 ? "column " : "columns ") + list + " ignored");
    }
    return {};
}

// The mode a row was logged in and, in host mode, the outputs imposed; a
// cell that is no number leaves that output unknown.
void TakeMode(LogData& log, const Columns& cols, const std::vector<std::string_view>& cells) {
    const bool host = Trim(cells[cols.mode]) == kModeHost;
    log.host.push_back(host);
    for (int k = 0; k < kImposedOutputs; ++k) {
        float v = 0;
        if (!host || cols.imposed[k] < 0 || !ParseCell(cells[cols.imposed[k]], v)) v = std::nanf("");
        log.imposed[k].push_back(v);
    }
}

LogData ParseCsv(LineSource& src) {
    LogData log = EmptyLog();
    std::string_view header;
    const LineSource::Got first = src.Next(header);
    if (first == LineSource::kTooLong) {
        log.error = "not a log: ";
        log.error += TooLong(1);
        return log;
    }
    Columns cols;
    std::vector<std::string> notes;
    log.error = ReadHeader(first == LineSource::kEnd ? std::string_view{} : header, cols, notes);
    if (!log.error.empty() || first != LineSource::kLine) return log;

    // Room for the rows to come, as far as a guess goes: a file of blank
    // lines is no reason to take gigabytes at once.
    const std::size_t lines = std::min<std::size_t>(src.LinesLeft(), std::size_t{1} << 22);
    log.time.reserve(lines);
    for (auto& ch : log.channels) ch.values.reserve(lines);

    SkipList skips;
    std::vector<std::string_view> cells(static_cast<std::size_t>(cols.count));
    std::array<float, kLogChannels> values{};
    std::string cut;
    double latest = -HUGE_VAL;  // the time of the last row kept, data or marker
    long line_no = 1;
    for (std::string_view line;;) {
        const LineSource::Got got = src.Next(line);
        if (got == LineSource::kEnd) break;
        ++line_no;
        if (got == LineSource::kTooLong) {
            skips.Skip(SkipList::kLong, TooLong(line_no));
            continue;
        }
        if (got == LineSource::kCut) {
            // No line end: the writer stopped in the middle of this row.
            if (!Trim(line).empty()) {
                cut = "the last line is cut short (";
                cut.append(Row(line_no)).push_back(')');
            }
            break;
        }
        if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
        if (Trim(line).empty()) continue;

        // The cells, counted to the end even past those expected.
        std::size_t n = 0;
        for (std::size_t at = 0;; ++n) {
            const std::size_t comma = line.find(',', at);
            if (n < cells.size()) cells[n] = line.substr(at, comma == line.npos ? line.npos : comma - at);
            if (comma == line.npos) break;
            at = comma + 1;
        }
        ++n;
        if (n != cells.size()) {
            skips.Skip(SkipList::kCells, Row(line_no) + " has " + Str(static_cast<long>(n)) + " cells, " +
                                             Str(static_cast<long>(cells.size())) + " expected");
            continue;
        }
        double t = 0;
        if (!ParseCell(cells[cols.time], t)) {
            const std::string_view cell = Trim(cells[cols.time]);
            if (cell.empty()) skips.Skip(SkipList::kMissing, Row(line_no) + ": no time");
            else skips.Skip(SkipList::kNumber, Row(line_no) + ": " + Quoted(cell) + " is not a number");
            continue;
        }
        const std::string_view mark = cols.marker >= 0 ? Trim(cells[cols.marker]) : std::string_view{};
        int empty = 0;
        for (int c = 0; c < kLogChannels; ++c) empty += Trim(cells[cols.channel[c]]).empty();
        const bool data = empty < kLogChannels;
        if (!data && mark.empty()) {
            skips.Skip(SkipList::kNoValues, Row(line_no) + " has no values");
            continue;
        }
        bool ok = true;
        for (int c = 0; c < kLogChannels && ok && data; ++c) {
            const std::string_view cell = cells[cols.channel[c]];
            if (ParseCell(cell, values[c])) continue;
            ok = false;
            if (Trim(cell).empty()) skips.Skip(SkipList::kMissing, Row(line_no) + ": no " + kCodings[c].name);
            else skips.Skip(SkipList::kNumber, Row(line_no) + ": " + Quoted(Trim(cell)) + " is not a number");
        }
        if (!ok) continue;
        if (t < latest) {
            skips.Skip(SkipList::kBackwards,
                       Row(line_no) + ": time " + Seconds(t) + " goes back (" + Seconds(latest) + " before it)");
            continue;
        }
        latest = t;
        if (!mark.empty()) log.markers.push_back({t, std::string(mark), mark.starts_with("gap:"), log.time.size()});
        if (!data) continue;
        log.time.push_back(t);
        for (int c = 0; c < kLogChannels; ++c) log.channels[c].values.push_back(values[c]);
        if (cols.mode >= 0) TakeMode(log, cols, cells);
    }
    skips.Finish(log, notes, cut);
    return log;
}

// A log of either kind, told apart by how it begins.
LogData ParseSource(LineSource& src) {
    if (src.Ahead().starts_with("\xEF\xBB\xBF")) src.Skip(3);  // a UTF-8 mark a spreadsheet may add
    const std::string_view head = src.Ahead();
    const bool blank = head.find_first_not_of(" \t\r\n") == head.npos;
    if ((blank && src.AllAhead()) || LooksBinary(head)) {
        LogData none = EmptyLog();
        none.error = LooksBinary(head) ? "not a log: the file holds binary data" : "the file is empty";
        return none;
    }
    src.Skip(std::min(head.find_first_not_of("\r\n"), head.size()));
    return LooksLikeValues(FirstLine(src.Ahead())) ? RecordingFrom(src) : ParseCsv(src);
}

}  // namespace

std::string LogData::Summary() const {
    if (!error.empty()) return error;
    std::string s = Thousands(static_cast<long>(rows())) + (rows() == 1 ? " row" : " rows");
    if (!empty()) {
        // A time column of any numbers: keep the hours in range.
        const auto secs = static_cast<long>(std::floor(std::min(time.back() - time.front(), 1e15)));
        char span[32];
        std::snprintf(span, sizeof span, ", %ld:%02ld:%02ld", secs / 3600, secs / 60 % 60, secs % 60);
        s += span;
    }
    if (rows_skipped > 0) s += "; " + Thousands(rows_skipped) + (rows_skipped == 1 ? " row" : " rows") + " skipped";
    constexpr std::size_t kShown = 4;
    for (std::size_t i = 0; i < std::min(skipped.size(), kShown); ++i)
        s += (i == 0 && rows_skipped > 0 ? ": " : "; ") + skipped[i];
    if (skipped.size() > kShown) s += "; ...";
    return s;
}

LogData ParseLog(std::string_view text) {
    LineSource src(text);
    return ParseSource(src);
}

LogData ReadLog(const std::filesystem::path& path) {
    std::string why;
    const int fd = OpenForReading(path, &why);
    if (fd < 0) {
        LogData log = EmptyLog();
        log.error = why;
        return log;
    }
    LineSource src(fd, kMaxLogBytes);
    LogData log = ParseSource(src);
    if (!log.error.empty()) return log;
    if (src.Failed()) log.skipped.push_back("the rest cannot be read");
    if (src.Truncated())
        log.skipped.push_back("only the first " + Thousands(static_cast<long>(kMaxLogBytes >> 20)) + " MB read");
    return log;
}

void LiveBytes(const LogData& log, int channel, std::size_t first, std::size_t count, std::uint8_t* out) {
    if (channel < 0 || channel >= kLogChannels || static_cast<std::size_t>(channel) >= log.channels.size()) return;
    const std::vector<float>& values = log.channels[channel].values;
    if (first >= values.size()) return;
    count = std::min(count, values.size() - first);
    const double per_byte = 1 / kCodings[channel].scale, offset = kCodings[channel].offset;
    for (std::size_t i = 0; i < count; ++i) {
        // Nearest, halves up: the same as lround once the value is in range
        // (and a value that is no number at all reads 0).
        const double v = values[first + i] * per_byte + offset;
        out[i] = static_cast<std::uint8_t>((v > 0 ? std::min(v, 255.0) : 0.0) + 0.5);
    }
}

std::optional<LiveValues> LiveAt(const LogData& log, std::size_t row) {
    if (row >= log.rows() || log.channels.size() < kLogChannels) return std::nullopt;
    std::array<std::uint8_t, kLogChannels> b{};
    for (int c = 0; c < kLogChannels; ++c) LiveBytes(log, c, row, 1, &b[c]);
    LiveValues live;
    live.live_rpm = b[kChRpm];
    live.live_pressure = b[kChPressure];
    live.live_tps = b[kChTps];
    live.live_air = b[kChAir];
    live.live_water = b[kChWater];
    live.live_tinj1 = b[kChBank1];
    live.live_tinj2 = b[kChBank2];
    live.live_advance = b[kChAdvance];
    live.live_batt = b[kChBattery];
    return live;
}

std::string ClampedValues(const LogData& log) {
    std::string list;
    long total = 0;
    for (int c = 0; c < kLogChannels && static_cast<std::size_t>(c) < log.channels.size(); ++c) {
        const ChannelCoding& k = kCodings[c];
        // In byte units, with room for a float's rounding of a value at an end.
        const double per_byte = 1 / k.scale;
        const long n = std::count_if(log.channels[c].values.begin(), log.channels[c].values.end(), [&](float v) {
            const double b = v * per_byte + k.offset;
            return b < -1e-3 || b > 255 + 1e-3;
        });
        if (n == 0) continue;
        total += n;
        auto end = [&](int byte) {
            return k.scale >= 1 ? Thousands(std::lround((byte - k.offset) * k.scale))
                                : Format((byte - k.offset) * k.scale, "#0.0");
        };
        list += (list.empty() ? "" : ", ") + Thousands(n) + " " + k.name + " (to " + end(0) + ".." + end(255) + ")";
    }
    if (total == 0) return {};
    return Thousands(total) + (total == 1 ? " value" : " values") + " out of range clamped: " + list;
}

}  // namespace orv
