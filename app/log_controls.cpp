#include "app/log_controls.h"

#include <QAction>
#include <QMenu>
#include <QMenuBar>
#include <QPointer>
#include <QStatusBar>
#include <QToolBar>

#include "app/main_window.h"
#include "app/settings_file.h"
#include "core/common/numbers.h"
#include "core/page/main_page.h"

namespace orv::app {

namespace {

const QString kOnConnectKey = QStringLiteral("log/start_on_connect");

QString Q(const std::string& s) { return QString::fromStdString(s); }

}  // namespace

bool LogOnConnect(const std::filesystem::path& dir) {
    const std::unique_ptr<QSettings> settings = ReadSettings(dir / kLoggingFile);
    return settings && settings->value(kOnConnectKey, false).toBool();
}

bool SetLogOnConnect(const std::filesystem::path& dir, bool on, std::string* error) {
    const std::unique_ptr<QSettings> settings = ChangeSettings(dir / kLoggingFile, error);
    if (!settings) return false;
    settings->setValue(kOnConnectKey, on);
    return SaveSettings(*settings, error);
}

LogControls::LogControls(MainWindow& window, Main_Page& console)
    : QObject(&window), window_(window), console_(console), log_(std::make_unique<LiveLog>(console.comm)) {
    QMenu* file = window.fileMenu();
    QAction* close = window.findChild<QAction*>("closewindow");
    toggle_ = new QAction(QStringLiteral("&Log live data"), file);
    toggle_->setObjectName("logtoggle");
    toggle_->setCheckable(true);
    toggle_->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_L));
    toggle_->setToolTip(QStringLiteral("Writes every live block to a CSV file in logs/ beside config.dat (Ctrl+L)"));
    toggle_->setIconText(QStringLiteral("Log"));
    QObject::connect(toggle_, &QAction::triggered, this, [this](bool on) { on ? StartLog() : StopLog(); });
    marker_ = new QAction(QStringLiteral("Drop &marker"), file);
    marker_->setObjectName("logmarker");
    marker_->setShortcut(QKeySequence(Qt::Key_F8));
    marker_->setToolTip(QStringLiteral("Marks the log here with the next number (F8)"));
    marker_->setIconText(QStringLiteral("Marker"));
    QObject::connect(marker_, &QAction::triggered, this, [this] { DropMarker(); });
    on_connect_ = new QAction(QStringLiteral("Start logging on &Connect"), file);
    on_connect_->setObjectName("logonconnect");
    on_connect_->setCheckable(true);
    on_connect_->setToolTip(QStringLiteral("Starts a log by itself at each Connect (F5) and each time the controller "
                                           "starts answering; kept in logging.ini beside config.dat"));
    on_connect_->setChecked(LogOnConnect(console.app_dir));
    QObject::connect(on_connect_, &QAction::toggled, this, [this](bool on) {
        if (std::string error; !SetLogOnConnect(console_.app_dir, on, &error)) Tell(Q(error), Kind::Failed);
    });
    for (QAction* a : {toggle_, marker_, on_connect_}) file->insertAction(close, a);
    file->insertSeparator(close);

    // At the menu bar's end: the buttons take none of the height the
    // instrument panel grows into.
    auto* bar = new QToolBar(QStringLiteral("Log"), &window);
    bar->setObjectName("LogToolBar");
    window.menuBar()->setCornerWidget(bar, Qt::TopRightCorner);
    bar->setMovable(false);
    bar->setToolButtonStyle(Qt::ToolButtonTextOnly);
    bar->addAction(toggle_);
    bar->addAction(marker_);

    QObject::connect(&window.timer(), &QTimer::timeout, this, [this] { OnTick(); });
    // The console may outlive this window.
    AlsoOn(console.comm.events.polling_started, [self = QPointer<LogControls>(this)] {
        if (self) self->connect_pressed_ = true;
    });
    ShowState();
}

LogControls::~LogControls() { log_->Stop(); }

void LogControls::StartLog() {
    if (log_->Logging()) return;
    const std::filesystem::path path = LogPathFor(console_.app_dir, std::chrono::system_clock::now());
    const std::string error = log_->Start(path);
    if (error.empty()) Tell(QStringLiteral("Logging to %1").arg(Q(log_->path().string())));
    else Tell(QStringLiteral("Log not started: %1").arg(Q(error)), Kind::Failed);
    ShowState();
}

void LogControls::StopLog() {
    if (!log_->Logging()) return ShowState();
    const long rows = log_->Stop();
    // The last rows may not have gone to the file: that is no success.
    if (!log_->error().empty()) return Stopped();
    Tell(QStringLiteral("Log stopped: %1 rows in %2").arg(Q(Thousands(rows)), Q(log_->path().string())), Kind::Done);
    ShowState();
}

void LogControls::DropMarker() {
    if (const int n = log_->Marker(); n > 0) Tell(QStringLiteral("Marker %1").arg(n));
}

void LogControls::OnTick() {
    const bool was_logging = log_->Logging();
    log_->Tick();
    if (was_logging && !log_->Logging()) Stopped();
    // A Connect that began polling, or a link that answers again, once the
    // controller answers.
    const bool connected = console_.comm.status() == LinkStatus::Connected;
    if (connected && (connect_pressed_ || !was_connected_) && on_connect_->isChecked() && !log_->Logging()) StartLog();
    if (connected) connect_pressed_ = false;
    was_connected_ = connected;
}

void LogControls::Stopped() {
    Tell(QStringLiteral("Log stopped after %1 rows: %2").arg(Q(Thousands(log_->rows())), Q(log_->error())), Kind::Failed);
    ShowState();
}

void LogControls::Tell(const QString& message, Kind kind) {
    // The console's own status line: it stays until the next message and
    // carries its time, as every other message does.
    console_.form.Tell(message.toStdString(), kind);
    window_.binding().Refresh();
}

void LogControls::ShowState() {
    toggle_->setChecked(log_->Logging());
    marker_->setEnabled(log_->Logging());
}

LogControls* AddLogControls(MainWindow& window, Main_Page& console) { return new LogControls(window, console); }

}  // namespace orv::app
