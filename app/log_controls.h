#pragma once
// The window's log of every live block: File > "Log live data" and a toolbar
// button to start and stop it, a marker key and button, and "Start logging
// on Connect" (at each Connect that begins polling and each time the link
// answers again), kept in logging.ini beside config.dat. The status bar says
// where a log goes when it starts and how many rows it held when it stops.
#include <QObject>
#include <QString>
#include <filesystem>
#include <memory>

#include "core/form/form.h"
#include "core/log/live_log.h"

class QAction;

namespace orv {
class Main_Page;
}

namespace orv::app {

class MainWindow;

inline constexpr const char* kLoggingFile = "logging.ini";

// Whether "Start logging on Connect" is set in `dir`'s logging.ini, and
// setting it; false when the file cannot be written, with the reason in
// *error.
bool LogOnConnect(const std::filesystem::path& dir);
bool SetLogOnConnect(const std::filesystem::path& dir, bool on, std::string* error = nullptr);

class LogControls : public QObject {
   public:
    LogControls(MainWindow& window, Main_Page& console);
    ~LogControls() override;

    // The toggle's work: a log starts in logs/ beside config.dat, or stops.
    void StartLog();
    void StopLog();
    // A numbered marker on the running log.
    void DropMarker();
    LiveLog& log() { return *log_; }

   private:
    // At each of the console's ticks: the log's own tick, a log that
    // stopped by itself, and a start on Connect.
    void OnTick();
    // A log that stopped by itself: how many rows the file holds, and why.
    void Stopped();
    using Kind = form::Form::NoticeKind;
    void Tell(const QString& message, Kind kind = Kind::Info);
    void ShowState();

    MainWindow& window_;
    Main_Page& console_;
    std::unique_ptr<LiveLog> log_;
    QAction* toggle_ = nullptr;
    QAction* marker_ = nullptr;
    QAction* on_connect_ = nullptr;
    bool was_connected_ = false;
    // Connect began polling; the log on Connect waits for an answer.
    bool connect_pressed_ = false;
};

// Adds the log's entries to the File menu (above Ports… and Close) and its
// toolbar to the window; the controls live as long as the window.
LogControls* AddLogControls(MainWindow& window, Main_Page& console);

}  // namespace orv::app
