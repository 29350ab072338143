#pragma once
// A log of every live block the link decodes, written as it comes to a CSV
// file: the recorder's columns (channel names with their units) at the
// line's own rate. Rows wait in memory and go to the file in batches, at
// least once a second, so a console killed outright loses at most the last
// second. Blocks in host mode are rows too, with the outputs the console
// imposed. While the link delivers nothing (lost, or busy with a transfer)
// the log says so in one row and invents none; it carries on when live
// blocks come again. Numbered markers go on the next row.
#include <chrono>
#include <filesystem>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "core/link/link.h"
#include "core/link/live_values.h"

namespace orv {

enum class LogColumns {
    // time_s and the recorder's nine channels, then the wall-clock stamp,
    // the marker, the link's mode and the outputs imposed in host mode: the
    // console's logs.
    Full,
    // time_s and the nine channels only, as `orvtool monitor --csv` has
    // always written; markers and gaps are not written.
    Channels,
};

// The header line, CR LF.
std::string LiveLogHeader(LogColumns columns);
// The nine channels of the live values in engineering units, comma-separated
// as the recorder's CSV export writes them (no time, no line end).
std::string LiveChannelCells(const LiveValues& v);
// A wall-clock time as the stamp column writes it: local time to the
// millisecond, "2026-12-08 14:03:27.415".
std::string LogStamp(std::chrono::system_clock::time_point t);
// Where a log started at `t` goes: logs/ in `dir`, named by the local date
// and time ("logs/2026-12-08_14-03-27.csv").
std::filesystem::path LogPathFor(const std::filesystem::path& dir, std::chrono::system_clock::time_point t);

// The texts a gap row carries in the marker column.
inline constexpr const char* kGapLinkLost = "gap: link lost";
inline constexpr const char* kGapTransfer = "gap: transfer";
// Logs written before host-mode blocks were logged say this for all of it.
inline constexpr const char* kGapHostMode = "gap: host mode";

class LiveLog {
   public:
    struct Clock {
        // Seconds on a clock that never goes back.
        std::function<double()> seconds;
        std::function<std::chrono::system_clock::time_point()> wall;
    };
    // Listens to `link` for as long as it lives (the link may outlive it).
    explicit LiveLog(Link& link, Clock clock = {});
    ~LiveLog();
    LiveLog(const LiveLog&) = delete;
    LiveLog& operator=(const LiveLog&) = delete;

    // Starts a log in `path` (its folder made if missing). A console log
    // (`replace` false) never overwrites: a name taken gets "-2", "-3", ...
    // Empty on success, else why not.
    std::string Start(const std::filesystem::path& path, LogColumns columns = LogColumns::Full, bool replace = false);
    // Writes what waits and closes the file; the rows it holds.
    long Stop();
    bool Logging() const { return fd_ >= 0; }
    // The file of the log running or last run, its rows, and why it stopped
    // by itself (a write that failed), empty when it did not.
    // The rows are those the file took whole, and while the log runs those
    // waiting to go to it.
    const std::filesystem::path& path() const { return path_; }
    long rows() const { return rows_ + static_cast<long>(row_ends_.size()); }
    const std::string& error() const { return error_; }

    // Drops the next numbered marker (1, 2, ...) on the next row; 0 when no
    // log is running.
    int Marker();
    // Called often (after each of the console's events): notices a gap and
    // writes what waits once it is half a second old.
    void Tick();
    // Writes what waits now; false when the write failed (the log stops).
    bool Flush();

   private:
    // A block's row; `imposed` the host parameters sent for it, or null in
    // remote mode.
    void Row(const LiveValues& v, const Bytes* imposed);
    void CheckGap();
    // A row of its own for a marker or a gap, at the present time.
    void Note(const std::string& marker);
    // The marker waiting for a row, on a row of its own.
    void NoteMarker();
    // Text for the file; `data` for a block's row.
    void Add(const std::string& text, bool data = false);
    double Elapsed() const;

    Link& link_;
    Clock clock_;
    // Cleared when the log goes: the link's events hold it, not the log.
    std::shared_ptr<LiveLog*> self_;
    int fd_ = -1;
    LogColumns columns_ = LogColumns::Full;
    std::filesystem::path path_;
    std::string pending_;
    // Where each data row waiting in pending_ ends.
    std::vector<std::size_t> row_ends_;
    // Bytes and rows the file holds.
    std::uint64_t written_ = 0;
    std::string error_;
    long rows_ = 0;
    double started_ = 0, flushed_ = 0;
    int markers_ = 0;
    int marker_waiting_ = 0;
    const char* gap_ = nullptr;  // the gap the log is in, and why
};

}  // namespace orv
