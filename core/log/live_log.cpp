#include "core/log/live_log.h"

#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <ctime>

#include "core/files/read_file.h"
#include "core/log/log_data.h"
#include "core/recorder/recording.h"

namespace orv {

namespace {

// Rows wait this long at most before they are written; the console's tick
// comes every 100 ms, so none waits as long as a second.
constexpr double kFlushSeconds = 0.5;
// Or until this much waits (a fast line, or a tick held up).
constexpr std::size_t kFlushBytes = 64 * 1024;
constexpr int kChannels = 9;
// The mode and the imposed outputs after the marker.
constexpr int kModeCells = 1 + kImposedOutputs;

// The recorder's CSV export: its header and its way of writing a sample.
std::string RecorderTable(const LiveValues& v) {
    std::array<std::uint8_t, kRecSampleSize> sample{};
    StoreSample(v, sample);
    return FormatRecordingCsv(sample, 1);
}

std::string Seconds(double s) {
    char text[32];
    std::snprintf(text, sizeof text, "%.3f", s);
    return text;
}

std::tm LocalTime(std::chrono::system_clock::time_point t) {
    const std::time_t secs = std::chrono::system_clock::to_time_t(t);
    std::tm local{};
    ::localtime_r(&secs, &local);
    return local;
}

// The bytes of `text` the file took: all of them, or fewer with the reason.
std::size_t WriteAll(int fd, const std::string& text, std::string* error) {
    std::size_t done = 0;
    while (done < text.size()) {
        const ssize_t n = ::write(fd, text.data() + done, text.size() - done);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) {
            *error = n < 0 ? std::strerror(errno) : "nothing could be written";
            break;
        }
        done += static_cast<std::size_t>(n);
    }
    return done;
}

// The mode and imposed cells of a block's row (no leading comma).
std::string ModeCells(const Bytes* imposed) {
    if (!imposed || imposed->size() < 3) return std::string(kModeRemote) + std::string(kImposedOutputs, ',');
    LiveValues sent;
    sent.live_tinj1 = (*imposed)[0];
    sent.live_tinj2 = (*imposed)[1];
    sent.live_advance = (*imposed)[2];
    const LiveTexts t = FormatLive(sent);
    return std::string(kModeHost) + ',' + t.bank1 + ',' + t.bank2 + ',' + t.advance;
}

}  // namespace

std::string LiveLogHeader(LogColumns columns) {
    std::string header = FormatRecordingCsv({}, 0);
    if (columns != LogColumns::Full) return header;
    std::string more = ",stamp,marker,";
    more += kModeColumn;
    for (std::string_view name : kImposedColumns) (more += ',') += name;
    header.insert(header.size() - 2, more);
    return header;
}

std::string LiveChannelCells(const LiveValues& v) {
    const std::string table = RecorderTable(v);
    const std::size_t row = table.find("\r\n") + 2;
    const std::size_t first = table.find(',', row) + 1;
    return table.substr(first, table.size() - 2 - first);
}

std::string LogStamp(std::chrono::system_clock::time_point t) {
    const std::tm local = LocalTime(t);
    const auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(t.time_since_epoch()).count() % 1000;
    char text[40];
    std::snprintf(text, sizeof text, "%04d-%02d-%02d %02d:%02d:%02d.%03d", local.tm_year + 1900, local.tm_mon + 1,
                  local.tm_mday, local.tm_hour, local.tm_min, local.tm_sec, static_cast<int>(ms < 0 ? ms + 1000 : ms));
    return text;
}

std::filesystem::path LogPathFor(const std::filesystem::path& dir, std::chrono::system_clock::time_point t) {
    const std::tm local = LocalTime(t);
    char name[40];
    std::snprintf(name, sizeof name, "%04d-%02d-%02d_%02d-%02d-%02d.csv", local.tm_year + 1900, local.tm_mon + 1,
                  local.tm_mday, local.tm_hour, local.tm_min, local.tm_sec);
    return dir / "logs" / name;
}

LiveLog::LiveLog(Link& link, Clock clock)
    : link_(link), clock_(std::move(clock)), self_(std::make_shared<LiveLog*>(this)) {
    if (!clock_.seconds)
        clock_.seconds = [] {
            return std::chrono::duration<double>(std::chrono::steady_clock::now().time_since_epoch()).count();
        };
    if (!clock_.wall) clock_.wall = [] { return std::chrono::system_clock::now(); };
    std::weak_ptr<LiveLog*> self = self_;
    AlsoOn(link_.events.live_block, [self](const Bytes&) {
        if (auto log = self.lock(); log && (*log)->Logging()) (*log)->Row((*log)->link_.live(), nullptr);
    });
    // In host mode a block is heard of once its parameters went out.
    AlsoOn(link_.events.host_values_sent, [self](const Bytes&) {
        if (auto log = self.lock(); log && (*log)->Logging()) (*log)->Row((*log)->link_.live(), &(*log)->link_.imposed());
    });
    AlsoOn(link_.events.status_changed, [self](LinkStatus, const std::string&) {
        if (auto log = self.lock(); log && (*log)->Logging()) (*log)->CheckGap();
    });
}

LiveLog::~LiveLog() {
    Stop();
    self_.reset();
}

double LiveLog::Elapsed() const { return clock_.seconds() - started_; }

std::string LiveLog::Start(const std::filesystem::path& path, LogColumns columns, bool replace) {
    if (Logging()) return "a log is already running";
    std::error_code ec;
    if (path.has_parent_path()) std::filesystem::create_directories(path.parent_path(), ec);
    if (ec) return "the folder " + path.parent_path().string() + " cannot be made: " + ec.message();
    std::filesystem::path name = path;
    const int flags = O_WRONLY | O_CREAT | (replace ? O_TRUNC : O_EXCL);
    int fd = -1;
    std::string why;
    for (int n = 2; n < 1000; ++n) {
        fd = OpenRegularFile(name, flags, &why);
        if (fd >= 0 || errno != EEXIST) break;
        name = path.parent_path() / (path.stem().string() + "-" + std::to_string(n) + path.extension().string());
    }
    if (fd < 0) return name.string() + " cannot be written: " + why;
    fd_ = fd;
    columns_ = columns;
    path_ = name;
    rows_ = 0;
    written_ = 0;
    row_ends_.clear();
    markers_ = marker_waiting_ = 0;
    gap_ = nullptr;
    error_.clear();
    started_ = flushed_ = clock_.seconds();
    pending_ = LiveLogHeader(columns);
    if (!Flush()) return error_;
    CheckGap();
    return {};
}

long LiveLog::Stop() {
    if (!Logging()) return rows_;
    // A marker dropped after the last row still says when it was.
    NoteMarker();
    Flush();
    if (fd_ >= 0) ::close(fd_);
    fd_ = -1;
    return rows_;
}

int LiveLog::Marker() {
    if (!Logging()) return 0;
    // Two presses before a row: the earlier one gets a row of its own.
    NoteMarker();
    marker_waiting_ = ++markers_;
    return markers_;
}

void LiveLog::Row(const LiveValues& v, const Bytes* imposed) {
    std::string row = Seconds(Elapsed()) + ',' + LiveChannelCells(v);
    if (columns_ == LogColumns::Full) {
        row += ',' + LogStamp(clock_.wall()) + ',';
        if (marker_waiting_) row += std::to_string(marker_waiting_);
        marker_waiting_ = 0;
        (row += ',') += ModeCells(imposed);
    }
    Add(row + "\r\n", true);
    gap_ = nullptr;
    // A block taken as a transfer begins belongs to the log, and the gap is
    // still ahead.
    CheckGap();
}

void LiveLog::CheckGap() {
    const char* why = nullptr;
    if (link_.Transferring()) why = kGapTransfer;
    else if (link_.status() != LinkStatus::Connected) why = kGapLinkLost;
    // A gap that turns out to be another (the link looked lost as a
    // transfer began) says so again.
    if (!why || why == gap_) return;
    gap_ = why;
    NoteMarker();
    Note(why);
}

void LiveLog::Note(const std::string& marker) {
    if (columns_ != LogColumns::Full) return;
    // A time, empty channels: nothing the controller did not send.
    Add(Seconds(Elapsed()) + std::string(kChannels, ',') + ',' + LogStamp(clock_.wall()) + ',' + marker +
        std::string(kModeCells, ',') + "\r\n");
}

void LiveLog::NoteMarker() {
    if (marker_waiting_) Note(std::to_string(marker_waiting_));
    marker_waiting_ = 0;
}

void LiveLog::Add(const std::string& text, bool data) {
    pending_ += text;
    if (data) row_ends_.push_back(pending_.size());
    if (pending_.size() >= kFlushBytes) Flush();
}

void LiveLog::Tick() {
    if (!Logging()) return;
    CheckGap();
    if (!pending_.empty() && clock_.seconds() - flushed_ >= kFlushSeconds) Flush();
}

bool LiveLog::Flush() {
    if (fd_ < 0) return false;
    flushed_ = clock_.seconds();
    if (pending_.empty()) return true;
    std::string why;
    const std::size_t done = WriteAll(fd_, pending_, &why);
    // The rows counted are those the file took whole.
    rows_ += std::upper_bound(row_ends_.begin(), row_ends_.end(), done) - row_ends_.begin();
    row_ends_.clear();
    if (done == pending_.size()) {
        written_ += done;
        pending_.clear();
        return true;
    }
    // A full disk or a file gone: the log stops rather than hold rows it
    // cannot keep, and ends on its last whole line, not a piece of one.
    std::size_t whole = 0;
    if (const std::size_t nl = done > 0 ? pending_.rfind('\n', done - 1) : std::string::npos; nl != std::string::npos)
        whole = nl + 1;
    // Should that fail too, the reader knows a cut line when it sees one.
    if (::ftruncate(fd_, static_cast<off_t>(written_ + whole)) != 0) why += "; the last line is cut";
    error_ = path_.string() + " could not be written: " + why;
    pending_.clear();
    ::close(fd_);
    fd_ = -1;
    return false;
}

}  // namespace orv
