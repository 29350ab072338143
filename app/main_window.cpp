#include "app/main_window.h"

#include <QApplication>
#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QScrollArea>
#include <QScrollBar>
#include <QSizeGrip>
#include <QSlider>
#include <QStatusBar>
#include <QTableWidget>
#include <QVBoxLayout>
#include <algorithm>
#include <stdexcept>
#include <variant>

#include "app/accessibility.h"
#include "app/bar_face.h"
#include "app/dial_face.h"
#include "app/grid_view.h"
#include "app/line_edit.h"
#include "app/log_controls.h"
#include "app/slot_tools.h"
#include "app/log_viewer/log_viewer_entry.h"
#include "app/look.h"
#include "app/plots/plot_windows.h"
#include "app/qt_file_dialog.h"
#include "app/start_menus.h"
#include "app/tuner_tools.h"
#include "core/link/transfer_messages.h"
#include "core/monitor/gauge_geometry.h"
#include "core/page/main_page.h"

namespace orv::app {

namespace {

constexpr QSize kHalfDial(196, 114);
constexpr QSize kQuarterDial(147, 114);
constexpr int kThrottleFullScale = kTpsBarFull / kTwipsPerPixel;
constexpr int kInjectorFullScale = kInjectorBarFull / kTwipsPerPixel;
constexpr int kGridColumnWidth = 44;
constexpr int kGridRowHeight = 17;
constexpr int kGridHeaderHeight = 19;
constexpr int kValueBoxWidth = 48;
// What a line edit takes of its width besides its text and its frame: a
// margin of 2 on either side, and a little room for the caret.
constexpr int kLineEditChrome = 6;
constexpr int kLinkRefreshMs = 100;
constexpr int kTitleBarPx = 30;  // what a window manager adds above a window
constexpr int kStatusBarPx = 24;  // as long as a tick, which shows them first
// Captions of the calculated table output boxes.
constexpr const char* kTableOutputCaption = "Table output";
constexpr const char* kTableDutyCaption = "Duty";
// The link status colours.
constexpr const char* kLinkUp = "#3ec46d";
constexpr const char* kLinkDown = "#f0463c";
constexpr const char* kLinkWaiting = "#f0b030";

template <typename... F>
struct Overloaded : F... {
    using F::operator()...;
};
template <typename... F>
Overloaded(F...) -> Overloaded<F...>;

// The dial each gauge face carries.
DialScale ScaleOf(const std::string& face) {
    if (face == "Picture4") return EngineSpeedScale();
    if (face == "Picture5") return PressureScale();
    if (face == "Picture6") return AirScale();
    if (face == "Picture7") return WaterScale();
    return AdvanceScale();
}

// "datatable(3)": the form's name for member 3 of a control array.
std::string Indexed(const char* name, int i) {
    std::string s = name;
    s += '(';
    s += std::to_string(i);
    s += ')';
    return s;
}

// The caption a control shows, "" if it has none.
std::string CaptionOf(const form::Form::Ref& ref) {
    return std::visit(
        [](auto* c) -> std::string {
            if constexpr (requires { c->Caption; }) return c->Caption;
            else return {};
        },
        ref);
}

int NeedlePart(const std::string& name) {
    if (name.rfind("rpmhand", 0) == 0) return 0;
    return name.rfind("line1", 0) == 0 ? 1 : 2;
}

}  // namespace

MainWindow::MainWindow(Main_Page& console, QWidget* parent)
    : QMainWindow(parent),
      console_(console),
      binding_(std::make_unique<Binding>([this](const std::function<void()>& action) { console_.RunEvent(action); })) {
    setObjectName("Main_Page");
    // The panel scrolls only where the screen is smaller than its smallest
    // size; on 1024 x 700 and up it fits whole.
    auto* scroller = new QScrollArea(this);
    scroller->setObjectName("panel");
    scroller->setFrameShape(QFrame::NoFrame);
    scroller->setWidgetResizable(true);
    // Tab goes through the panel's controls, not to the panel itself (it
    // scrolls each one into view as it takes the focus).
    scroller->setFocusPolicy(Qt::NoFocus);
    content_ = new QWidget(scroller);
    content_->setObjectName("central");
    scroller->setWidget(content_);
    setCentralWidget(scroller);
    ApplyProgramLook();
    CreateControls();
    LayOut();
    auto* status = new QStatusBar(this);
    status->setObjectName("Notice");
    setStatusBar(status);
    if (auto* grip = status->findChild<QSizeGrip*>()) grip->setAccessibleName(QStringLiteral("Window size grip"));
    CreateMenus();
    FitScreen();

    binding_->BindCaption(console_.form.Caption, this);
    binding_->BindStatus(console_.form, status);
    ask_save_on_close = [this] {
        return QMessageBox::question(this, windowTitle(),
                                     QString::fromUtf8(kUnsavedChanges) + QStringLiteral(" Save them first?"),
                                     QMessageBox::Save | QMessageBox::Discard | QMessageBox::Cancel, QMessageBox::Save);
    };
    console_.ask_download = [this](const std::string& question, Main_Page::DownloadAnswer answer) {
        AskDownload(question, std::move(answer));
    };
    console_.ask_upload = [this](const std::string& question, Main_Page::UploadAnswer answer) {
        if (QMessageBox* box =
                Ask(QStringLiteral("Upload from the controller"), question, QStringLiteral("Upload"),
                    QStringLiteral("Upload"), [answer = std::move(answer)](QMessageBox*, bool go) { answer(go); }))
            box->open();
    };
    binding_->Bind(console_.form.Timer1, &timer_);
    timer_.setTimerType(Qt::PreciseTimer);
    connect(&timer_, &QTimer::timeout, this, [this] { console_.Timer1_Timer(); });

    // Whatever the event, the window follows the model once it is over;
    // what replies change, with the next tick: read-outs and needles move
    // together, ten times a second. Replies come up to 147 times a second,
    // faster than a read-out can be read, and painting each would cost the
    // console more than the link itself.
    link_refresh_.setSingleShot(true);
    link_refresh_.setInterval(kLinkRefreshMs);
    connect(&link_refresh_, &QTimer::timeout, this, [this] { Refresh(); });
    listener_ = console_.AddListener([this] {
        if (!console_.PortSignalRunning()) Refresh();
        else if (!link_refresh_.isActive()) link_refresh_.start();
    });
    // The user never acts on a window older than the model.
    qApp->installEventFilter(this);
    file_dialog_ = std::make_unique<QtFileDialog>(this);
    console_.file_dialog = file_dialog_.get();
}

MainWindow::~MainWindow() {
    qApp->removeEventFilter(this);
    console_.ask_download = nullptr;
    console_.ask_upload = nullptr;
    timer_.stop();
    link_refresh_.stop();
    listener_.Reset();
    console_.file_dialog = nullptr;
    // Widgets going away move the focus about; none of that is the user's.
    binding_->Close();
    delete takeCentralWidget();
}

bool MainWindow::eventFilter(QObject* watched, QEvent* event) {
    switch (event->type()) {
        case QEvent::MouseButtonPress:
        case QEvent::MouseButtonDblClick:
        case QEvent::KeyPress:
        case QEvent::ShortcutOverride:
        case QEvent::Wheel:
            if (link_refresh_.isActive()) Refresh();
            break;
        default: break;
    }
    return QMainWindow::eventFilter(watched, event);
}

void MainWindow::Refresh() {
    link_refresh_.stop();
    // The reference's marks go into the grids' model before the grids follow it.
    if (tools_) tools_->MarkGrids();
    binding_->Refresh();
    FollowLinkState();
    if (tools_) tools_->Follow();
}

void MainWindow::CreateMenus() {
    tools_ = std::make_unique<TunerTools>(console_, *binding_, *this);
    file_menu_ = menuBar()->addMenu(QStringLiteral("&File"));
    file_menu_->setObjectName("FileMenu");
    tools_->AddFileEntries(file_menu_);
    QAction* close_window = file_menu_->addAction(QStringLiteral("&Close"), this, &QWidget::close);
    close_window->setObjectName("closewindow");
    edit_menu_ = menuBar()->addMenu(QStringLiteral("&Edit"));
    edit_menu_->setObjectName("EditMenu");
    tools_->AddEditEntries(edit_menu_);
    view_menu_ = menuBar()->addMenu(QStringLiteral("&View"));
    view_menu_->setObjectName("ViewMenu");
    plots_ = std::make_unique<plots::PlotWindows>(console_, *binding_, this);
    plots_->AddTo(view_menu_);
    AddLogViewer(*this, console_);
    AddLogControls(*this, console_);
    AddSlotTools(*this, console_);
    AddStartMenus(*this, console_);
}

void MainWindow::ShowLogRows(const std::optional<std::array<int, kTableCount>>& rows) {
    for (int t = 0; t < kTableCount; ++t) {
        auto* grid = ControlAs<QTableWidget>(Indexed("datatable", t));
        form::Grid& model = console_.form.datatable[t];
        const int row = rows ? std::clamp((*rows)[t], 0, std::max(model.Rows() - 1, 0)) : 0;
        const int had = grid->property(kGridLogRowProperty).toInt();
        if (row == had) continue;
        if (QTableWidgetItem* old = had >= 1 ? grid->item(had - 1, 0) : nullptr) old->setToolTip({});
        grid->setProperty(kGridLogRowProperty, row);
        if (QTableWidgetItem* now = row >= 1 ? grid->item(row - 1, 0) : nullptr)
            now->setToolTip(QStringLiteral("The log viewer's cursor: the engine was on this row"));
        // Into view, as the monitor keeps its own cursor.
        if (row >= 1 && (row < model.TopRow || row > model.TopRow + model.VisibleRows - 1))
            model.TopRow = std::max(1, std::min(row, model.Rows() - model.VisibleRows));
        grid->viewport()->update();
    }
    plots_->SetLogRows(rows);
    binding_->Refresh();
}

QMessageBox* MainWindow::Ask(const QString& title, const std::string& question, const QString& confirm,
                             const QString& name, std::function<void(QMessageBox*, bool go)> answer) {
    // One question at a time: a second press brings the open one forward.
    if (question_) {
        question_->raise();
        return nullptr;
    }
    auto* box =
        new QMessageBox(QMessageBox::Question, title, QString::fromStdString(question), QMessageBox::Cancel, this);
    box->setObjectName(name + QStringLiteral("Question"));
    QPushButton* go = box->addButton(confirm, QMessageBox::AcceptRole);
    go->setObjectName(name + QStringLiteral("Confirm"));
    box->setDefaultButton(QMessageBox::Cancel);
    box->setAttribute(Qt::WA_DeleteOnClose);
    box->setWindowModality(Qt::WindowModal);
    connect(box, &QMessageBox::finished, this, [this, box, go, answer = std::move(answer)](int) {
        question_ = nullptr;
        answer(box, box->clickedButton() == go);
    });
    question_ = box;
    return box;
}

QMessageBox* MainWindow::OpenQuestion(const char* name) const {
    return question_ && question_->objectName() == QLatin1String(name) ? question_.data() : nullptr;
}

void MainWindow::AskDownload(const std::string& question, Main_Page::DownloadAnswer answer) {
    QMessageBox* box = Ask(QStringLiteral("Download to the controller"), question, QStringLiteral("Download"),
                           QStringLiteral("Download"), [this, answer = std::move(answer)](QMessageBox* asked, bool go) {
                               verify_download_ = asked->checkBox()->isChecked();
                               answer(go, verify_download_);
                           });
    if (!box) return;
    auto* verify = new QCheckBox(QStringLiteral("Verify after download"), box);
    verify->setObjectName("VerifyAfterDownload");
    verify->setToolTip(QStringLiteral("Reads the calibration back once it is written and compares it byte for byte"));
    verify->setChecked(verify_download_);
    box->setCheckBox(verify);
    box->open();
}

void MainWindow::closeEvent(QCloseEvent* event) {
    if (console_.CalibrationUnsaved() && ask_save_on_close) {
        const QMessageBox::StandardButton answer = ask_save_on_close();
        if (answer == QMessageBox::Save) binding_->User([this] { console_.savemem_Click(); });
        // A cancelled or failed save keeps the window, and the changes, open.
        if (answer != QMessageBox::Discard && console_.CalibrationUnsaved()) {
            event->ignore();
            return;
        }
    }
    QMainWindow::closeEvent(event);
}

void MainWindow::FitScreen() {
    // The panel's own size where the screen has room for it, else the
    // screen's (the panel scrolls); a title bar and a task bar keep theirs.
    const QSize panel = content_->sizeHint().expandedTo(content_->minimumSizeHint());
    // The status bar is laid out only once shown: its grip's height stands in.
    const int bars = menuBar()->sizeHint().height() + std::max(statusBar()->sizeHint().height(), kStatusBarPx);
    const QSize want(panel.width() + 2, panel.height() + bars + 2);
    const QRect room = screen() ? screen()->availableGeometry() : QRect(0, 0, 1024, 700);
    resize(want.boundedTo(room.size() - QSize(0, kTitleBarPx)));
}

void MainWindow::StartTimer() {
    Binding::ArmTimer(&timer_);
    Refresh();
}

QWidget* MainWindow::Control(const std::string& name) const {
    auto it = widgets_.find(name);
    return it == widgets_.end() ? nullptr : it->second;
}

void MainWindow::CreateControls() {
    form::Form& f = console_.form;
    Binding& b = *binding_;
    auto parent_of = [this](const std::string& name) -> QWidget* {
        if (name.empty()) return content_;
        QWidget* w = Control(name);
        if (!w) throw std::logic_error("frame " + name + " comes after its controls");
        return w;
    };

    // Widgets first, in the form's order (a frame before what it holds)...
    for (const form::Form::Entry& e : f.Controls()) {
        QWidget* parent = parent_of(e.parent);
        QWidget* made = std::visit(
            Overloaded{
                [&](form::Frame* c) -> QWidget* {
                    auto* w = new QGroupBox(parent);
                    b.Bind(*c, w);
                    return w;
                },
                [&](form::Label* c) -> QWidget* {
                    auto* w = new QLabel(parent);
                    b.Bind(*c, w);
                    return w;
                },
                [&](form::PictureBox* c) -> QWidget* {
                    QWidget* w;
                    if (e.name == "Picture8")
                        w = new BarFace(kThrottleFullScale, 46, QColor(62, 196, 109), "TPS", parent);
                    else if (e.name == "Injector1" || e.name == "Injector2")
                        w = new BarFace(kInjectorFullScale, 46, QColor(240, 176, 48), "DUTY", parent);
                    else
                        w = new DialFace(ScaleOf(e.name), e.name == "Advancer" ? kQuarterDial : kHalfDial, parent);
                    b.Bind(*c, w);
                    return w;
                },
                [&](form::TextBox* c) -> QWidget* {
                    auto* w = new LineEdit(parent);
                    // The map and recording boxes show a file's name, not a
                    // path clipped on the left.
                    if (e.name == "mapfile" || e.name == "recfile") w->setProperty("showsPath", true);
                    // The style sheet paints every pixel of a text box (a solid
                    // background and border, no padding or margin, which would
                    // make Qt drop this): a new reading repaints the box alone,
                    // not the panel behind it.
                    w->setAttribute(Qt::WA_OpaquePaintEvent);
                    b.Bind(*c, w);
                    return w;
                },
                [&](form::CommandButton* c) -> QWidget* {
                    auto* w = new QPushButton(parent);
                    w->setAutoDefault(false);
                    b.Bind(*c, w);
                    return w;
                },
                [&](form::OptionButton* c) -> QWidget* {
                    auto* w = new QRadioButton(parent);
                    b.Bind(*c, w);
                    return w;
                },
                [&](form::CheckBox* c) -> QWidget* {
                    auto* w = new QCheckBox(parent);
                    b.Bind(*c, w);
                    return w;
                },
                [&](form::ScrollBar* c) -> QWidget* {
                    auto* w = new QScrollBar(Qt::Horizontal, parent);
                    b.Bind(*c, w);
                    return w;
                },
                [&](form::ComboBox* c) -> QWidget* {
                    auto* w = new QComboBox(parent);
                    b.Bind(*c, w);
                    return w;
                },
                [&](form::Grid* c) -> QWidget* {
                    auto* w = new GridView(parent);
                    b.Bind(*c, w);
                    return w;
                },
                [&](form::Slider* c) -> QWidget* {
                    auto* w = new QSlider(Qt::Horizontal, parent);
                    b.Bind(*c, w);
                    return w;
                },
                [&](form::ProgressBar* c) -> QWidget* {
                    auto* w = new QProgressBar(parent);
                    w->setTextVisible(false);
                    b.Bind(*c, w);
                    return w;
                },
                // ...needles and bars are drawn by their faces.
                [&](form::Line* c) -> QWidget* {
                    auto* face = dynamic_cast<DialFace*>(parent);
                    if (!face) throw std::logic_error(e.name + " is not on a dial");
                    b.Bind(*c, face, NeedlePart(e.name));
                    return nullptr;
                },
                [&](form::Shape* c) -> QWidget* {
                    auto* face = dynamic_cast<BarFace*>(parent);
                    if (!face) throw std::logic_error(e.name + " is not on a bar face");
                    b.Bind(*c, face);
                    return nullptr;
                },
            },
            e.ref);
        if (!made) continue;
        made->setObjectName(QString::fromStdString(e.name));
        widgets_[e.name] = made;
        // Labels read out their caption as it stands; the rest are named once.
        if (!std::holds_alternative<form::Label*>(e.ref)) MakeAccessible(made, e.name, CaptionOf(e.ref));
    }

    // The link status is the console's to write, never the user's.
    static_cast<LineEdit*>(Control("Text3"))->setReadOnly(true);
    DescribeControls(this, widgets_);
}

void MainWindow::FollowLinkState() {
    // Green once the controller answers, red when it is silent, amber while
    // the first request waits.
    const LinkStatus status = console_.comm.status();
    if (status == link_shown_) return;
    link_shown_ = status;
    const char* colour = status == LinkStatus::Connected ? kLinkUp
                         : status == LinkStatus::Offline ? kLinkDown
                                                         : kLinkWaiting;
    Control("Text3")->setStyleSheet(QStringLiteral("QLineEdit { color: %1; font-weight: bold; }").arg(colour));
}

void MainWindow::LayOut() {
    auto W = [this](const std::string& name) {
        QWidget* w = Control(name);
        if (!w) throw std::logic_error("no control " + name);
        return w;
    };
    auto frame = [&](const std::string& name) { return static_cast<QGroupBox*>(W(name)); };
    auto grid_in = [](QWidget* frame_widget) {
        auto* g = new QGridLayout(frame_widget);
        g->setContentsMargins(6, 11, 6, 4);
        g->setHorizontalSpacing(5);
        g->setVerticalSpacing(2);
        return g;
    };
    auto value_box = [&](const std::string& name, int width = kValueBoxWidth) {
        QWidget* w = W(name);
        w->setFixedWidth(width);
        return w;
    };
    auto row = [](std::initializer_list<QWidget*> ws, bool stretch = true) {
        auto* h = new QHBoxLayout;
        h->setSpacing(4);
        for (QWidget* w : ws) h->addWidget(w);
        if (stretch) h->addStretch(1);
        return h;
    };

    // Every control keeps its place whether shown or not: hiding one (bank 2
    // switched off, no ignition) never moves another.
    for (auto& [name, w] : widgets_) {
        QSizePolicy policy = w->sizePolicy();
        policy.setRetainSizeWhenHidden(true);
        w->setSizePolicy(policy);
    }
    // Labels whose caption changes are as wide as their widest caption, so a
    // new caption moves nothing beside them either.
    auto widest = [&](const char* name, std::initializer_list<const char*> captions) {
        QWidget* w = W(name);
        int px = 0;
        for (const char* c : captions) px = std::max(px, w->fontMetrics().horizontalAdvance(QString::fromUtf8(c)));
        w->setFixedWidth(px + 2);
    };
    widest("Label6", {"(ms)", "Off"});
    widest("tinj", {"(ms)", "Degrees"});

    // Read-outs sit in the dials, under the pivot, and move with the face.
    for (const char* name : {"rpm", "pressure", "air", "water", "advance"}) {
        QWidget* w = W(name);
        w->setProperty("readout", true);
        static_cast<LineEdit*>(w)->setAlignment(Qt::AlignCenter);
        static_cast<LineEdit*>(w)->setFrame(false);
        static_cast<DialFace*>(w->parentWidget())->Place(w, QRectF(DialFace::kPivotX - 24, 99, 48, 14));
    }

    // Inputs: four half dials, the throttle bar beside them; the dials and
    // the bar grow with the window.
    {
        QGridLayout* g = grid_in(frame("Inputs"));
        g->addWidget(W("Picture4"), 0, 0);
        g->addWidget(W("Picture5"), 0, 1);
        g->addWidget(W("Picture6"), 1, 0);
        g->addWidget(W("Picture7"), 1, 1);
        auto* tps = new QVBoxLayout;
        tps->setSpacing(3);
        tps->addWidget(W("Picture8"), 1, Qt::AlignHCenter);
        tps->addLayout(row({value_box("tps", 36), W("ltps")}, false));
        g->addLayout(tps, 0, 2, 2, 1);
        g->setColumnStretch(0, 1);
        g->setColumnStretch(1, 1);
    }

    // Outputs: the advance dial, then one column per injector bank.
    {
        QGridLayout* g = grid_in(frame("Outputs"));
        W("QUIL_PLUS")->setProperty("title", true);
        g->addWidget(W("QUIL_PLUS"), 0, 0, Qt::AlignLeft);
        g->addWidget(W("Advancer"), 1, 0);
        auto* info = new QHBoxLayout;
        info->setSpacing(4);
        info->addWidget(W("lbattery"));
        info->addWidget(value_box("batt", 40));
        info->addSpacing(12);
        info->addWidget(W("lversion"));
        info->addWidget(value_box("version", 40));
        info->addStretch(1);
        g->addLayout(info, 4, 0, 1, 3);
        g->setColumnMinimumWidth(0, 160);
        g->setColumnStretch(0, 1);
        const char* banks[2][6] = {{"Label4", "Injector1", "bank1", "Label3", "duty1", "lduty1"},
                                   {"Label5", "Injector2", "bank2", "Label6", "duty2", "lduty2"}};
        for (int k = 0; k < 2; ++k) {
            const auto& n = banks[k];
            g->addWidget(W(n[0]), 0, 1 + k, Qt::AlignHCenter);
            g->addWidget(W(n[1]), 1, 1 + k, Qt::AlignHCenter);
            g->addLayout(row({value_box(n[2], 40), W(n[3])}), 2, 1 + k);
            g->addLayout(row({value_box(n[4], 40), W(n[5])}), 3, 1 + k);
        }
        g->setRowStretch(1, 1);
    }

    // Settings: the link.
    {
        QGridLayout* g = grid_in(frame("Settings"));
        g->addWidget(W("Connect"), 0, 0);
        g->addWidget(W("COM"), 0, 1);
        g->addWidget(W("remote"), 1, 0);
        g->addWidget(W("Host"), 1, 1);
        g->addWidget(W("Text3"), 2, 0, 1, 2);
    }

    // Event Recorder.
    {
        QGridLayout* g = grid_in(frame("recorder"));
        int c = 0;
        for (const char* name : {"record", "play", "timeadj", "Stop"}) g->addWidget(W(name), 0, c++);
        g->addWidget(W("timesel"), 1, 0, 1, 4);
        g->addWidget(W("chrono"), 2, 0, 1, 2);
        g->addWidget(W("RecStatus"), 2, 2, 1, 2);
        g->addWidget(W("recfile"), 3, 0, 1, 2);
        g->addWidget(W("save"), 3, 2);
        g->addWidget(W("load"), 3, 3);
        g->addWidget(W("savecsv"), 4, 3);
        for (const char* name : {"record", "play", "timeadj", "Stop", "save", "load", "savecsv"})
            W(name)->setMinimumWidth(38);
    }

    // Programming: the tables and six frames of settings.
    {
        QGroupBox* tables = frame("tables");
        QGridLayout* g = grid_in(tables);
        for (int t = 0; t < 5; ++t) {
            auto* grid = static_cast<QTableWidget*>(W(Indexed("datatable", t)));
            // Both columns share the grid's width: a wide window widens them.
            grid->horizontalHeader()->setSectionResizeMode(QHeaderView::Stretch);
            grid->horizontalHeader()->setFixedHeight(kGridHeaderHeight);
            grid->horizontalHeader()->setHighlightSections(false);
            grid->verticalHeader()->setMinimumSectionSize(kGridRowHeight);
            grid->verticalHeader()->setDefaultSectionSize(kGridRowHeight);
            grid->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
            grid->setShowGrid(true);
            grid->setCornerButtonEnabled(false);
            const int frame_px = 2 * grid->frameWidth();
            const int bar_px = grid->verticalScrollBar()->sizeHint().width();
            // At least the fewest rows a grid shows; every pixel the window
            // gives beyond that shows more rows, and wider cells.
            const int least_width = 2 * kGridColumnWidth + bar_px + frame_px;
            grid->setMinimumSize(least_width,
                                 kGridHeaderHeight + form::Grid::kVisibleRows * kGridRowHeight + frame_px);
            grid->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Expanding);
            g->addWidget(grid, 0, t);
            g->setColumnStretch(t, 1);
            QWidget* text = W(Indexed("Text1", t));
            QWidget* bar = W(Indexed("HScroll1", t));
            text->setMinimumWidth(least_width);
            bar->setMinimumWidth(least_width);
            g->addWidget(text, 1, t);
            g->addWidget(bar, 2, t);
        }
        auto* bottom = row({W("bank1mem"), W("bank2mem"), W("IgnMem")});
        // What the calculated boxes show, in plain words before each.
        auto caption = [&](const char* text, const char* box) {
            auto* l = new QLabel(QString::fromUtf8(text), tables);
            l->setObjectName(QString::fromUtf8(box) + "_caption");
            l->setBuddy(W(box));
            bottom->addWidget(l);
        };
        caption(kTableOutputCaption, "showtinj1");
        bottom->addWidget(value_box("showtinj1", 44));
        bottom->addWidget(W("tinj"));
        bottom->addSpacing(6);
        caption(kTableDutyCaption, "showduty");
        bottom->addWidget(value_box("showduty", 36));
        bottom->addWidget(W("duty"));
        g->addLayout(bottom, 3, 0, 1, 5);
        g->setRowStretch(0, 1);

        QGridLayout* e = grid_in(frame("editing"));
        e->addWidget(W("monitor"), 0, 0);
        e->addWidget(W("edit"), 0, 1);
        e->addWidget(W("download"), 1, 0);
        e->addWidget(W("upload"), 1, 1);
        e->addWidget(W("ProgressBar1"), 2, 0, 1, 2);
        W("ProgressBar1")->setFixedHeight(10);
        e->addWidget(W("mapfile"), 3, 0, 1, 2);
        {
            // Wide enough for a transfer's message, which stands in the box
            // whole while the transfer runs.
            auto* map = static_cast<QLineEdit*>(W("mapfile"));
            const QFontMetrics metrics(map->font());
            const QMargins text = map->textMargins();
            int widest = 0;
            for (const char* message : {kUploading, kDownloading})
                widest = std::max(widest, metrics.horizontalAdvance(QString::fromLatin1(message)));
            map->setMinimumWidth(widest + text.left() + text.right() + kLineEditChrome +
                                 2 * map->style()->pixelMetric(QStyle::PM_DefaultFrameWidth, nullptr, map));
        }
        e->addWidget(W("loadmem"), 4, 0);
        e->addWidget(W("savemem"), 4, 1);

        QGridLayout* k = grid_in(frame("Bnk2"));
        k->addWidget(W("ignsel"), 0, 0);
        k->addWidget(W("bank2sel"), 0, 1);

        QGridLayout* c = grid_in(frame("common"));
        c->addWidget(W("cylinder"), 0, 0);
        c->addWidget(value_box("ncylinder", 36), 0, 1, Qt::AlignRight);
        c->addWidget(W("cylinsel"), 1, 0, 1, 2);
        c->addWidget(W("FullSel"), 2, 0, 1, 2);
        c->addWidget(W("mem1"), 3, 0);
        c->addWidget(W("mem2"), 3, 1);
        c->addWidget(W("mem3"), 4, 0);
        c->addWidget(W("mem4"), 4, 1);

        QGridLayout* a = grid_in(frame("Access"));
        a->addWidget(W("Label2"), 0, 0);
        a->addWidget(value_box("TWaterAcc"), 0, 1, Qt::AlignRight);
        a->addWidget(W("WaterAcc"), 1, 0, 1, 2);

        // A label and its value above the bar that sets it.
        auto setting = [&](QGridLayout* l, int r, const char* label, const char* value, const char* bar) {
            l->addWidget(W(label), r, 0);
            l->addWidget(value_box(value), r, 1, Qt::AlignRight);
            l->addWidget(W(bar), r + 1, 0, 1, 2);
        };
        QGridLayout* ig = grid_in(frame("ignition"));
        setting(ig, 0, "Label1", "TLimiter", "Limiter");
        setting(ig, 2, "loadt", "loadtime", "loadtimesel");
        setting(ig, 4, "window", "windowsize", "windowsel");
        ig->addWidget(W("ignnormal"), 6, 0);
        ig->addWidget(W("igninv"), 6, 1);

        QGridLayout* in = grid_in(frame("injection"));
        setting(in, 0, "rpmsw", "TRPMAcc", "RPMAcc");
        setting(in, 2, "deltatps", "pdeltatps", "deltasel");

        QGridLayout* p = grid_in(frame("programming"));
        p->addWidget(tables, 0, 0, 2, 1);
        auto column = [&](int col, std::initializer_list<const char*> names) {
            auto* v = new QVBoxLayout;
            v->setSpacing(2);
            for (const char* n : names) v->addWidget(W(n));
            v->addStretch(1);
            p->addLayout(v, 0, col, 2, 1);
        };
        // Two columns of settings beside the tables: the whole window fits
        // a 1024-pixel-wide screen.
        column(1, {"editing", "Bnk2", "common"});
        column(2, {"Access", "ignition", "injection"});
        for (int col = 1; col <= 2; ++col) p->setColumnMinimumWidth(col, 168);
    }

    auto* root = new QVBoxLayout(content_);
    root->setContentsMargins(4, 2, 4, 4);
    root->setSpacing(3);
    // The instrument panel takes whatever room the window has beyond its
    // smallest size; the link, the recorder and the programming frames keep
    // theirs.
    auto* top = new QHBoxLayout;
    top->setSpacing(4);
    top->addWidget(W("Inputs"), 3);
    top->addWidget(W("Outputs"), 2);
    auto* right = new QVBoxLayout;
    right->setSpacing(3);
    right->addWidget(W("Settings"));
    right->addWidget(W("recorder"));
    right->addStretch(1);
    top->addLayout(right, 0);
    // Room beyond the smallest size goes to the dials and to the grids alike.
    root->addLayout(top, 2);
    root->addWidget(W("programming"), 3);
}

}  // namespace orv::app
