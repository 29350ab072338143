#include "app/tuner_tools.h"

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QInputDialog>
#include <QKeyEvent>
#include <QLabel>
#include <QMenu>
#include <QMouseEvent>
#include <QPushButton>
#include <QStatusBar>
#include <QStyle>
#include <QTableWidget>
#include <algorithm>
#include <filesystem>

#include "app/binding.h"
#include "app/line_edit.h"
#include "app/main_window.h"
#include "core/calibration/heat_map.h"
#include "core/calibration/table_clipboard.h"
#include "core/calibration/table_coding.h"
#include "core/files/map_compare.h"
#include "core/form/keys.h"
#include "core/page/main_page.h"
#include "core/settings/settings_coding.h"

namespace orv::app {

namespace {

QString Q(const std::string& s) { return QString::fromStdString(s); }

std::string Indexed(const char* name, int t) { return std::string(name) + "(" + std::to_string(t) + ")"; }

// Options and check boxes take the window's sheet; bars and text boxes have
// sheets of their own, which carry the same mark.
const char* const kMarkSheet = R"(
    QRadioButton[refdiff="true"], QCheckBox[refdiff="true"] {
        color: #78e8fa; background: #0e3a48; border: 1px solid #4cd2ee; border-radius: 2px; }
    QLabel#ReferenceStatus { color: #78e8fa; padding: 0 6px; }
)";

constexpr int kMessageMs = 8000;

void SetEnabled(QAction* a, bool on) {
    if (a && a->isEnabled() != on) a->setEnabled(on);
}

QString RangeMessage(const RangeEditResult& r, int rows) {
    if (!r.ok) return QStringLiteral("Range not edited: the value is no number, or the rows are not a table's");
    QString s = QStringLiteral("Range of %1 rows edited").arg(rows);
    if (r.clamped == 1) s += QStringLiteral("; 1 value was clamped to the accepted range");
    if (r.clamped > 1) s += QStringLiteral("; %1 values were clamped to the accepted range").arg(r.clamped);
    return s;
}

}  // namespace

TunerTools::TunerTools(Main_Page& console, Binding& binding, MainWindow& window)
    : console_(console), binding_(binding), window_(window) {
    for (int t = 0; t < kTableCount; ++t) {
        tables_[t] = window_.ControlAs<QTableWidget>(Indexed("datatable", t));
        grids_[t] = tables_[t];
    }
    ask_value = [this](const ValueQuestion& q) -> std::optional<double> {
        bool ok = false;
        const double v = QInputDialog::getDouble(&window_, q.title, q.label, q.initial, -1e6, 1e6, 2, &ok);
        return ok ? std::optional<double>(v) : std::nullopt;
    };
    window_.setStyleSheet(window_.styleSheet() + QString::fromLatin1(kMarkSheet));
    status_ = new QLabel(&window_);
    status_->setObjectName("ReferenceStatus");
    status_->setToolTip(QStringLiteral("Values that differ from the reference map, per memory slot. Marked cells "
                                       "and settings show the reference's value in their tooltips."));
    status_->hide();
    window_.statusBar()->addPermanentWidget(status_);
    // A message of the tools goes after a while; the console's notice, if
    // any, comes back.
    QObject::connect(window_.statusBar(), &QStatusBar::messageChanged, this, [this](const QString& now) {
        if (now.isEmpty() && !console_.form.Notice.empty()) window_.statusBar()->showMessage(Q(console_.form.Notice));
    });
}

QAction* TunerTools::Add(QMenu* menu, const char* name, const QString& text, const QKeySequence& keys) {
    QAction* a = menu->addAction(text);
    a->setObjectName(name);
    if (!keys.isEmpty()) a->setShortcut(keys);
    return a;
}

QAction* TunerTools::AddButtonKey(QMenu* menu, const char* name, const QString& text, const QKeySequence& keys,
                                  const char* button) {
    QAction* a = Add(menu, name, text, keys);
    auto* b = window_.ControlAs<QPushButton>(button);
    // click() does nothing on a disabled button, and runs the button's own
    // signal otherwise: exactly what the mouse does.
    // Queued, as every entry that may open a dialog: whoever triggered it
    // (a key, the mouse, assistive technology) gets its answer at once,
    // before the dialog runs.
    QObject::connect(
        a, &QAction::triggered, this,
        [this, b] {
            if (b && b->isEnabled() && b->isVisibleTo(&window_)) b->click();
        },
        Qt::QueuedConnection);
    for (auto& slot : buttons_)
        if (!slot.first) {
            slot = {a, b};
            break;
        }
    return a;
}

void TunerTools::AddFileEntries(QMenu* menu) {
    AddButtonKey(menu, "loadmap", QStringLiteral("&Load map"), QKeySequence(Qt::CTRL | Qt::Key_O), "loadmem");
    AddButtonKey(menu, "savemap", QStringLiteral("&Save map"), QKeySequence(Qt::CTRL | Qt::Key_S), "savemem");
    menu->addSeparator();
    QAction* compare = Add(menu, "comparemap", QStringLiteral("Co&mpare with map…"), {});
    QObject::connect(compare, &QAction::triggered, this, [this] { Compare(); }, Qt::QueuedConnection);
    stop_ = Add(menu, "stopcomparing", QStringLiteral("S&top comparing"), {});
    QObject::connect(stop_, &QAction::triggered, this, [this] { StopComparing(); });
    menu->addSeparator();
    AddButtonKey(menu, "connectlink", QStringLiteral("Co&nnect"), QKeySequence(Qt::Key_F5), "Connect");
    menu->addSeparator();
}

void TunerTools::AddEditEntries(QMenu* menu) {
    undo_ = Add(menu, "undo", QStringLiteral("&Undo"), QKeySequence(Qt::CTRL | Qt::Key_Z));
    QObject::connect(undo_, &QAction::triggered, this, [this] { binding_.User([this] { console_.Undo(); }); });
    redo_ = Add(menu, "redo", QStringLiteral("&Redo"), QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Z));
    QObject::connect(redo_, &QAction::triggered, this, [this] { binding_.User([this] { console_.Redo(); }); });
    menu->addSeparator();
    AddStepEntries(menu);
    menu->addSeparator();
    const std::pair<const char*, QString> entries[] = {
        {"interpolaterange", QStringLiteral("&Interpolate range")},
        {"scalerange", QStringLiteral("S&cale range…")},
        {"offsetrange", QStringLiteral("&Offset range…")},
        {"setrange", QStringLiteral("&Set range…")},
    };
    for (std::size_t k = 0; k < range_.size(); ++k) {
        range_[k] = Add(menu, entries[k].first, entries[k].second, {});
        const auto op = static_cast<RangeOp>(k);
        QObject::connect(range_[k], &QAction::triggered, this, [this, op] { EditRange(op); }, Qt::QueuedConnection);
    }
    AddClipboardEntries(menu);
    for (int t = 0; t < kTableCount; ++t) AddGridMenu(t);
    // The focus decides the table, and it moves without the console knowing.
    QObject::connect(menu, &QMenu::aboutToShow, this, [this] { UpdateEntries(); });
    // Only the table entries: while the window goes away its buttons may
    // be gone before the focus has moved for the last time.
    QObject::connect(qApp, &QApplication::focusChanged, this, [this] { UpdateTableEntries(); });

    // Ctrl+Z is the console's everywhere: a text box's own undo would take
    // the key first.
    class UndoKeysPass : public QObject {
       public:
        using QObject::QObject;

       protected:
        bool eventFilter(QObject*, QEvent* e) override {
            if (e->type() != QEvent::ShortcutOverride) return false;
            auto* k = static_cast<QKeyEvent*>(e);
            return k->matches(QKeySequence::Undo) || k->matches(QKeySequence::Redo) ||
                   (k->key() == Qt::Key_Z && (k->modifiers() & Qt::ControlModifier));
        }
    };
    auto* pass = new UndoKeysPass(this);
    for (QLineEdit* box : window_.findChildren<QLineEdit*>()) box->installEventFilter(pass);
}

void TunerTools::AddStepEntries(QMenu* menu) {
    // Keys that type nothing, so that '+' and '-' begin an entry as digits do.
    const struct {
        const char* name;
        QString text;
        QKeySequence keys;
        int code;
    } entries[] = {
        {"stepup", QStringLiteral("Step up"), QKeySequence(Qt::Key_PageUp), form::kKeyStepUp},
        {"stepdown", QStringLiteral("Step &down"), QKeySequence(Qt::Key_PageDown), form::kKeyStepDown},
        {"stepupten", QStringLiteral("Step up ten"), QKeySequence(Qt::SHIFT | Qt::Key_PageUp), form::kKeyStepUpTen},
        {"stepdownten", QStringLiteral("Step down ten"), QKeySequence(Qt::SHIFT | Qt::Key_PageDown),
         form::kKeyStepDownTen},
    };
    for (std::size_t k = 0; k < step_.size(); ++k) {
        step_[k] = Add(menu, entries[k].name, entries[k].text, entries[k].keys);
        // The keys are the grids' own: elsewhere Page Up and Page Down keep
        // their meaning (a bar's page, a list's).
        step_[k]->setShortcutContext(Qt::WidgetShortcut);
        for (QTableWidget* w : tables_)
            if (w) w->addAction(step_[k]);
        const int code = entries[k].code;
        QObject::connect(step_[k], &QAction::triggered, this, [this, code] { Step(code); });
    }
}

void TunerTools::Step(int code) {
    // As the key on the grid: the grid's own KeyPress steps its selected rows.
    const int t = RangeTable();
    if (t >= 0) binding_.User([this, t, code] { console_.form.datatable[t].UserKeyPress(code); });
}

void TunerTools::AddClipboardEntries(QMenu* menu) {
    smooth_ = Add(menu, "smoothrange", QStringLiteral("S&mooth range"), {});
    QObject::connect(smooth_, &QAction::triggered, this, [this] { SmoothRange(); });
    menu->addSeparator();
    copy_table_ = Add(menu, "copytable", QStringLiteral("&Copy table"), QKeySequence(Qt::CTRL | Qt::Key_C));
    QObject::connect(copy_table_, &QAction::triggered, this, [this] { CopyTable(); });
    paste_table_ = Add(menu, "pastetable", QStringLiteral("&Paste"), QKeySequence(Qt::CTRL | Qt::Key_V));
    QObject::connect(paste_table_, &QAction::triggered, this, [this] { PasteTable(); });
    copy_set_ = Add(menu, "copyset", QStringLiteral("Copy s&et"), QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_C));
    QObject::connect(copy_set_, &QAction::triggered, this, [this] { CopySet(); });
    paste_set_ = Add(menu, "pasteset", QStringLiteral("Paste se&t"), QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_V));
    QObject::connect(paste_set_, &QAction::triggered, this, [this] { PasteSet(); });
    menu->addSeparator();
}

void TunerTools::AddGridMenu(int t) {
    QTableWidget* w = tables_[t];
    if (!w) return;
    // A right press would move the view's current cell, and so drop the
    // range the menu is about to act on: the grid never sees it.
    class RightPressKeepsRows : public QObject {
       public:
        using QObject::QObject;

       protected:
        bool eventFilter(QObject*, QEvent* e) override {
            const auto type = e->type();
            if (type != QEvent::MouseButtonPress && type != QEvent::MouseButtonRelease &&
                type != QEvent::MouseButtonDblClick)
                return false;
            return static_cast<const QMouseEvent*>(e)->button() == Qt::RightButton;
        }
    };
    w->viewport()->installEventFilter(new RightPressKeepsRows(w));
    auto* menu = new QMenu(w);
    menu->setObjectName(Q(Indexed("gridmenu", t)));
    menu->setToolTipsVisible(true);
    menu->addActions({copy_table_, paste_table_, copy_set_, paste_set_});
    menu->addSeparator();
    for (QAction* a : range_) menu->addAction(a);
    menu->addAction(smooth_);
    w->setContextMenuPolicy(Qt::CustomContextMenu);
    QObject::connect(w, &QWidget::customContextMenuRequested, this, [this, w, menu](const QPoint& at) {
        w->setFocus(Qt::PopupFocusReason);
        UpdateEntries();
        menu->popup(w->viewport()->mapToGlobal(at));
    });
}

void TunerTools::CopyTable() {
    const int t = RangeTable();
    if (t < 0) return;
    std::string text;
    binding_.User([&] { text = console_.CopyTable(t); });
    if (!text.empty()) QGuiApplication::clipboard()->setText(Q(text));
}

namespace {
// The clipboard's text, no longer than the console reads: longer text comes
// through longer than that still, and is refused.
std::string ClipboardText() {
    return QGuiApplication::clipboard()->text().left(static_cast<qsizetype>(kMaxPasteBytes) + 1).toStdString();
}
}  // namespace

void TunerTools::PasteTable() {
    const int t = RangeTable();
    if (t < 0) return;
    const std::string text = ClipboardText();
    binding_.User([&] { console_.PasteTable(t, text); });
}

void TunerTools::CopySet() {
    std::string text;
    binding_.User([&] { text = console_.CopySet(); });
    if (!text.empty()) QGuiApplication::clipboard()->setText(Q(text));
}

void TunerTools::PasteSet() {
    const std::string text = ClipboardText();
    binding_.User([&] { console_.PasteSet(text); });
}

void TunerTools::SmoothRange() {
    const int t = RangeTable();
    if (t >= 0) binding_.User([&] { console_.SmoothRange(t); });
}

int TunerTools::RangeTable() const {
    const QWidget* focus = window_.focusWidget();
    for (int t = 0; t < kTableCount; ++t)
        if (focus && focus == grids_[t]) return t;
    for (int t = 0; t < kTableCount; ++t)
        if (console_.form.datatable[t].SelCount() > 1) return t;
    return -1;
}

void TunerTools::EditRange(RangeOp op) {
    const int t = RangeTable();
    if (t < 0 || !console_.form.edit.Value()) return;
    const form::Grid& grid = console_.form.datatable[t];
    const int first = grid.SelFirst(), last = grid.SelLast();
    if (first < 1 || (op == RangeOp::Interpolate && last <= first)) return;
    double value = 0;
    if (op != RangeOp::Interpolate) {
        const TableView view = ViewOf(console_.form.IgnMem.Value(), console_.form.bank1mem.Value());
        const ValueRange accepted = TypedRange(view, t);
        const QString rows = Q(AxisRangeText(t, first, last));
        ValueQuestion q;
        if (op == RangeOp::Scale) {
            q = {QStringLiteral("Scale range"), QStringLiteral("Percent of each value, %1:").arg(rows), 100};
        } else if (op == RangeOp::Offset) {
            q = {QStringLiteral("Offset range"), QStringLiteral("Add to each value, %1:").arg(rows), 0};
        } else {
            q = {QStringLiteral("Set range"),
                 QStringLiteral("Value for %1 (%2 to %3):").arg(rows).arg(accepted.lo).arg(accepted.hi),
                 std::strtod(grid.Text().c_str(), nullptr)};
        }
        const std::optional<double> asked = ask_value ? ask_value(q) : std::nullopt;
        if (!asked) return;
        value = *asked;
    }
    RangeEditResult result;
    binding_.User([&] { result = console_.RangeEdit(t, first, last, op, value); });
    Tell(RangeMessage(result, last - first + 1));
}

void TunerTools::Compare() {
    if (!console_.file_dialog) return;
    FileDialogRequest request;
    std::error_code ec;
    request.init_dir = std::filesystem::current_path(ec).string();
    request.title = "Compare with map";
    request.filter = "*.map";
    request.file_name = "*.map";
    request.default_ext = "map";
    const std::optional<std::string> path = console_.file_dialog->ShowOpen(request);
    if (!path || path->empty()) return;
    std::string error;
    binding_.User([&] { error = console_.CompareWith(*path); });
    if (!error.empty()) Tell(Q(error));
}

void TunerTools::StopComparing() {
    binding_.User([this] { console_.StopComparing(); });
}

void TunerTools::Tell(const QString& message) { window_.statusBar()->showMessage(message, kMessageMs); }

bool TunerTools::WatchedMoved() {
    // Runs after every event while comparing: compared in place, copied
    // only when something moved.
    const form::Form& f = console_.form;
    const MapReference* ref = console_.Reference();
    const bool views[3] = {f.bank1mem.Value(), f.bank2mem.Value(), f.IgnMem.Value()};
    bool moved = (ref != nullptr) != watched_.comparing || console_.cal.mem_image != watched_.image ||
                 !std::equal(views, views + 3, watched_.views);
    for (int t = 0; t < kTableCount; ++t) moved = moved || f.datatable[t].Visible != watched_.shown[t];
    if (ref)
        moved =
            moved || ref->image != watched_.reference || ref->length != watched_.length || ref->path != watched_.path;
    if (!moved) return false;
    watched_.comparing = ref != nullptr;
    watched_.image = console_.cal.mem_image;
    watched_.reference = ref ? ref->image : Image{};
    watched_.length = ref ? ref->length : 0;
    watched_.path = ref ? ref->path : std::string();
    std::copy(views, views + 3, watched_.views);
    for (int t = 0; t < kTableCount; ++t) watched_.shown[t] = f.datatable[t].Visible;
    return true;
}

void TunerTools::MarkGrids() {
    if (!console_.Reference() && !marked_) return;
    if (!WatchedMoved()) return;
    const bool comparing = watched_.comparing;
    for (int t = 0; t < kTableCount; ++t) {
        form::Grid& grid = console_.form.datatable[t];
        if (!comparing || !grid.Visible) {
            grid.ClearMarks();
            continue;
        }
        for (int row = 1; row < grid.Rows(); ++row) grid.SetMark(row, console_.ReferenceCell(t, row));
    }
    MarkSettings();
    const QString line = Q(console_.ReferenceStatusLine());
    status_->setText(line);
    status_->setVisible(!line.isEmpty());
    marked_ = comparing;
}

void TunerTools::MarkSettings() {
    for (const SettingField& field : kSettingFields) {
        for (std::string_view name : field.controls) {
            QWidget* w = name.empty() ? nullptr : window_.Control(std::string(name));
            if (!w) continue;
            const std::optional<std::string> theirs = console_.ReferenceSetting(name);
            const QString tip = !theirs                          ? QString()
                                : field.id == Setting::ActiveSlot ? SlotMarkTip(*theirs)
                                                                  : QStringLiteral("Differs from reference: %1").arg(Q(*theirs));
            if (auto* box = dynamic_cast<LineEdit*>(w)) {
                box->SetMark(tip);
                continue;
            }
            if (w->property("refdiff").toBool() == theirs.has_value()) {
                if (w->toolTip() != tip) w->setToolTip(tip);
                continue;
            }
            w->setProperty("refdiff", theirs.has_value());
            w->setToolTip(tip);
            w->style()->unpolish(w);
            w->style()->polish(w);
            w->update();
        }
    }
}

QString TunerTools::SlotMarkTip(const std::string& theirs) const {
    const MapReference* ref = console_.Reference();
    if (!ref) return {};
    const int ours = console_.cal.mem_image[kActiveSlotByte];
    QString tip = QStringLiteral("Marked: the active slot differs from the reference's. Here it is %1, in the "
                                 "reference %2.")
                      .arg(Q(FieldText(Field(Setting::ActiveSlot), static_cast<std::uint8_t>(ours))), Q(theirs));
    const ImageDifferences d = CompareImages(console_.cal.mem_image, ref->image, ref->length, true);
    QStringList differing;
    for (int k = 0; k < kSlotCount; ++k)
        if (d.per_slot[k] != 0) differing << QStringLiteral("Mem %1: %2").arg(k + 1).arg(d.per_slot[k]);
    tip += differing.isEmpty() ? QStringLiteral("\nNo slot's tables or settings differ.")
                               : QStringLiteral("\nValues that differ, per slot: %1.").arg(differing.join(", "));
    return tip;
}

void TunerTools::ShadeGrids() {
    // The grids show the old view until a pending refill: so does the shade.
    if (console_.cal.reload_tables) return;
    const TableView view = ViewOf(console_.form.IgnMem.Value(), console_.form.bank1mem.Value());
    const bool ignition = view == TableView::Ignition;
    for (int t = 0; t < kTableCount; ++t) {
        QTableWidget* w = tables_[t];
        if (!w) continue;
        Shaded& had = shaded_[t];
        const int rows = w->rowCount();
        const void* first = rows > 0 ? w->item(0, 1) : nullptr;
        const int addr = MemAddr(console_.cal.mem_image, t);
        const bool all = had.first_item != first || had.ignition != ignition || had.bytes.size() != std::size_t(rows);
        had.bytes.resize(static_cast<std::size_t>(rows), -1);
        for (int r = 0; r < rows && addr + r < kImageSize; ++r) {
            const int b = console_.cal.mem_image[addr + r];
            if (!all && had.bytes[static_cast<std::size_t>(r)] == b) continue;
            had.bytes[static_cast<std::size_t>(r)] = b;
            const Colour back = HeatColour(HeatFraction(view, t, b));
            const Colour text = HeatTextColour(back);
            QTableWidgetItem* item = w->item(r, 1);
            item->setBackground(QColor(back.r, back.g, back.b));
            item->setForeground(QColor(text.r, text.g, text.b));
        }
        had.first_item = first;
        had.ignition = ignition;
    }
}

void TunerTools::Follow() {
    UpdateEntries();
    ShadeGrids();
}

void TunerTools::UpdateEntries() {
    if (!undo_) return;
    SetEnabled(undo_, console_.CanUndo());
    SetEnabled(redo_, console_.CanRedo());
    SetEnabled(stop_, console_.Reference() != nullptr);
    UpdateTableEntries();
    for (auto& [action, button] : buttons_)
        if (action) SetEnabled(action, button && button->isEnabled() && button->isVisibleTo(&window_));
}

void TunerTools::UpdateTableEntries() {
    const int t = RangeTable();
    const int rows = t >= 0 && console_.form.edit.Value() ? console_.form.datatable[t].SelCount() : 0;
    for (std::size_t k = 0; k < range_.size(); ++k)
        SetEnabled(range_[k], rows >= (static_cast<RangeOp>(k) == RangeOp::Interpolate ? 2 : 1));
    const bool editing = console_.form.edit.Value() && console_.Transferring() == TransferUnderWay::None;
    const bool current = t >= 0 && console_.form.datatable[t].Row >= 1;
    // Disabled, the step keys leave Page Up and Page Down to the grid, which
    // pages through its rows.
    for (QAction* a : step_) SetEnabled(a, editing && current);
    SetEnabled(copy_table_, current);
    SetEnabled(paste_table_, editing && current);
    SetEnabled(copy_set_, true);
    SetEnabled(paste_set_, editing);
    SetEnabled(smooth_, editing && rows >= 3);
}

}  // namespace orv::app
