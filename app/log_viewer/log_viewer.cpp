#include "app/log_viewer/log_viewer.h"

#include <QAction>
#include <QCheckBox>
#include <QFileDialog>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QScrollArea>
#include <QSignalBlocker>
#include <QSpinBox>
#include <QSplitter>
#include <QTabWidget>
#include <QTableWidget>
#include <QToolBar>
#include <QVBoxLayout>
#include <algorithm>
#include <cmath>
#include <new>

#include "app/accessibility.h"
#include "app/log_viewer/table_hits_view.h"
#include "app/plots/plot_look.h"
#include "core/common/numbers.h"
#include "core/log/log_view.h"

namespace orv::app::viewer {

namespace {

// The shortest span shown: a few rows at the line's rate.
constexpr double kLeastSpan = 0.02;
// A key's steps: Shift moves the cursor a tenth of the span, Ctrl pans a quarter.
constexpr double kCursorJump = 0.1, kPanStep = 0.25;
// A calibration being changed is recomputed once it has been still this long.
constexpr int kRecomputeAfterMs = 300;
constexpr int kReadOutRowPx = 17;

QString Q(const std::string& s) { return QString::fromStdString(s); }

QString Seconds(double t) { return QString::number(t, 'f', 3) + QStringLiteral(" s"); }

bool Contains(const std::vector<int>& v, int c) { return std::find(v.begin(), v.end(), c) != v.end(); }

void Describe(QWidget* w, const QString& name, const QString& tip) {
    w->setAccessibleName(name);
    w->setToolTip(tip);
}

}  // namespace

LogViewer::LogViewer(std::filesystem::path folder, std::function<const Image&()> calibration, QWidget* parent)
    : QMainWindow(parent, Qt::Window), folder_(std::move(folder)), calibration_(std::move(calibration)) {
    setObjectName("LogViewer");
    setWindowTitle(QStringLiteral("Log viewer"));
    ExposeWindow(this);
    plots::StyleWindow(this);
    choice_ = ReadChoice(folder_);
    duty_limit_ = ReadDutyLimit(folder_, kDefaultDutyLimit);
    MakeTools();

    auto* scroller = new QScrollArea;
    scroller->setObjectName("LogPanels");
    scroller->setWidgetResizable(true);
    scroller->setFrameShape(QFrame::NoFrame);
    scroller->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    panel_box_ = new QWidget;
    panel_box_->setObjectName("LogPanelColumn");
    panel_column_ = new QVBoxLayout(panel_box_);
    panel_column_->setContentsMargins(0, 0, 0, 0);
    panel_column_->setSpacing(2);
    scroller->setWidget(panel_box_);
    hits_ = new TableHitsView(this);
    tabs_ = new QTabWidget;
    tabs_->setObjectName("LogViewerTabs");
    tabs_->addTab(scroller, QStringLiteral("&Panels"));
    tabs_->addTab(hits_, QStringLiteral("Table &hits"));
    tabs_->setTabToolTip(0, QStringLiteral("The channels chosen, over the time shown"));
    tabs_->setTabToolTip(1, QStringLiteral("The time the engine spent on each row of each table over the time shown"));
    Describe(tabs_, QStringLiteral("Log views"), QStringLiteral("Panels of the channels, or the time on each table row"));
    connect(tabs_, &QTabWidget::currentChanged, this, [this] { ShowHits(); });

    auto* split = new QSplitter(Qt::Horizontal);
    split->setObjectName("LogViewerSplit");
    split->setChildrenCollapsible(false);
    split->addWidget(tabs_);
    split->addWidget(MakeSide());
    split->setStretchFactor(0, 1);
    split->setStretchFactor(1, 0);

    status_label_ = new QLabel;
    status_label_->setObjectName("LogViewerStatusText");
    status_label_->setTextInteractionFlags(Qt::TextSelectableByMouse);
    // What was skipped in a damaged log can be long: the line wraps, as tall
    // as its text needs at the window's width, never cut.
    status_label_->setWordWrap(true);
    Describe(status_label_, QStringLiteral("Log status"),
             QStringLiteral("The log shown: its rows and length, what was skipped in it and why"));
    auto* central = new QWidget;
    auto* column = new QVBoxLayout(central);
    column->setContentsMargins(0, 0, 0, 2);
    column->setSpacing(2);
    column->addWidget(split, 1);
    column->addWidget(status_label_);
    status_label_->setContentsMargins(4, 0, 4, 0);
    setCentralWidget(central);

    redraw_soon_.setSingleShot(true);
    redraw_soon_.setInterval(0);
    connect(&redraw_soon_, &QTimer::timeout, this, [this] { Redraw(); });
    stats_soon_.setSingleShot(true);
    stats_soon_.setInterval(0);
    connect(&stats_soon_, &QTimer::timeout, this, [this] { ShowStats(); });
    recompute_soon_.setSingleShot(true);
    recompute_soon_.setInterval(kRecomputeAfterMs);
    connect(&recompute_soon_, &QTimer::timeout, this, [this] { Recalculate(); });

    RebuildPanels();
    FillChannelList();
    FillReadOutRows();
    ShowCursor();
    ShowStatus();
    resize(1000, 660);
}

LogViewer::~LogViewer() = default;

void LogViewer::MakeTools() {
    QToolBar* bar = addToolBar(QStringLiteral("Log viewer"));
    bar->setObjectName("LogViewerTools");
    bar->setMovable(false);
    bar->setToolButtonStyle(Qt::ToolButtonTextOnly);
    auto action = [&](const char* name, const QString& text, const QString& tip, QList<QKeySequence> keys,
                      auto handler) {
        auto* a = new QAction(text, this);
        a->setObjectName(name);
        a->setToolTip(tip);
        a->setShortcuts(keys);
        connect(a, &QAction::triggered, this, handler);
        bar->addAction(a);
        return a;
    };
    action("logopen", QStringLiteral("&Open\u2026"),
           QStringLiteral("Opens a log: the console's own (logs/ beside config.dat), a CSV with the same columns, or "
                          "a recording file (Ctrl+O)"),
           {QKeySequence(Qt::CTRL | Qt::Key_O)}, [this] { ShowOpenDialog(); });
    action("logfit", QStringLiteral("&Fit"), QStringLiteral("Shows the whole log (F)"), {QKeySequence(Qt::Key_F)},
           [this] { Fit(); });
    action("logzoomin", QStringLiteral("Zoom &in"), QStringLiteral("Shows half the time, about the cursor (+)"),
           {QKeySequence(Qt::Key_Plus), QKeySequence(Qt::Key_Equal)}, [this] { ZoomIn(); });
    action("logzoomout", QStringLiteral("Zoom &out"), QStringLiteral("Shows twice the time (-)"),
           {QKeySequence(Qt::Key_Minus)}, [this] { ZoomOut(); });
    bar->addSeparator();
    recompute_box_ = new QCheckBox(QStringLiteral("&Recompute with the calibration in memory"));
    recompute_box_->setObjectName("recompute");
    Describe(recompute_box_, recompute_box_->text().remove(u'&'),
             QStringLiteral("Works out the injection times, advance and duty the calibration now in memory gives at "
                            "every row, and draws them beside the logged ones; again whenever the calibration "
                            "changes"));
    connect(recompute_box_, &QCheckBox::toggled, this, [this](bool on) { SetRecompute(on); });
    bar->addWidget(recompute_box_);
    auto* limit_label = new QLabel(QStringLiteral("  Duty &limit "));
    bar->addWidget(limit_label);
    limit_box_ = new QSpinBox;
    limit_box_->setObjectName("dutylimit");
    limit_box_->setRange(10, 200);
    limit_box_->setSuffix(QStringLiteral(" %"));
    limit_box_->setKeyboardTracking(false);
    limit_box_->setValue(static_cast<int>(std::lround(duty_limit_)));
    limit_label->setBuddy(limit_box_);
    Describe(limit_box_, QStringLiteral("Duty limit, percent"),
             QStringLiteral("Where the recomputed duty of either bank is over this, the panels are shaded red and "
                            "the status line counts it"));
    connect(limit_box_, &QSpinBox::valueChanged, this, [this](int v) { SetDutyLimit(v); });
    bar->addWidget(limit_box_);
}

QWidget* LogViewer::MakeSide() {
    auto* side = new QWidget;
    side->setObjectName("LogViewerSide");
    auto* column = new QVBoxLayout(side);
    column->setContentsMargins(2, 0, 0, 0);
    column->setSpacing(3);
    cursor_label_ = new QLabel;
    cursor_label_->setObjectName("logcursor");
    cursor_label_->setStyleSheet(QStringLiteral("color: %1; font-weight: bold;").arg(plots::colours::kAmber.name()));
    Describe(cursor_label_, QStringLiteral("Cursor time"),
             QStringLiteral("The cursor's time and row, and the time shown in the panels"));
    column->addWidget(cursor_label_);

    read_out_ = new QTableWidget(0, kReadOutColumns);
    read_out_->setObjectName("logreadout");
    read_out_->setHorizontalHeaderLabels({QStringLiteral("Channel"), QStringLiteral("Cursor"), QStringLiteral("Min"),
                                          QStringLiteral("Max"), QStringLiteral("Mean")});
    read_out_->verticalHeader()->hide();
    read_out_->verticalHeader()->setDefaultSectionSize(kReadOutRowPx);
    read_out_->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    read_out_->horizontalHeader()->setSectionResizeMode(kColName, QHeaderView::Stretch);
    for (int c = kColCursor; c < kReadOutColumns; ++c) {
        read_out_->horizontalHeader()->setSectionResizeMode(c, QHeaderView::Fixed);
        read_out_->setColumnWidth(c, 44);
    }
    read_out_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    read_out_->setSelectionMode(QAbstractItemView::NoSelection);
    read_out_->setFocusPolicy(Qt::NoFocus);
    Describe(read_out_, QStringLiteral("Channel read-out"),
             QStringLiteral("Every channel's value at the cursor, and its least, greatest and mean value over the "
                            "time shown"));
    column->addWidget(read_out_, 3);

    auto* lists = new QTabWidget;
    lists->setObjectName("LogViewerLists");
    markers_ = new QListWidget;
    markers_->setObjectName("logmarkers");
    Describe(markers_, QStringLiteral("Markers"),
             QStringLiteral("The log's markers and gaps by time: a click puts the cursor there and centres the view"));
    connect(markers_, &QListWidget::itemClicked, this, [this](QListWidgetItem* item) { ClickMarker(markers_->row(item)); });
    connect(markers_, &QListWidget::itemActivated, this,
            [this](QListWidgetItem* item) { ClickMarker(markers_->row(item)); });
    lists->addTab(markers_, QStringLiteral("&Markers"));
    lists->setTabToolTip(0, markers_->toolTip());

    auto* choice = new QWidget;
    auto* choice_column = new QVBoxLayout(choice);
    choice_column->setContentsMargins(0, 2, 0, 0);
    choice_column->setSpacing(2);
    channels_ = new QListWidget;
    channels_->setObjectName("logchannels");
    Describe(channels_, QStringLiteral("Channels drawn"),
             QStringLiteral("Ticked channels are drawn, in this order; Up and Down move the selected one. Kept in "
                            "logviewer.ini beside config.dat"));
    connect(channels_, &QListWidget::itemChanged, this, [this](QListWidgetItem* item) {
        ShowChannel(item->data(Qt::UserRole).toInt(), item->checkState() == Qt::Checked);
    });
    choice_column->addWidget(channels_, 1);
    auto* buttons = new QHBoxLayout;
    for (int by : {-1, 1}) {
        auto* b = new QPushButton(by < 0 ? QStringLiteral("&Up") : QStringLiteral("&Down"));
        b->setObjectName(by < 0 ? "logchannelup" : "logchanneldown");
        b->setAutoDefault(false);
        Describe(b, by < 0 ? QStringLiteral("Move channel up") : QStringLiteral("Move channel down"),
                 by < 0 ? QStringLiteral("Moves the selected channel one place up") :
                          QStringLiteral("Moves the selected channel one place down"));
        connect(b, &QPushButton::clicked, this, [this, by] {
            if (QListWidgetItem* item = channels_->currentItem()) MoveChannel(item->data(Qt::UserRole).toInt(), by);
        });
        buttons->addWidget(b);
    }
    choice_column->addLayout(buttons);
    lists->addTab(choice, QStringLiteral("&Channels"));
    lists->setTabToolTip(1, channels_->toolTip());
    Describe(lists, QStringLiteral("Markers and channels"), QStringLiteral("The log's markers, or the channels drawn"));
    column->addWidget(lists, 2);
    side->setMinimumWidth(320);
    side->setMaximumWidth(400);
    return side;
}

// --- opening ---

bool LogViewer::Open(const std::filesystem::path& path) {
    LogData read;
    try {
        read = ReadLog(path);
    } catch (const std::bad_alloc&) {
        // The last resort: the reader keeps its memory to a few times the rows it keeps.
        read.error = "too large for the memory there is";
    }
    const QString name = Q(path.filename().string());
    if (!read.error.empty() || read.empty()) {
        // What was shown stays shown; the status line says why.
        QString why = Q(read.error.empty() ? read.Summary() : read.error);
        QString text = QStringLiteral("\"%1\" not opened: %2").arg(name, why);
        if (!log_.empty()) text += QStringLiteral("; still showing \"%1\"").arg(Q(path_.filename().string()));
        opened_ = text;
        ShowStatus();
        return false;
    }
    log_ = std::move(read);
    path_ = path;
    opened_ = name + QStringLiteral(": ") + Q(log_.Summary());
    setWindowTitle(QStringLiteral("Log viewer - ") + name);
    replay_.reset();
    if (recompute_) {
        replay_image_ = calibration_();
        replay_ = Recompute(log_, replay_image_);
    }
    overlays_.markers = log_.markers;
    overlays_.gaps.clear();
    for (const LogMarker& m : log_.markers) {
        if (!m.gap) continue;
        // A gap lost the time from the row before it to the row after it.
        const auto after = std::upper_bound(log_.time.begin(), log_.time.end(), m.time);
        const double start = after == log_.time.begin() ? m.time : *(after - 1);
        const double end = after == log_.time.end() ? m.time : *after;
        overlays_.gaps.push_back({start, end});
    }
    overlays_.cursor_shown = true;
    overlays_.cursor = log_.time.front();
    UpdateDutySpans();
    FillMarkerList();
    RebuildPanels();
    FillReadOutRows();
    Fit();
    SetCursorTime(log_.time.front());
    ShowStatus();
    return true;
}

void LogViewer::ShowOpenDialog() {
    if (open_dialog_) {
        open_dialog_->raise();
        return;
    }
    std::error_code ec;
    std::filesystem::path start = folder_ / "logs";
    if (!std::filesystem::is_directory(start, ec)) start = folder_;
    auto* dialog = new QFileDialog(this, QStringLiteral("Open a log"), Q(start.string()),
                                   QStringLiteral("Logs (*.csv *.rec);;All files (*)"));
    dialog->setObjectName("LogOpenDialog");
    dialog->setAcceptMode(QFileDialog::AcceptOpen);
    dialog->setFileMode(QFileDialog::ExistingFile);
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    // Modal to the viewer alone, and never a loop of its own: the console
    // goes on polling while the tuner chooses.
    dialog->setWindowModality(Qt::WindowModal);
    connect(dialog, &QFileDialog::fileSelected, this,
            [this](const QString& file) { Open(std::filesystem::path(file.toStdString())); });
    open_dialog_ = dialog;
    dialog->open();
}

QFileDialog* LogViewer::openDialog() const { return open_dialog_; }

// --- the span and the cursor ---

std::pair<double, double> LogViewer::Extent() const {
    if (log_.empty()) return {0, 1};
    const double lo = log_.time.front();
    return {lo, std::max(log_.time.back(), lo + kLeastSpan)};
}

void LogViewer::ZoomTo(double t0, double t1) {
    if (!std::isfinite(t0) || !std::isfinite(t1)) return;
    if (t1 < t0) std::swap(t0, t1);
    const auto [lo, hi] = Extent();
    const double span = std::clamp(t1 - t0, kLeastSpan, hi - lo);
    // A span cut short at one end keeps its length at the other.
    const double centre = (t0 + t1) / 2;
    t0_ = std::clamp(centre - span / 2, lo, hi - span);
    t1_ = t0_ + span;
    Redraw();
}

void LogViewer::ZoomBy(double factor, double centre) {
    if (!(factor > 0)) return;
    centre = std::clamp(centre, t0_, t1_);
    ZoomTo(centre - (centre - t0_) * factor, centre + (t1_ - centre) * factor);
}

void LogViewer::ZoomIn() {
    const double c = overlays_.cursor_shown && cursorTime() >= t0_ && cursorTime() <= t1_ ? cursorTime()
                                                                                          : (t0_ + t1_) / 2;
    ZoomBy(0.5, c);
}

void LogViewer::ZoomOut() { ZoomBy(2, (t0_ + t1_) / 2); }

void LogViewer::Fit() {
    const auto [lo, hi] = Extent();
    ZoomTo(lo, hi);
}

void LogViewer::Pan(double seconds) { ZoomTo(t0_ + seconds, t1_ + seconds); }

void LogViewer::SetCursorTime(double t) {
    if (log_.empty() || !std::isfinite(t)) return;
    const auto [lo, hi] = Extent();
    const double from = overlays_.cursor;
    overlays_.cursor = std::clamp(t, lo, log_.time.back());
    for (LogPanel* p : shown_panels_) p->CursorMoved(from, overlays_.cursor);
    ShowCursor();
    SendRows();
}

void LogViewer::StepCursor(int rows) {
    if (log_.empty()) return;
    const auto at = static_cast<long>(RowAt(log_, cursorTime()));
    // From between two rows, a step back lands on the row before the cursor.
    const long back = rows < 0 && log_.time[at] < cursorTime() ? 1 : 0;
    const long to = std::clamp<long>(at + rows + back, 0, static_cast<long>(log_.rows()) - 1);
    SetCursorTime(log_.time[to]);
    KeepCursorInView();
}

void LogViewer::KeepCursorInView() {
    const double c = cursorTime(), span = t1_ - t0_;
    if (c < t0_ || c > t1_) ZoomTo(c - span / 2, c + span / 2);
}

bool LogViewer::Key(int key, Qt::KeyboardModifiers modifiers) {
    const double span = t1_ - t0_;
    const bool shift = modifiers & Qt::ShiftModifier, ctrl = modifiers & Qt::ControlModifier;
    switch (key) {
        case Qt::Key_Left:
        case Qt::Key_Right: {
            const int way = key == Qt::Key_Left ? -1 : 1;
            if (ctrl) Pan(way * kPanStep * span);
            else if (shift) {
                SetCursorTime(cursorTime() + way * kCursorJump * span);
                KeepCursorInView();
            } else StepCursor(way);
            return true;
        }
        case Qt::Key_PageUp: Pan(-span); return true;
        case Qt::Key_PageDown: Pan(span); return true;
        case Qt::Key_Home: StepCursor(-static_cast<int>(log_.rows())); return true;
        case Qt::Key_End: StepCursor(static_cast<int>(log_.rows())); return true;
        case Qt::Key_Plus:
        case Qt::Key_Equal: ZoomIn(); return true;
        case Qt::Key_Minus: ZoomOut(); return true;
        case Qt::Key_F: Fit(); return true;
        default: return false;
    }
}

void LogViewer::keyPressEvent(QKeyEvent* event) {
    if (Key(event->key(), event->modifiers())) event->accept();
    else QMainWindow::keyPressEvent(event);
}

void LogViewer::ClickMarker(int i) {
    if (i < 0 || i >= static_cast<int>(log_.markers.size())) return;
    const double t = log_.markers[static_cast<std::size_t>(i)].time, span = t1_ - t0_;
    ZoomTo(t - span / 2, t + span / 2);
    SetCursorTime(t);
    if (markers_->currentRow() != i) {
        const QSignalBlocker quiet(markers_);
        markers_->setCurrentRow(i);
    }
}

// --- the channels ---

void LogViewer::SetChannels(const std::vector<int>& shown) {
    choice_.Show(shown);
    SaveChoice();
}

void LogViewer::ShowChannel(int channel, bool on) {
    if (channel < 0 || channel >= kViewerChannels || Contains(choice_.shown, channel) == on) return;
    std::vector<int> shown;
    for (int c : choice_.order)
        if (c == channel ? on : Contains(choice_.shown, c)) shown.push_back(c);
    choice_.shown = shown;
    SaveChoice();
}

void LogViewer::MoveChannel(int channel, int by) {
    std::vector<int>& order = choice_.order;
    const auto it = std::find(order.begin(), order.end(), channel);
    if (it == order.end()) return;
    const long from = it - order.begin();
    const long to = std::clamp<long>(from + by, 0, static_cast<long>(order.size()) - 1);
    if (from == to) return;
    std::swap(order[static_cast<std::size_t>(from)], order[static_cast<std::size_t>(to)]);
    std::vector<int> shown;
    for (int c : order)
        if (Contains(choice_.shown, c)) shown.push_back(c);
    choice_.shown = shown;
    SaveChoice();
}

void LogViewer::SaveChoice() {
    std::string error;
    note_ = WriteChoice(folder_, choice_, &error) ? QString()
                                                  : Q(error) + QStringLiteral(": the channels chosen are not kept");
    ShowStatus();
    RebuildPanels();
    FillChannelList();
    FillReadOutRows();
    Redraw();
}

void LogViewer::RebuildPanels() {
    for (LogPanel* p : shown_panels_) {
        panel_column_->removeWidget(p);
        p->hide();
    }
    shown_panels_.clear();
    for (int c : choice_.shown) {
        // The duties are worked out by the recomputation alone.
        if (c >= kLogChannels && !replay_) continue;
        if (!panel_of_[c]) panel_of_[c] = new LogPanel(*this, c, panel_box_);
        LogPanel* p = panel_of_[c];
        panel_column_->addWidget(p, 1);
        p->show();
        shown_panels_.push_back(p);
    }
    for (std::size_t i = 0; i < shown_panels_.size(); ++i)
        shown_panels_[i]->SetPlace(i == 0, i + 1 == shown_panels_.size());
}

std::vector<LogPanel*> LogViewer::panels() const { return shown_panels_; }

LogPanel* LogViewer::panel(int channel) const {
    for (LogPanel* p : shown_panels_)
        if (p->channel() == channel) return p;
    return nullptr;
}

void LogViewer::FillChannelList() {
    const QSignalBlocker quiet(channels_);
    const int current = channels_->currentItem() ? channels_->currentItem()->data(Qt::UserRole).toInt() : -1;
    channels_->clear();
    for (int c : choice_.order) {
        auto* item = new QListWidgetItem(QString::fromUtf8(Look(c).name));
        item->setData(Qt::UserRole, c);
        item->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemIsUserCheckable);
        item->setCheckState(Contains(choice_.shown, c) ? Qt::Checked : Qt::Unchecked);
        if (c >= kLogChannels) item->setToolTip(QStringLiteral("Drawn while \"Recompute\" is ticked"));
        channels_->addItem(item);
        if (c == current) channels_->setCurrentItem(item);
    }
}

void LogViewer::FillMarkerList() {
    markers_->clear();
    for (const LogMarker& m : log_.markers)
        markers_->addItem(Seconds(m.time) + QStringLiteral("   ") +
                          (m.gap ? Q(m.text) : QStringLiteral("Marker ") + Q(m.text)));
}

// --- the recomputation ---

void LogViewer::SetRecompute(bool on) {
    if (recompute_box_->isChecked() != on) {
        const QSignalBlocker quiet(recompute_box_);
        recompute_box_->setChecked(on);
    }
    recompute_ = on;
    recompute_soon_.stop();
    replay_.reset();
    if (on && !log_.empty()) {
        replay_image_ = calibration_();
        replay_ = Recompute(log_, replay_image_);
    }
    UpdateDutySpans();
    RebuildPanels();
    FillReadOutRows();
    Redraw();
    ShowStatus();
}

void LogViewer::Recalculate() {
    if (recompute_) SetRecompute(true);
}

void LogViewer::CalibrationMayHaveChanged() {
    if (recompute_ && !log_.empty() && calibration_() != replay_image_) recompute_soon_.start();
}

void LogViewer::SetDutyLimit(double percent) {
    if (!(percent > 0)) return;
    duty_limit_ = percent;
    if (limit_box_->value() != static_cast<int>(std::lround(percent))) {
        const QSignalBlocker quiet(limit_box_);
        limit_box_->setValue(static_cast<int>(std::lround(percent)));
    }
    WriteDutyLimit(folder_, percent);
    UpdateDutySpans();
    for (LogPanel* p : shown_panels_) p->viewport()->update();
    ShowStatus();
}

void LogViewer::UpdateDutySpans() {
    overlays_.over = replay_ ? DutyOver(log_, *replay_, duty_limit_) : std::vector<TimeSpan>{};
}

const std::vector<float>* LogViewer::Values(int channel, bool recomputed) const {
    if (log_.empty()) return nullptr;
    if (!recomputed && channel < kLogChannels) return &log_.channels[static_cast<std::size_t>(channel)].values;
    if (!replay_) return nullptr;
    if (!recomputed) return channel == kDuty1 ? &replay_->logged_duty1_pct : &replay_->logged_duty2_pct;
    switch (channel) {
        case kChBank1: return &replay_->bank1_ms;
        case kChBank2: return &replay_->bank2_ms;
        case kChAdvance: return &replay_->advance_deg;
        case kDuty1: return &replay_->duty1_pct;
        case kDuty2: return &replay_->duty2_pct;
        default: return nullptr;
    }
}

// --- drawing ---

void LogViewer::PanelResized() { redraw_soon_.start(); }

void LogViewer::Redraw() {
    redraw_soon_.stop();
    if (!shown_panels_.empty()) {
        // Every panel is as wide as the others: one column count for all.
        const int columns = shown_panels_.front()->Columns();
        std::vector<ColumnRange> logged, again;
        for (LogPanel* p : shown_panels_) {
            const int c = p->channel();
            logged.clear();
            if (c < kLogChannels && !log_.empty()) logged = Decimate(log_, c, t0_, t1_, columns);
            else if (const std::vector<float>* v = Values(c, false)) logged = Decimate(log_.time, *v, t0_, t1_, columns);
            const std::vector<float>* r = HasRecomputed(c) ? Values(c, true) : nullptr;
            if (r) again = Decimate(log_.time, *r, t0_, t1_, columns);
            p->Draw(t0_, t1_, logged, r ? &again : nullptr);
            p->viewport()->update();
        }
    }
    // The span's statistics once the panels are drawn: a wheel turned fast
    // asks for several spans before the next picture, and only the last one's
    // figures are read.
    stats_soon_.start();
    ShowCursor();
    ShowHits();
}

void LogViewer::FillReadOutRows() {
    read_out_lines_.clear();
    for (int c : choice_.order) {
        if (c < kLogChannels) read_out_lines_.emplace_back(c, false);
        else if (replay_) read_out_lines_.emplace_back(c, false);
        if (replay_ && HasRecomputed(c)) read_out_lines_.emplace_back(c, true);
    }
    read_out_->setRowCount(static_cast<int>(read_out_lines_.size()));
    for (int r = 0; r < read_out_->rowCount(); ++r) {
        const auto [c, again] = read_out_lines_[static_cast<std::size_t>(r)];
        for (int col = 0; col < kReadOutColumns; ++col) {
            auto* item = new QTableWidgetItem;
            item->setTextAlignment(col == kColName ? Qt::AlignLeft | Qt::AlignVCenter : Qt::AlignRight | Qt::AlignVCenter);
            if (again) item->setForeground(RecomputedColour());
            read_out_->setItem(r, col, item);
        }
        QString name = QString::fromUtf8(Look(c).name);
        // "Bank 1 (ms)" recomputed is "Bank 1 recomputed", in the row under it.
        if (again) name = name.left(name.indexOf(QStringLiteral(" ("))) + QStringLiteral(" recomputed");
        read_out_->item(r, kColName)->setText(name);
    }
    ShowStats();
    ShowCursor();
}

void LogViewer::ShowCursor() {
    if (log_.empty()) {
        cursor_label_->setText(QStringLiteral("No log shown: Open\u2026 (Ctrl+O) reads one"));
        for (int r = 0; r < read_out_->rowCount(); ++r) read_out_->item(r, kColCursor)->setText({});
        return;
    }
    const std::size_t row = RowAt(log_, cursorTime());
    cursor_label_->setText(QStringLiteral("Cursor %1, row %2 of %3\nShowing %4 to %5")
                               .arg(Seconds(cursorTime()), Q(Thousands(static_cast<long>(row) + 1)),
                                    Q(Thousands(static_cast<long>(log_.rows()))), Seconds(t0_), Seconds(t1_)));
    for (int r = 0; r < read_out_->rowCount(); ++r) {
        const auto [c, again] = read_out_lines_[static_cast<std::size_t>(r)];
        const std::vector<float>* v = Values(c, again);
        read_out_->item(r, kColCursor)->setText(v && row < v->size() ? Q(FormatValue(c, (*v)[row])) : QString());
    }
}

void LogViewer::ShowStats() {
    stats_soon_.stop();
    for (int r = 0; r < read_out_->rowCount(); ++r) {
        const auto [c, again] = read_out_lines_[static_cast<std::size_t>(r)];
        const std::vector<float>* v = Values(c, again);
        const SpanStats s = v ? StatsOf(log_, *v, t0_, t1_) : SpanStats{};
        const bool any = s.count > 0;
        read_out_->item(r, kColMin)->setText(any ? Q(FormatValue(c, s.min)) : QString());
        read_out_->item(r, kColMax)->setText(any ? Q(FormatValue(c, s.max)) : QString());
        read_out_->item(r, kColMean)->setText(any ? Q(FormatValue(c, s.mean)) : QString());
    }
}

QString LogViewer::ReadOut(int channel, bool recomputed, ReadOutColumn column) {
    if (stats_soon_.isActive()) ShowStats();
    for (std::size_t r = 0; r < read_out_lines_.size(); ++r)
        if (read_out_lines_[r] == std::pair{channel, recomputed})
            return read_out_->item(static_cast<int>(r), column)->text();
    return {};
}

void LogViewer::ShowHits() {
    if (tabs_->currentWidget() != hits_) return;
    hits_->Show(log_.empty() ? TableHits{} : CountTableHits(log_, t0_, t1_));
    hits_->Mark(rows_sent_);
}

void LogViewer::SendRows() {
    std::optional<std::array<int, kTableCount>> rows;
    if (!log_.empty() && isVisible())
        if (const std::optional<LiveValues> v = LiveAt(log_, RowAt(log_, cursorTime()))) rows = OperatingRows(*v);
    TellRows(rows);
}

void LogViewer::TellRows(const std::optional<std::array<int, kTableCount>>& rows) {
    if (rows_told_ && rows == rows_sent_) return;
    rows_told_ = true;
    rows_sent_ = rows;
    hits_->Mark(rows);
    if (on_rows) on_rows(rows);
}

void LogViewer::showEvent(QShowEvent* event) {
    QMainWindow::showEvent(event);
    SendRows();
}

void LogViewer::hideEvent(QHideEvent* event) {
    QMainWindow::hideEvent(event);
    // Closed, the viewer marks no table rows.
    TellRows(std::nullopt);
}

QString LogViewer::status() const { return status_label_->text(); }

void LogViewer::ShowStatus() {
    QString text = opened_.isEmpty() ? QStringLiteral("No log open: Open\u2026 (Ctrl+O) reads one") : opened_;
    if (replay_) {
        double seconds = 0;
        for (const TimeSpan& s : overlays_.over) seconds += s.end - s.start;
        const QString limit = QString::number(duty_limit_, 'f', 0) + QStringLiteral(" %");
        text += overlays_.over.empty()
                    ? QStringLiteral("; recomputed duty never over %1").arg(limit)
                    : QStringLiteral("; recomputed duty over %1: %2 %3, %4 s in all")
                          .arg(limit, Q(Thousands(static_cast<long>(overlays_.over.size()))),
                               overlays_.over.size() == 1 ? QStringLiteral("time") : QStringLiteral("times"),
                               QString::number(seconds, 'f', 1));
    }
    if (!note_.isEmpty()) text += QStringLiteral("; ") + note_;
    status_label_->setText(text);
}

}  // namespace orv::app::viewer
