#include "app/binding.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFileInfo>
#include <QGroupBox>
#include <QGuiApplication>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QMouseEvent>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollBar>
#include <QSignalBlocker>
#include <QSlider>
#include <QPainter>
#include <QStatusBar>
#include <QStyledItemDelegate>
#include <QTableWidget>
#include <QTime>
#include <QTimer>
#include <QWheelEvent>
#include <algorithm>
#include <cstdlib>
#include <optional>

#include "app/bar_face.h"
#include "app/dial_face.h"
#include "app/line_edit.h"
#include "app/plots/plot_look.h"

namespace orv::app {

namespace {

QString Q(const std::string& s) { return QString::fromStdString(s); }

// A text box's property: it holds a file's path and shows its name.
constexpr const char* kShowsPath = "showsPath";
// What a read-out with no reading shows.
constexpr const char* kNoReading = "\u2014";

// Enabled and Visible as last applied. Nothing else touches them, and the
// refresh runs after every reply taken: a bool compare is all it may cost.
class ControlState {
   public:
    void Sync(QWidget* w, const form::Control& c) {
        if (!valid_ || c.Enabled != enabled_) {
            w->setEnabled(c.Enabled);
            enabled_ = c.Enabled;
        }
        if (!valid_ || c.Visible != visible_) {
            w->setVisible(c.Visible);
            visible_ = c.Visible;
        }
        valid_ = true;
    }

   private:
    bool valid_ = false, enabled_ = true, visible_ = true;
};

// Text-like state is cached as last applied: comparing strings is cheaper
// than asking the widget and converting back.
class CaptionCache {
   public:
    bool Changed(const std::string& now) {
        if (valid_ && now == applied_) return false;
        applied_ = now;
        valid_ = true;
        return true;
    }
    void Set(const std::string& now) {
        applied_ = now;
        valid_ = true;
    }

   private:
    std::string applied_;
    bool valid_ = false;
};


// The bars' sheets paint every pixel of a bar (track, border and both arrow
// boxes), so a bar that follows the live cell need repaint itself alone, not
// the frames behind it. The style sheet takes Qt::WA_OpaquePaintEvent away
// from any rule with a margin, as the bars' have, each time it polishes the
// widget: this puts it back once the widget is polished (before it shows)
// and after each change of style.
class KeepOpaque : public QObject {
   public:
    static void Install(QWidget* w) {
        w->setAttribute(Qt::WA_OpaquePaintEvent);
        w->installEventFilter(new KeepOpaque(w));
    }

   protected:
    using QObject::QObject;
    bool eventFilter(QObject* o, QEvent* e) override {
        if (e->type() == QEvent::Show || e->type() == QEvent::StyleChange)
            static_cast<QWidget*>(o)->setAttribute(Qt::WA_OpaquePaintEvent);
        return false;
    }
};

// A value control takes the wheel only once the user has given it the focus
// (a click or Tab; the wheel itself gives none): a wheel turned to scroll past
// it is ignored here and goes on to the control underneath.
class WheelGuard : public QObject {
   public:
    static void Install(QWidget* w) { Guard(w, new WheelGuard(w)); }

   protected:
    using QObject::QObject;
    static void Guard(QWidget* w, WheelGuard* guard) {
        w->setFocusPolicy(Qt::StrongFocus);
        w->installEventFilter(guard);
    }
    bool eventFilter(QObject* o, QEvent* e) override {
        if (e->type() != QEvent::Wheel) return false;
        auto* w = static_cast<QWidget*>(o);
        if (w->hasFocus()) return Take(w, static_cast<QWheelEvent*>(e));
        e->ignore();  // handled here, not taken: the parent gets it next
        return true;
    }
    // A wheel on the focused control: false leaves it to the control.
    virtual bool Take(QWidget*, QWheelEvent*) { return false; }
};

// A focused value bar moves one step per notch of the wheel, in the
// direction Qt's bars take (down: towards the maximum). Qt's own handling
// moves by up to a page, and these bars have none of Qt's kind (see below).
class BarWheel : public WheelGuard {
   public:
    static void Install(QScrollBar* w) { Guard(w, new BarWheel(w)); }

   protected:
    using WheelGuard::WheelGuard;
    bool Take(QWidget* w, QWheelEvent* e) override {
        const QPoint d = e->angleDelta();
        turned_ += std::abs(d.x()) > std::abs(d.y()) ? -d.x() : d.y();
        auto* bar = static_cast<QScrollBar*>(w);
        for (; turned_ >= kNotch; turned_ -= kNotch) bar->triggerAction(QAbstractSlider::SliderSingleStepSub);
        for (; turned_ <= -kNotch; turned_ += kNotch) bar->triggerAction(QAbstractSlider::SliderSingleStepAdd);
        e->accept();
        return true;
    }

   private:
    static constexpr int kNotch = 120;
    int turned_ = 0;
};

// Ctrl with a drag on a value bar moves it one step per few pixels from where
// it stood, wherever on the bar the drag starts: a table's bar is a hundred
// pixels for 256 steps, too coarse to set a cell by hand. Like any drag it
// scrolls while it lasts and commits where it ends, so it is one edit.
class FineDrag : public QObject {
   public:
    static constexpr int kPixelsPerStep = 4;
    FineDrag(Binding& b, form::ScrollBar& m, QScrollBar* w) : QObject(w), b_(b), m_(m), w_(w) {
        w->installEventFilter(this);
    }

   protected:
    bool eventFilter(QObject*, QEvent* e) override {
        switch (e->type()) {
            case QEvent::MouseButtonPress: {
                const auto* me = static_cast<const QMouseEvent*>(e);
                if (me->button() != Qt::LeftButton || !(me->modifiers() & Qt::ControlModifier)) return false;
                from_x_ = me->position().x();
                from_ = m_.Value();
                dragging_ = true;
                w_->setFocus(Qt::MouseFocusReason);
                return true;
            }
            case QEvent::MouseMove: {
                if (!dragging_) return false;
                const double moved = static_cast<const QMouseEvent*>(e)->position().x() - from_x_;
                const int v = from_ + static_cast<int>(moved / kPixelsPerStep);
                if (v != m_.Value()) b_.User([this, v] { m_.UserScroll(v); });
                return true;
            }
            case QEvent::MouseButtonRelease:
                if (!dragging_) return false;
                dragging_ = false;
                b_.User([this] { m_.UserChange(m_.Value()); });
                return true;
            case QEvent::MouseButtonDblClick: return dragging_;
            default: return false;
        }
    }

   private:
    Binding& b_;
    form::ScrollBar& m_;
    QScrollBar* w_;
    double from_x_ = 0;
    int from_ = 0;
    bool dragging_ = false;
};

// Dark bars with a small bright thumb of fixed size (min-width, as the page
// step Qt sizes it by is 0): where the thumb sits is the setting, so its
// length says nothing and must not hide the track. The
// frame turns bright while the bar has the focus, which is when the wheel and
// the arrow keys move it.
const char* const kValueBarSheet = R"(
    QScrollBar:horizontal { background: #15171a; border: 1px solid #4b5058; height: 15px; margin: 0 15px; }
    QScrollBar:horizontal:focus { border: 1px solid #e0a030; }
    QScrollBar:horizontal[refdiff="true"] { background: #0e3a48; border: 1px solid #4cd2ee; }
    QScrollBar::handle:horizontal { background: #f0b040; border: 1px solid #101010; border-radius: 2px;
                                    min-width: 9px; max-width: 9px; margin: 1px 0; }
    QScrollBar::handle:horizontal:disabled { background: #6a6d73; }
    QScrollBar::add-page:horizontal, QScrollBar::sub-page:horizontal { background: none; }
    QScrollBar::add-line:horizontal, QScrollBar::sub-line:horizontal {
        background: #2c3036; border: 1px solid #4b5058; width: 14px; subcontrol-origin: margin; }
    QScrollBar::add-line:horizontal { subcontrol-position: right; }
    QScrollBar::sub-line:horizontal { subcontrol-position: left; }
    QScrollBar::add-line:horizontal:pressed, QScrollBar::sub-line:horizontal:pressed { background: #4b5058; }
    QScrollBar::left-arrow:horizontal, QScrollBar::right-arrow:horizontal {
        width: 5px; height: 5px; background: #d8d8d4; border-radius: 1px; }
    QScrollBar::left-arrow:horizontal:disabled, QScrollBar::right-arrow:horizontal:disabled { background: #5a5d63; }
)";

// The grids' own bars: the same colours, a thumb as long as the rows shown.
const char* const kGridBarSheet = R"(
    QScrollBar:vertical { background: #15171a; border: 1px solid #4b5058; width: 13px; margin: 13px 0; }
    QScrollBar::handle:vertical { background: #8c8f96; border-radius: 2px; min-height: 12px; margin: 0 1px; }
    QScrollBar::handle:vertical:hover { background: #f0b040; }
    QScrollBar::add-page:vertical, QScrollBar::sub-page:vertical { background: none; }
    QScrollBar::add-line:vertical, QScrollBar::sub-line:vertical {
        background: #2c3036; border: 1px solid #4b5058; height: 12px; subcontrol-origin: margin; }
    QScrollBar::add-line:vertical { subcontrol-position: bottom; }
    QScrollBar::sub-line:vertical { subcontrol-position: top; }
    QScrollBar::up-arrow:vertical, QScrollBar::down-arrow:vertical {
        width: 5px; height: 5px; background: #d8d8d4; border-radius: 1px; }
)";

// A page of a value bar: about a tenth of its range, and one step where the
// range is short, so that a click in the trough never jumps across a range
// of a few settings.
int PageStep(int min, int max) { return std::max(1, (max - min) / 10); }

class FrameBinder : public Binder {
   public:
    FrameBinder(form::Frame& m, QGroupBox* w) : m_(m), w_(w) {}
    void Refresh() override {
        state_.Sync(w_, m_);
        if (caption_.Changed(m_.Caption)) w_->setTitle(Q(m_.Caption));
    }

   private:
    form::Frame& m_;
    QGroupBox* w_;
    CaptionCache caption_;
    ControlState state_;
};

class LabelBinder : public Binder {
   public:
    LabelBinder(form::Label& m, QLabel* w) : m_(m), w_(w) {}
    void Refresh() override {
        state_.Sync(w_, m_);
        if (caption_.Changed(m_.Caption)) w_->setText(Q(m_.Caption));
    }

   private:
    form::Label& m_;
    QLabel* w_;
    CaptionCache caption_;
    ControlState state_;
};

class TextBinder : public Binder {
   public:
    TextBinder(Binding& b, form::TextBox& m, LineEdit* w) : m_(m), w_(w) {
        w->on_press = [&b, &m] { b.User([&m] { m.UserClick(); }); };
        w->on_key = [&b, &m](int code) { b.User([&m, code] { m.UserKeyPress(code); }); };
        w->on_focus_out = [&b, &m] { b.User([&m] { m.UserLostFocus(); }); };
        // Typing changes the model's text and raises nothing by itself.
        QObject::connect(w, &QLineEdit::textEdited, w, [this, &b](const QString& t) {
            b.User([this, &t] {
                m_.Text = t.toStdString();
                text_.Set(m_.Text);
            });
        });
    }
    void Refresh() override {
        state_.Sync(w_, m_);
        if (w_->isReadOnly() != m_.Locked) {
            w_->setReadOnly(m_.Locked);
            // A box that only shows a value takes no click, but Tab reaches
            // it, so that a screen reader can read the value out.
            w_->setFocusPolicy(m_.Locked ? Qt::TabFocus : Qt::StrongFocus);
        }
        // A read-out with no reading shows a dash, never a rest value.
        if (text_.Changed(m_.NoReading ? std::string(kNoReading) : m_.Text)) {
            QSignalBlocker block(w_);
            // The dash in bold: a hairline would read as a smudge.
            if (QFont font = w_->font(); font.bold() != (m_.NoReading || w_->property("readout").toBool())) {
                font.setBold(m_.NoReading || w_->property("readout").toBool());
                w_->setFont(font);
            }
            if (m_.NoReading) {
                w_->setText(QString::fromUtf8(kNoReading));
                w_->setAccessibleDescription(QStringLiteral("no reading"));
            } else if (w_->property(kShowsPath).toBool()) {
                // A file's name fits its box; the whole path is the tooltip.
                const QString path = Q(m_.Text);
                w_->setText(QFileInfo(path).fileName().isEmpty() ? path : QFileInfo(path).fileName());
                w_->setToolTip(path);
                w_->setAccessibleDescription(path);
            } else {
                w_->setText(Q(m_.Text));
                w_->setAccessibleDescription(QString());
            }
        }
        if (m_.ForeColor != colour_) {
            colour_ = m_.ForeColor;
            w_->SetTextColour(colour_ ? std::optional<QColor>(QColor(colour_->r, colour_->g, colour_->b))
                                      : std::nullopt);
        }
        if (m_.Refusals != refusals_) {
            refusals_ = m_.Refusals;
            w_->FlashRefusal(Q(m_.Refusal));
        }
    }

   private:
    form::TextBox& m_;
    LineEdit* w_;
    CaptionCache text_;
    ControlState state_;
    std::optional<form::Rgb> colour_;
    unsigned long refusals_ = 0;
};

class ButtonBinder : public Binder {
   public:
    ButtonBinder(Binding& b, form::CommandButton& m, QPushButton* w) : m_(m), w_(w) {
        QObject::connect(w, &QPushButton::clicked, w, [&b, &m] { b.User([&m] { m.UserClick(); }); });
    }
    void Refresh() override {
        state_.Sync(w_, m_);
        if (caption_.Changed(m_.Caption)) w_->setText(Q(m_.Caption));
    }

   private:
    form::CommandButton& m_;
    QPushButton* w_;
    CaptionCache caption_;
    ControlState state_;
};

class OptionBinder : public Binder {
   public:
    OptionBinder(Binding& b, form::OptionButton& m, QRadioButton* w) : m_(m), w_(w) {
        // The model keeps the group exclusive; Qt's own exclusivity would
        // change the other buttons behind the model's back.
        w->setAutoExclusive(false);
        QObject::connect(w, &QRadioButton::clicked, w, [&b, &m] { b.User([&m] { m.UserClick(); }); });
    }
    void Refresh() override {
        state_.Sync(w_, m_);
        if (caption_.Changed(m_.Caption)) w_->setText(Q(m_.Caption));
        if (w_->isChecked() != m_.Value()) {
            QSignalBlocker block(w_);
            w_->setChecked(m_.Value());
        }
    }

   private:
    form::OptionButton& m_;
    QRadioButton* w_;
    CaptionCache caption_;
    ControlState state_;
};

class CheckBinder : public Binder {
   public:
    CheckBinder(Binding& b, form::CheckBox& m, QCheckBox* w) : m_(m), w_(w) {
        QObject::connect(w, &QCheckBox::clicked, w, [&b, &m] { b.User([&m] { m.UserClick(); }); });
    }
    void Refresh() override {
        state_.Sync(w_, m_);
        if (caption_.Changed(m_.Caption)) w_->setText(Q(m_.Caption));
        const Qt::CheckState want =
            m_.Value() == 0 ? Qt::Unchecked : (m_.Value() == 1 ? Qt::Checked : Qt::PartiallyChecked);
        if (w_->checkState() != want) {
            QSignalBlocker block(w_);
            w_->setCheckState(want);
        }
    }

   private:
    form::CheckBox& m_;
    QCheckBox* w_;
    CaptionCache caption_;
    ControlState state_;
};

class ScrollBinder : public Binder {
   public:
    ScrollBinder(Binding& b, form::ScrollBar& m, QScrollBar* w) : m_(m), w_(w) {
        // Arrows, page clicks, keys and the wheel commit a position at once;
        // a drag scrolls while it lasts and commits where it ends.
        QObject::connect(w, &QScrollBar::valueChanged, w, [&b, &m, w](int v) {
            if (b.refreshing() || w->isSliderDown()) return;
            b.User([&m, v] { m.UserChange(v); });
        });
        QObject::connect(w, &QScrollBar::sliderMoved, w, [&b, &m](int v) {
            if (b.refreshing()) return;
            b.User([&m, v] { m.UserScroll(v); });
        });
        QObject::connect(w, &QScrollBar::sliderReleased, w, [&b, &m, w] {
            b.User([&m, w] { m.UserChange(w->value()); });
        });
        // Qt sizes the thumb by the page step, so Qt's is 0 (the thumb keeps
        // the sheet's fixed size) and a page is added here, where Qt lets an
        // action's position be changed before it becomes the value: a click
        // in the trough, PageUp and PageDown.
        w->setStyleSheet(QString::fromLatin1(kValueBarSheet));
        KeepOpaque::Install(w);
        // Qt inverts a scroll bar's keys so that Up scrolls a view up, which
        // on a horizontal bar turns Left and Right round as well. These bars
        // hold values: Right and Up raise, Left and Down lower.
        w->setInvertedControls(false);
        w->setSingleStep(1);
        w->setPageStep(0);
        QObject::connect(w, &QAbstractSlider::actionTriggered, w, [this](int action) {
            if (action == QAbstractSlider::SliderPageStepAdd) w_->setSliderPosition(w_->sliderPosition() + page_);
            if (action == QAbstractSlider::SliderPageStepSub) w_->setSliderPosition(w_->sliderPosition() - page_);
        });
        BarWheel::Install(w);
        new FineDrag(b, m, w);
    }
    void Refresh() override {
        state_.Sync(w_, m_);
        if (w_->minimum() != m_.Min() || w_->maximum() != m_.Max()) {
            QSignalBlocker block(w_);
            w_->setRange(m_.Min(), m_.Max());
            page_ = PageStep(m_.Min(), m_.Max());
        }
        if (w_->value() != m_.Value()) {
            QSignalBlocker block(w_);
            w_->setValue(m_.Value());
        }
    }

   private:
    form::ScrollBar& m_;
    QScrollBar* w_;
    int page_ = 1;
    ControlState state_;
};

class ComboBinder : public Binder {
   public:
    ComboBinder(Binding& b, form::ComboBox& m, QComboBox* w) : m_(m), w_(w) {
        QObject::connect(w, &QComboBox::activated, w, [&b, &m](int i) { b.User([&m, i] { m.UserSelect(i); }); });
        WheelGuard::Install(w);
    }
    void Refresh() override {
        state_.Sync(w_, m_);
        if (!items_valid_ || items_ != m_.items) {
            QSignalBlocker block(w_);
            w_->clear();
            for (const std::string& item : m_.items) w_->addItem(Q(item));
            items_ = m_.items;
            items_valid_ = true;
        }
        if (w_->currentIndex() != m_.ListIndex()) {
            QSignalBlocker block(w_);
            w_->setCurrentIndex(m_.ListIndex());
        }
    }

   private:
    form::ComboBox& m_;
    QComboBox* w_;
    std::vector<std::string> items_;
    bool items_valid_ = false;
    ControlState state_;
};

// The characters typed on a grid go to the model's KeyPress, which may start
// an entry in the table's box ('+' and '-' as well as digits); none reaches
// the view, whose search by typed text would move the cursor. Cursor keys,
// Tab and shortcuts keep their usual meaning; the step keys are the Edit
// menu's, on the grids alone.
class GridKeys : public QObject {
   public:
    GridKeys(Binding& b, form::Grid& m, QObject* parent) : QObject(parent), b_(b), m_(m) {}

   protected:
    bool eventFilter(QObject*, QEvent* e) override {
        if (e->type() != QEvent::KeyPress) return false;
        const auto* k = static_cast<const QKeyEvent*>(e);
        // Shift with a cursor key stretches the range of rows from its anchor.
        if ((k->modifiers() & ~Qt::KeypadModifier) == Qt::ShiftModifier) {
            if (const int to = ExtendedRow(k->key()); to != 0) {
                b_.User([this, to] { m_.UserExtend(to); });
                return true;
            }
        }
        if (k->modifiers() & (Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier)) return false;
        int code = KeyCode(*k);
        if (k->key() == Qt::Key_Escape) code = form::kKeyEscape;
        if (k->key() == Qt::Key_Backspace) code = form::kKeyBackspace;
        const bool control = code == form::kKeyEnter || code == form::kKeyEscape || code == form::kKeyBackspace;
        if (code < 32 && !control) return false;
        b_.User([this, code] { m_.UserKeyPress(code); });
        return true;
    }

   private:
    // Where Shift with `key` takes the current row; 0 for a key that moves nothing.
    int ExtendedRow(int key) const {
        const int from = m_.Row >= 1 ? m_.Row : 1, last = m_.Rows() - 1;
        switch (key) {
            case Qt::Key_Up: return std::max(from - 1, 1);
            case Qt::Key_Down: return std::min(from + 1, last);
            case Qt::Key_PageUp: return std::max(from - m_.VisibleRows, 1);
            case Qt::Key_PageDown: return std::min(from + m_.VisibleRows, last);
            case Qt::Key_Home: return 1;
            case Qt::Key_End: return last;
            default: return 0;
        }
    }

    Binding& b_;
    form::Grid& m_;
};

// Shift with a click on a data row stretches the range to it. The press and
// its release are the grid's alone: the view never sees them, so neither its
// current cell nor its click signal moves behind the model's back.
class GridShiftClicks : public QObject {
   public:
    GridShiftClicks(Binding& b, form::Grid& m, QTableWidget* w) : QObject(w), b_(b), m_(m), w_(w) {}

   protected:
    bool eventFilter(QObject*, QEvent* e) override {
        const auto type = e->type();
        if (type == QEvent::MouseButtonRelease || type == QEvent::MouseButtonDblClick) {
            if (!swallowing_) return false;
            if (type == QEvent::MouseButtonRelease) swallowing_ = false;
            return true;
        }
        if (type != QEvent::MouseButtonPress) return false;
        const auto* me = static_cast<const QMouseEvent*>(e);
        if (me->button() != Qt::LeftButton || !(me->modifiers() & Qt::ShiftModifier)) return false;
        const int row = w_->rowAt(me->position().toPoint().y());
        if (row < 0) return false;
        swallowing_ = true;
        w_->setFocus(Qt::MouseFocusReason);
        b_.User([this, row] { m_.UserExtend(row + 1, true); });
        return true;
    }

   private:
    Binding& b_;
    form::Grid& m_;
    QTableWidget* w_;
    bool swallowing_ = false;
};

// A value cell: its own colours (the heat map's, when set), and over them
// the selection as an amber frame and a reference's mark as a cyan corner,
// so that neither hides the other nor the value. The current cell also has
// an amber bar on its left edge.
const QColor kSelectionFrame(240, 176, 64);
const QColor kMarkCorner(76, 210, 238);

class ValueCells : public QStyledItemDelegate {
   public:
    using QStyledItemDelegate::QStyledItemDelegate;
    static constexpr int kFrame = 2, kCorner = 9, kCurrentBar = 4;

    void paint(QPainter* p, const QStyleOptionViewItem& option, const QModelIndex& index) const override {
        QStyleOptionViewItem opt(option);
        const bool selected = opt.state & QStyle::State_Selected;
        const auto* view = qobject_cast<const QAbstractItemView*>(option.widget);
        const bool current = view && view->currentIndex() == index;
        opt.state &= ~(QStyle::State_Selected | QStyle::State_HasFocus);
        const QVariant back = index.data(Qt::BackgroundRole);
        if (back.canConvert<QBrush>()) p->fillRect(opt.rect, back.value<QBrush>());
        QStyledItemDelegate::paint(p, opt, index);
        const QRect r = opt.rect;
        if (selected) {
            p->save();
            p->setPen(QPen(kSelectionFrame, kFrame, Qt::SolidLine, Qt::SquareCap, Qt::MiterJoin));
            p->setBrush(Qt::NoBrush);
            p->drawRect(QRectF(r).adjusted(kFrame / 2.0, kFrame / 2.0, -kFrame / 2.0, -kFrame / 2.0));
            if (current) p->fillRect(QRect(r.left(), r.top(), kCurrentBar, r.height()), kSelectionFrame);
            p->restore();
        }
        if (index.data(kGridMarkRole).isValid()) {
            p->save();
            p->setRenderHint(QPainter::Antialiasing, false);
            p->setPen(Qt::NoPen);
            p->setBrush(kMarkCorner);
            const QPoint corner = r.topRight() + QPoint(1, 0);
            p->drawPolygon(QPolygon({corner, corner - QPoint(kCorner, 0), corner + QPoint(0, kCorner)}));
            p->restore();
        }
    }
};

// An axis cell: the log viewer's cursor colours the cell of its row.
class AxisCells : public QStyledItemDelegate {
   public:
    using QStyledItemDelegate::QStyledItemDelegate;
    void paint(QPainter* p, const QStyleOptionViewItem& option, const QModelIndex& index) const override {
        if (OnLogRow(option.widget, index)) p->fillRect(option.rect, plots::colours::kLogCursorBack);
        QStyledItemDelegate::paint(p, option, index);
    }

   protected:
    void initStyleOption(QStyleOptionViewItem* option, const QModelIndex& index) const override {
        QStyledItemDelegate::initStyleOption(option, index);
        if (!OnLogRow(option->widget, index)) return;
        option->backgroundBrush = Qt::NoBrush;
        option->palette.setColor(QPalette::Text, Qt::white);
        option->font.setBold(true);
    }

   private:
    static bool OnLogRow(const QWidget* view, const QModelIndex& index) {
        return view && view->property(kGridLogRowProperty).toInt() == index.row() + 1;
    }
};

// The grid: the model's row 0 is the header, its column 0 the axis. The
// widget shows row 0 in its own fixed header and the data rows below it, so
// widget row r is model row r + 1. Only the data column can be selected.
class GridBinder : public Binder {
   public:
    GridBinder(Binding& b, form::Grid& m, QTableWidget* w) : b_(b), m_(m), w_(w) {
        w->setColumnCount(form::Grid::Cols);
        w->verticalHeader()->hide();
        w->setSelectionMode(QAbstractItemView::SingleSelection);
        w->setSelectionBehavior(QAbstractItemView::SelectItems);
        w->setEditTriggers(QAbstractItemView::NoEditTriggers);
        w->setTabKeyNavigation(false);
        // The top row is the model's: Qt must not scroll on its own when the
        // current cell moves.
        w->setAutoScroll(false);
        w->setVerticalScrollMode(QAbstractItemView::ScrollPerItem);
        w->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
        w->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);

        QObject::connect(w, &QTableWidget::currentCellChanged, w, [this](int row, int col, int, int) {
            if (b_.refreshing() || row < 0) return;
            b_.User([this, row, col] { m_.UserSelect(row + 1, col); });
        });
        QObject::connect(w, &QTableWidget::cellClicked, w, [this](int row, int col) {
            b_.User([this, row, col] { m_.UserClick(row + 1, col); });
        });
        // The header is the grid's row 0: a click there is the grid's to place.
        // Qt's own answer, selecting the whole column, is switched off.
        QHeaderView* header = w->horizontalHeader();
        QObject::disconnect(header, &QHeaderView::sectionPressed, w, nullptr);
        QObject::disconnect(header, &QHeaderView::sectionEntered, w, nullptr);
        QObject::connect(header, &QHeaderView::sectionClicked, w, [this](int col) {
            b_.User([this, col] { m_.UserClick(0, col); });
        });
        QObject::connect(w->verticalScrollBar(), &QScrollBar::valueChanged, w, [this](int v) {
            if (b_.refreshing()) return;
            b_.User([this, v] { m_.UserScroll(v + 1); });
        });
        // A cell selected from outside the grid's own mouse and keys (the
        // accessibility interface selects without moving the current cell)
        // is chosen as a click chooses it. A move of the current cell
        // selects its cell too, and raises its own signal; a press selects
        // where it was made, which need not be the current cell once the
        // grid has scrolled it into view.
        QObject::connect(w->selectionModel(), &QItemSelectionModel::selectionChanged, w,
                         [this](const QItemSelection& selected, const QItemSelection&) {
                             const QModelIndexList cells = selected.indexes();
                             if (b_.refreshing() || cells.size() != 1 || cells.front() == w_->currentIndex()) return;
                             if (QGuiApplication::mouseButtons() != Qt::NoButton) {
                                 selection_valid_ = false;  // the next refresh puts it back
                                 return;
                             }
                             const int row = cells.front().row(), col = cells.front().column();
                             b_.User([this, row, col] { m_.UserClick(row + 1, col); });
                         });
        w->setItemDelegateForColumn(0, new AxisCells(w));
        w->setItemDelegateForColumn(1, new ValueCells(w));
        w->verticalScrollBar()->setStyleSheet(QString::fromLatin1(kGridBarSheet));
        KeepOpaque::Install(w->verticalScrollBar());
        w->installEventFilter(new GridKeys(b, m, w));
        w->viewport()->installEventFilter(new GridShiftClicks(b, m, w));
    }

    void Refresh() override {
        state_.Sync(w_, m_);
        QSignalBlocker block(w_);
        // A taller grid shows more rows: the console keeps the current row
        // within as many as are in view.
        if (const int px = w_->viewport()->height(); px > 0 && w_->isVisible())
            m_.VisibleRows = std::max(1, px / std::max(1, w_->verticalHeader()->defaultSectionSize()));
        const int data_rows = std::max(m_.Rows() - 1, 0);
        if (w_->rowCount() != data_rows) Rebuild(data_rows);
        // The cells change only when the console refills or edits the grid;
        // most refreshes (every tick) skip them in one compare.
        if (!cells_valid_ || m_.Revision() != revision_) RefreshCells(data_rows);
        // The cursor as last applied: the user's moves reach the model first,
        // so the widget never differs from what was applied.
        const int want_row = Marked() ? m_.Row - 1 : -1;
        const int want_col = Marked() ? m_.Col : -1;
        if (want_row != row_ || want_col != col_) {
            w_->setCurrentCell(want_row, want_col);
            row_ = want_row;
            col_ = want_col;
        }
        // The top row against the scroll bar itself: before the grid is laid
        // out its range is empty and clamps what it is given. The view scrolls
        // through the bar's signal, so that one is not blocked; the refreshing
        // flag keeps it from reaching the model.
        QScrollBar* bar = w_->verticalScrollBar();
        if (bar->value() != m_.TopRow - 1) bar->setValue(m_.TopRow - 1);
        RefreshLooks(data_rows);
    }

   private:
    // Whether a row is marked: none while the grid's row stands for an
    // operating point there is not (no reading).
    bool Marked() const { return m_.Row >= 1 && !m_.NoReading; }
    // The selection and the marks, only when either moved since last
    // applied. The range is the view's own selection, so that everything
    // that asks the view (the accessibility interface) sees it; the user's
    // own clicks select one cell, as the model does.
    void RefreshLooks(int data_rows) {
        const int first = Marked() ? m_.SelFirst() : 0, last = first ? m_.SelLast() : 0;
        const bool selection_moved = !looks_valid_ || !selection_valid_ || first != sel_first_ || last != sel_last_;
        const bool marks_moved = !looks_valid_ || m_.MarkRevision() != marks_revision_;
        if (selection_moved) {
            QItemSelectionModel* sel = w_->selectionModel();
            if (first < 1 || last > data_rows) sel->clearSelection();
            else
                sel->select(QItemSelection(w_->model()->index(first - 1, 1), w_->model()->index(last - 1, 1)),
                            QItemSelectionModel::ClearAndSelect);
            sel_first_ = first;
            sel_last_ = last;
            selection_valid_ = true;
        }
        if (marks_moved) {
            marks_.resize(static_cast<std::size_t>(data_rows));
            for (int r = 0; r < data_rows; ++r) {
                const std::string* mark = m_.Mark(r + 1);
                std::optional<std::string>& had = marks_[static_cast<std::size_t>(r)];
                if (looks_valid_ && (mark ? had == *mark : !had)) continue;
                QTableWidgetItem* item = w_->item(r, 1);
                item->setData(kGridMarkRole, mark ? QVariant(Q(*mark)) : QVariant());
                item->setToolTip(mark ? QStringLiteral("Differs from reference: %1").arg(Q(*mark)) : QString());
                item->setData(Qt::AccessibleDescriptionRole,
                              mark ? QVariant(QStringLiteral("differs from reference: %1").arg(Q(*mark))) : QVariant());
                had = mark ? std::optional(*mark) : std::nullopt;
            }
            marks_revision_ = m_.MarkRevision();
        }
        looks_valid_ = true;
    }

    void RefreshCells(int data_rows) {
        for (int c = 0; c < form::Grid::Cols; ++c)
            if (header_[c].Changed(m_.Cell(0, c))) w_->horizontalHeaderItem(c)->setText(Q(m_.Cell(0, c)));
        for (int r = 0; r < data_rows; ++r)
            for (int c = 0; c < form::Grid::Cols; ++c) {
                const std::string& text = m_.Cell(r + 1, c);
                if (cells_[static_cast<std::size_t>(r * form::Grid::Cols + c)].Changed(text))
                    w_->item(r, c)->setText(Q(text));
            }
        revision_ = m_.Revision();
        cells_valid_ = true;
    }

    void Rebuild(int data_rows) {
        w_->setRowCount(data_rows);
        cells_valid_ = false;
        looks_valid_ = false;
        row_ = col_ = -2;
        cells_.assign(static_cast<std::size_t>(data_rows * form::Grid::Cols), CaptionCache{});
        header_[0] = header_[1] = CaptionCache{};
        for (int c = 0; c < form::Grid::Cols; ++c)
            if (!w_->horizontalHeaderItem(c)) w_->setHorizontalHeaderItem(c, new QTableWidgetItem);
        const QPalette pal = w_->palette();
        for (int r = 0; r < data_rows; ++r) {
            // Axis cells are not enabled: neither the mouse nor the arrow
            // keys can make one current, as in the grid this one stands for.
            auto* axis = new QTableWidgetItem;
            axis->setFlags(Qt::NoItemFlags);
            axis->setTextAlignment(Qt::AlignCenter);
            axis->setBackground(pal.color(QPalette::Button));
            axis->setForeground(pal.color(QPalette::ButtonText));
            w_->setItem(r, 0, axis);
            auto* data = new QTableWidgetItem;
            data->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable);
            data->setTextAlignment(Qt::AlignCenter);
            w_->setItem(r, 1, data);
        }
    }

    Binding& b_;
    form::Grid& m_;
    QTableWidget* w_;
    std::vector<CaptionCache> cells_;
    CaptionCache header_[form::Grid::Cols];
    int row_ = -2, col_ = -2;
    unsigned long revision_ = 0;
    bool cells_valid_ = false;
    std::vector<std::optional<std::string>> marks_;
    int sel_first_ = 0, sel_last_ = 0;
    unsigned long marks_revision_ = 0;
    bool looks_valid_ = false;
    bool selection_valid_ = false;
    ControlState state_;
};

class SliderBinder : public Binder {
   public:
    SliderBinder(Binding& b, form::Slider& m, QSlider* w) : m_(m), w_(w) {
        QObject::connect(w, &QSlider::valueChanged, w, [&b, &m](int v) {
            if (b.refreshing()) return;
            b.User([&m, v] { m.UserMove(v); });
        });
        WheelGuard::Install(w);
    }
    void Refresh() override {
        state_.Sync(w_, m_);
        QSignalBlocker block(w_);
        if (w_->minimum() != m_.Min || w_->maximum() != m_.Max) w_->setRange(m_.Min, m_.Max);
        if (w_->value() != m_.Value()) w_->setValue(m_.Value());
    }

   private:
    form::Slider& m_;
    QSlider* w_;
    ControlState state_;
};

class ProgressBinder : public Binder {
   public:
    ProgressBinder(form::ProgressBar& m, QProgressBar* w) : m_(m), w_(w) {}
    void Refresh() override {
        state_.Sync(w_, m_);
        if (w_->minimum() != m_.Min || w_->maximum() != m_.Max) w_->setRange(m_.Min, m_.Max);
        if (w_->value() != m_.Value) w_->setValue(m_.Value);
    }

   private:
    form::ProgressBar& m_;
    QProgressBar* w_;
    ControlState state_;
};

class PictureBinder : public Binder {
   public:
    PictureBinder(form::PictureBox& m, QWidget* w) : m_(m), w_(w) {}
    void Refresh() override {
        state_.Sync(w_, m_);
        if (auto* dial = dynamic_cast<DialFace*>(w_)) dial->SetNoReading(m_.NoReading);
        else if (auto* bar = dynamic_cast<BarFace*>(w_)) bar->SetNoReading(m_.NoReading);
    }

   private:
    form::PictureBox& m_;
    QWidget* w_;
    ControlState state_;
};

class LineBinder : public Binder {
   public:
    LineBinder(form::Line& m, DialFace* face, int part) : m_(m), face_(face), part_(part) {}
    void Refresh() override {
        if (valid_ && m_.X1 == x1_ && m_.Y1 == y1_ && m_.X2 == x2_ && m_.Y2 == y2_ && m_.Visible == visible_) return;
        x1_ = m_.X1, y1_ = m_.Y1, x2_ = m_.X2, y2_ = m_.Y2, visible_ = m_.Visible, valid_ = true;
        face_->SetNeedleLine(part_, QLineF(x1_, y1_, x2_, y2_), visible_);
    }

   private:
    form::Line& m_;
    DialFace* face_;
    int part_;
    float x1_ = 0, y1_ = 0, x2_ = 0, y2_ = 0;
    bool visible_ = true, valid_ = false;
};

class ShapeBinder : public Binder {
   public:
    ShapeBinder(form::Shape& m, BarFace* face) : m_(m), face_(face) {}
    void Refresh() override {
        if (valid_ && m_.Height == height_ && m_.Visible == visible_) return;
        height_ = m_.Height, visible_ = m_.Visible, valid_ = true;
        face_->SetBar(height_, visible_);
    }

   private:
    form::Shape& m_;
    BarFace* face_;
    float height_ = 0;
    bool visible_ = true, valid_ = false;
};

class TimerBinder : public Binder {
   public:
    TimerBinder(form::Timer& m, QTimer* t) : m_(m), t_(t) {}
    void Refresh() override {
        if (t_->interval() != m_.Interval) t_->setInterval(m_.Interval);
        // Until the window starts it, the timer stays off whatever the model says.
        if (!t_->property(kArmed).toBool()) return;
        if (t_->isActive() != m_.Enabled) m_.Enabled ? t_->start() : t_->stop();
    }
    static constexpr const char* kArmed = "orv_armed";

   private:
    form::Timer& m_;
    QTimer* t_;
};

class CaptionBinder : public Binder {
   public:
    CaptionBinder(const std::string& m, QWidget* w) : m_(m), w_(w) {}
    void Refresh() override {
        if (caption_.Changed(m_)) w_->setWindowTitle(Q(m_));
    }

   private:
    const std::string& m_;
    QWidget* w_;
    CaptionCache caption_;
};

class StatusBinder : public Binder {
   public:
    StatusBinder(const form::Form& f, QStatusBar* w) : f_(f), w_(w) {}
    void Refresh() override {
        const form::Form::NoticeKind kind = f_.KindOfNotice();
        if (!kind_ || *kind_ != kind) {
            kind_ = kind;
            // Light on the bar's dark grey, all three well above 4.5:1: a
            // success reads green, a failure red, anything else plain.
            const char* colour = kind == form::Form::NoticeKind::Done     ? "#7ee08a"
                                 : kind == form::Form::NoticeKind::Failed ? "#ff8f7f"
                                                                          : "#e4e4e0";
            w_->setStyleSheet(QStringLiteral("QStatusBar { background: #26292e; color: %1; }").arg(colour));
        }
        if (!text_.Changed(f_.Notice)) return;
        // Each message carries the time it was given: "since when" for a
        // lost link, and a message left from earlier reads as earlier.
        if (f_.Notice.empty()) w_->clearMessage();
        else w_->showMessage(QTime::currentTime().toString(QStringLiteral("HH:mm:ss")) + QStringLiteral("  ") + Q(f_.Notice));
    }

   private:
    const form::Form& f_;
    QStatusBar* w_;
    std::optional<form::Form::NoticeKind> kind_;
    CaptionCache text_;
};

}  // namespace

void Binding::Bind(form::Frame& c, QGroupBox* w) { Add<FrameBinder>(c, w); }
void Binding::Bind(form::Label& c, QLabel* w) { Add<LabelBinder>(c, w); }
void Binding::Bind(form::TextBox& c, LineEdit* w) { Add<TextBinder>(*this, c, w); }
void Binding::Bind(form::CommandButton& c, QPushButton* w) { Add<ButtonBinder>(*this, c, w); }
void Binding::Bind(form::OptionButton& c, QRadioButton* w) { Add<OptionBinder>(*this, c, w); }
void Binding::Bind(form::CheckBox& c, QCheckBox* w) { Add<CheckBinder>(*this, c, w); }
void Binding::Bind(form::ScrollBar& c, QScrollBar* w) { Add<ScrollBinder>(*this, c, w); }
void Binding::Bind(form::ComboBox& c, QComboBox* w) { Add<ComboBinder>(*this, c, w); }
void Binding::Bind(form::Grid& c, QTableWidget* w) { Add<GridBinder>(*this, c, w); }
void Binding::Bind(form::Slider& c, QSlider* w) { Add<SliderBinder>(*this, c, w); }
void Binding::Bind(form::ProgressBar& c, QProgressBar* w) { Add<ProgressBinder>(c, w); }
void Binding::Bind(form::PictureBox& c, QWidget* w) { Add<PictureBinder>(c, w); }
void Binding::Bind(form::Line& c, DialFace* face, int part) { Add<LineBinder>(c, face, part); }
void Binding::Bind(form::Shape& c, BarFace* face) { Add<ShapeBinder>(c, face); }
void Binding::Bind(form::Timer& c, QTimer* t) { Add<TimerBinder>(c, t); }
void Binding::BindCaption(const std::string& caption, QWidget* window) { Add<CaptionBinder>(caption, window); }

void Binding::BindStatus(const form::Form& form, QStatusBar* bar) { Add<StatusBinder>(form, bar); }

void Binding::ArmTimer(QTimer* t) { t->setProperty(TimerBinder::kArmed, true); }

void Binding::User(const std::function<void()>& action) {
    if (closed_) return;
    run_event_(action);
}

void Binding::Refresh() {
    if (closed_) return;
    // A user event can arrive while widgets are being set (disabling the
    // focused text box moves the focus and raises LostFocus); its changes are
    // picked up by another pass.
    if (refreshing_) {
        again_ = true;
        return;
    }
    refreshing_ = true;
    for (int pass = 0; pass < 3; ++pass) {
        again_ = false;
        for (auto& b : binders_) b->Refresh();
        if (!again_) break;
    }
    refreshing_ = false;
}

}  // namespace orv::app
