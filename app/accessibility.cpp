#include "app/accessibility.h"

#include <QAbstractButton>
#include <QAbstractItemView>
#include <QAccessibleWidget>
#include <QCheckBox>
#include <QComboBox>
#include <QEvent>
#include <QHash>
#include <QHelpEvent>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QPointer>
#include <QProgressBar>
#include <QRadioButton>
#include <QStatusBar>
#include <QTableWidget>
#include <QToolTip>
#include <algorithm>
#include <utility>
#include <vector>

#include "app/accessible_names.h"

namespace orv::app {

namespace {

// Marks the widgets these interfaces serve: the window's own controls.
constexpr const char* kControl = "orv_control";
// The role a plot window or chart plays (QAccessible::Role).
constexpr const char* kRole = "orv_role";

bool Usable(const QWidget* w) { return w->isEnabled() && w->isVisible(); }

// Buttons, option buttons and the check box. The user's click is the only
// road to the console, so both actions click: Qt's own would toggle an
// option button behind the console's back, or click only later.
class ButtonAccessible : public QAccessibleWidget {
   public:
    explicit ButtonAccessible(QAbstractButton* w) : QAccessibleWidget(w, RoleOf(w)) {}

    QString text(QAccessible::Text t) const override {
        if (t == QAccessible::Name && widget()->accessibleName().isEmpty()) return button()->text().trimmed();
        return QAccessibleWidget::text(t);
    }
    QAccessible::State state() const override {
        QAccessible::State st = QAccessibleWidget::state();
        if (button()->isCheckable()) {
            st.checkable = true;
            st.checked = button()->isChecked();
        }
        if (button()->isDown()) st.pressed = true;
        return st;
    }
    QStringList actionNames() const override {
        QStringList names;
        if (button()->isCheckable()) names << toggleAction();
        names << pressAction();
        return names + QAccessibleWidget::actionNames();
    }
    void doAction(const QString& action) override {
        if (action == pressAction() || action == toggleAction()) {
            // The click comes from the event loop, after the caller has its
            // answer: a button that opens a dialog waits in it until the
            // dialog closes, and a screen reader must not wait with it.
            QPointer<QAbstractButton> b = button();
            QMetaObject::invokeMethod(
                b, [b] {
                    if (b && Usable(b)) b->click();
                },
                Qt::QueuedConnection);
            return;
        }
        QAccessibleWidget::doAction(action);
    }

   private:
    static QAccessible::Role RoleOf(const QAbstractButton* w) {
        if (qobject_cast<const QRadioButton*>(w)) return QAccessible::RadioButton;
        if (qobject_cast<const QCheckBox*>(w)) return QAccessible::CheckBox;
        return QAccessible::Button;
    }
    QAbstractButton* button() const { return static_cast<QAbstractButton*>(widget()); }
};

// A text box. Every change goes through the box's own editing commands, the
// ones the keyboard uses, so the console hears of it exactly as of typing.
class LineEditAccessible : public QAccessibleWidget,
                           public QAccessibleTextInterface,
                           public QAccessibleEditableTextInterface {
   public:
    explicit LineEditAccessible(QLineEdit* w) : QAccessibleWidget(w, QAccessible::EditableText) {}

    void* interface_cast(QAccessible::InterfaceType t) override {
        if (t == QAccessible::TextInterface) return static_cast<QAccessibleTextInterface*>(this);
        if (t == QAccessible::EditableTextInterface) return static_cast<QAccessibleEditableTextInterface*>(this);
        return QAccessibleWidget::interface_cast(t);
    }
    QString text(QAccessible::Text t) const override {
        if (t == QAccessible::Value) return edit()->text();
        return QAccessibleWidget::text(t);
    }
    void setText(QAccessible::Text t, const QString& text) override {
        if (t != QAccessible::Value) return QAccessibleWidget::setText(t, text);
        if (text == edit()->text()) return;
        replaceText(0, characterCount(), text);
    }
    QAccessible::State state() const override {
        QAccessible::State st = QAccessibleWidget::state();
        st.editable = !edit()->isReadOnly();
        st.readOnly = edit()->isReadOnly();
        st.selectableText = true;
        st.focusable = widget()->focusPolicy() != Qt::NoFocus;
        return st;
    }

    // Text
    void selection(int index, int* start, int* end) const override {
        *start = *end = 0;
        if (index != 0 || !edit()->hasSelectedText()) return;
        *start = edit()->selectionStart();
        *end = *start + edit()->selectionLength();
    }
    int selectionCount() const override { return edit()->hasSelectedText() ? 1 : 0; }
    void addSelection(int start, int end) override { setSelection(0, start, end); }
    void removeSelection(int) override { edit()->deselect(); }
    void setSelection(int, int start, int end) override { edit()->setSelection(start, end - start); }
    int cursorPosition() const override { return edit()->cursorPosition(); }
    void setCursorPosition(int position) override { edit()->setCursorPosition(position); }
    QString text(int start, int end) const override { return edit()->text().mid(start, end - start); }
    int characterCount() const override { return static_cast<int>(edit()->text().size()); }
    QRect characterRect(int offset) const override {
        const QString shown = edit()->displayText();
        const QFontMetrics fm = edit()->fontMetrics();
        const QRect inside = edit()->contentsRect().marginsRemoved(edit()->textMargins());
        const int x = inside.left() + fm.horizontalAdvance(shown.left(offset));
        const int w = offset < shown.size() ? fm.horizontalAdvance(shown.at(offset)) : 1;
        return QRect(edit()->mapToGlobal(QPoint(x, inside.top())), QSize(w, inside.height()));
    }
    int offsetAtPoint(const QPoint& point) const override {
        return edit()->cursorPositionAt(edit()->mapFromGlobal(point));
    }
    void scrollToSubstring(int start, int end) override {
        edit()->setCursorPosition(end);
        edit()->setCursorPosition(start);
    }
    QString attributes(int, int* start, int* end) const override {
        *start = 0;
        *end = characterCount();
        return {};
    }

    // Editable text
    void deleteText(int start, int end) override { replaceText(start, end, {}); }
    void insertText(int offset, const QString& text) override { replaceText(offset, offset, text); }
    void replaceText(int start, int end, const QString& text) override {
        QLineEdit* e = edit();
        if (e->isReadOnly() || !Usable(e)) return;
        e->setSelection(start, end - start);
        if (text.isEmpty()) {
            if (e->hasSelectedText()) e->del();
        } else {
            e->insert(text);
        }
    }

   private:
    QLineEdit* edit() const { return static_cast<QLineEdit*>(widget()); }
};

// The port list: called by its own name, its choice as its value. (Qt's
// own names a combo box by its current text on this platform.)
class ComboAccessible : public QAccessibleWidget {
   public:
    explicit ComboAccessible(QComboBox* w) : QAccessibleWidget(w, QAccessible::ComboBox) {}

    QString text(QAccessible::Text t) const override {
        if (t == QAccessible::Value) return combo()->currentText();
        return QAccessibleWidget::text(t);
    }
    int childCount() const override { return 1; }
    QAccessibleInterface* child(int index) const override {
        return index == 0 ? QAccessible::queryAccessibleInterface(combo()->view()) : nullptr;
    }
    int indexOfChild(const QAccessibleInterface* child) const override {
        return child && child->object() == combo()->view() ? 0 : -1;
    }
    QStringList actionNames() const override { return {showMenuAction()}; }
    void doAction(const QString& action) override {
        if (action == showMenuAction() && Usable(widget())) combo()->showPopup();
    }

   private:
    QComboBox* combo() const { return static_cast<QComboBox*>(widget()); }
};

// The transfer's progress: its value, read only. The value interface says
// how far the transfer is; nothing sets it from outside, and it offers no
// action (no Increase or Decrease, which a progress bar cannot take).
class ProgressAccessible : public QAccessibleWidget, public QAccessibleValueInterface {
   public:
    explicit ProgressAccessible(QProgressBar* w) : QAccessibleWidget(w, QAccessible::ProgressBar) {}

    void* interface_cast(QAccessible::InterfaceType t) override {
        if (t == QAccessible::ValueInterface) return static_cast<QAccessibleValueInterface*>(this);
        return QAccessibleWidget::interface_cast(t);
    }
    QString text(QAccessible::Text t) const override {
        if (t == QAccessible::Value) return bar()->text();
        return QAccessibleWidget::text(t);
    }
    QAccessible::State state() const override {
        QAccessible::State st = QAccessibleWidget::state();
        st.readOnly = true;
        return st;
    }
    QStringList actionNames() const override { return {}; }

    // Value
    QVariant currentValue() const override { return bar()->value(); }
    void setCurrentValue(const QVariant&) override {}
    QVariant maximumValue() const override { return bar()->maximum(); }
    QVariant minimumValue() const override { return bar()->minimum(); }
    QVariant minimumStepSize() const override { return 0; }

   private:
    QProgressBar* bar() const { return static_cast<QProgressBar*>(widget()); }
};

// The menu bar: its menus as Qt's own lists them, then the buttons at its
// end (the log's), which Qt's own leaves out of the tree.
class MenuBarAccessible : public QAccessibleWidget {
   public:
    explicit MenuBarAccessible(QMenuBar* w) : QAccessibleWidget(w, QAccessible::MenuBar) {}

    QString text(QAccessible::Text t) const override {
        if (t == QAccessible::Name && widget()->accessibleName().isEmpty()) return QStringLiteral("Menu bar");
        return QAccessibleWidget::text(t);
    }
    int childCount() const override { return static_cast<int>(Children().size()); }
    QAccessibleInterface* child(int index) const override {
        const std::vector<QAccessibleInterface*> all = Children();
        return index >= 0 && index < static_cast<int>(all.size()) ? all[static_cast<std::size_t>(index)] : nullptr;
    }
    int indexOfChild(const QAccessibleInterface* child) const override {
        const std::vector<QAccessibleInterface*> all = Children();
        const auto at = std::find(all.begin(), all.end(), child);
        return at == all.end() ? -1 : static_cast<int>(at - all.begin());
    }
    QAccessibleInterface* childAt(int x, int y) const override {
        for (QAccessibleInterface* c : Children())
            if (c->rect().contains(x, y)) return c;
        return nullptr;
    }

   private:
    QMenuBar* bar() const { return static_cast<QMenuBar*>(widget()); }
    // A menu's entry in the bar is Qt's: the menu's parent in the tree.
    std::vector<QAccessibleInterface*> Children() const {
        std::vector<QAccessibleInterface*> all;
        for (QAction* a : bar()->actions()) {
            if (!a->isVisible()) continue;
            QAccessibleInterface* entry = QAccessible::queryAccessibleInterface(a);
            if (!entry && a->menu())
                if (QAccessibleInterface* menu = QAccessible::queryAccessibleInterface(a->menu()))
                    entry = menu->parent();
            if (entry && entry->object() == a) all.push_back(entry);
        }
        for (Qt::Corner corner : {Qt::TopLeftCorner, Qt::TopRightCorner})
            if (QWidget* w = bar()->cornerWidget(corner); w && w->isVisible())
                if (QAccessibleInterface* i = QAccessible::queryAccessibleInterface(w)) all.push_back(i);
        return all;
    }
};

// The status bar: named by its message, and by what it is while it has none.
class StatusAccessible : public QAccessibleWidget {
   public:
    explicit StatusAccessible(QStatusBar* w) : QAccessibleWidget(w, QAccessible::StatusBar) {}

    QString text(QAccessible::Text t) const override {
        const QString message = static_cast<QStatusBar*>(widget())->currentMessage();
        if (t == QAccessible::Name && widget()->accessibleName().isEmpty())
            return message.isEmpty() ? QStringLiteral("Status") : message;
        if (t == QAccessible::Value) return message;
        return QAccessibleWidget::text(t);
    }
};

QAccessibleInterface* Factory(const QString& class_name, QObject* object) {
    if (!object || !object->isWidgetType()) return nullptr;
    auto* w = static_cast<QWidget*>(object);
    if (const QVariant role = w->property(kRole); role.isValid())
        return new QAccessibleWidget(w, static_cast<QAccessible::Role>(role.toInt()));
    if (class_name == QLatin1String("QStatusBar")) return new StatusAccessible(static_cast<QStatusBar*>(w));
    if (class_name == QLatin1String("QMenuBar")) return new MenuBarAccessible(static_cast<QMenuBar*>(w));
    if (!object->property(kControl).toBool()) return nullptr;
    if (class_name == QLatin1String("QComboBox")) return new ComboAccessible(static_cast<QComboBox*>(w));
    if (class_name == QLatin1String("QProgressBar")) return new ProgressAccessible(static_cast<QProgressBar*>(w));
    if (class_name == QLatin1String("QRadioButton") || class_name == QLatin1String("QCheckBox") ||
        class_name == QLatin1String("QPushButton"))
        return new ButtonAccessible(static_cast<QAbstractButton*>(object));
    if (class_name == QLatin1String("QLineEdit")) return new LineEditAccessible(static_cast<QLineEdit*>(object));
    return nullptr;
}

void InstallFactory() {
    static const bool installed = [] {
        QAccessible::installFactory(Factory);
        return true;
    }();
    (void)installed;
}

// Keeps each control's own tooltip as the one it falls back to.
class ToolTips : public QObject {
   public:
    ToolTips(QWidget* window, const std::map<std::string, QWidget*>& controls) : QObject(window), window_(window) {
        for (const auto& [name, w] : controls) {
            const QString tip = QString::fromStdString(ToolTip(name));
            if (tip.isEmpty()) continue;
            Set(w, tip);
            w->installEventFilter(this);
            if (auto* grid = qobject_cast<QAbstractItemView*>(w)) grid->viewport()->installEventFilter(this);
        }
        // The table output says whose value it shows. The window sets the
        // mode buttons quietly when the console changes the mode; a repaint
        // of "Edit" or a tooltip about to show catches up with it.
        edit_ = qobject_cast<QAbstractButton*>(Find(controls, "edit"));
        for (const char* name : {"showtinj1", "showduty"})
            if (QWidget* w = Find(controls, name)) outputs_.emplace_back(name, w);
        if (edit_) {
            for (const char* mode : {"edit", "monitor"})
                if (auto* b = qobject_cast<QAbstractButton*>(Find(controls, mode)))
                    QObject::connect(b, &QAbstractButton::toggled, this, [this] { FollowMode(); });
            FollowMode();
        }
        window->installEventFilter(this);
    }

   protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (watched == window_) {
            if (event->type() == QEvent::Show && !menus_described_) DescribeMenus();
            return false;
        }
        if (watched == edit_ && event->type() == QEvent::Paint) FollowMode();
        if (event->type() == QEvent::ToolTip) FollowMode();
        if (event->type() == QEvent::ToolTipChange) {
            auto* w = static_cast<QWidget*>(watched);
            if (w->toolTip().isEmpty() && base_.contains(w)) w->setToolTip(base_.value(w));
            return false;
        }
        if (event->type() == QEvent::ToolTip) {
            // A cell whose tooltip was cleared (a mark gone) shows its grid's.
            auto* grid = qobject_cast<QAbstractItemView*>(watched->parent());
            if (!grid || watched != grid->viewport()) return false;
            auto* help = static_cast<QHelpEvent*>(event);
            const QModelIndex at = grid->indexAt(help->pos());
            if (at.isValid() && !at.data(Qt::ToolTipRole).toString().isEmpty()) return false;
            QToolTip::showText(help->globalPos(), grid->toolTip(), grid->viewport());
            return true;
        }
        return false;
    }

   private:
    static QWidget* Find(const std::map<std::string, QWidget*>& controls, const char* name) {
        auto it = controls.find(name);
        return it == controls.end() ? nullptr : it->second;
    }
    void Set(QWidget* w, const QString& tip) {
        const QString before = base_.value(w);
        if (before == tip) return;
        base_.insert(w, tip);
        if (w->toolTip().isEmpty() || w->toolTip() == before) w->setToolTip(tip);
    }
    void FollowMode() {
        if (!edit_) return;
        for (const auto& [name, w] : outputs_) Set(w, QString::fromStdString(ToolTip(name, edit_->isChecked())));
    }
    void DescribeMenus() {
        menus_described_ = true;
        for (QMenu* menu : window_->findChildren<QMenu*>()) {
            menu->setToolTipsVisible(true);
            for (QAction* a : menu->actions()) {
                const QString tip = QString::fromStdString(ToolTip(a->objectName().toStdString()));
                if (!tip.isEmpty()) a->setToolTip(tip);
            }
        }
    }

    QWidget* window_;
    QAbstractButton* edit_ = nullptr;
    std::vector<std::pair<std::string, QWidget*>> outputs_;
    QHash<QWidget*, QString> base_;
    bool menus_described_ = false;
};

}  // namespace

void DescribeControls(QWidget* window, const std::map<std::string, QWidget*>& controls) {
    new ToolTips(window, controls);
}

void ExposeWindow(QWidget* w) {
    InstallFactory();
    w->setProperty(kRole, static_cast<int>(QAccessible::Window));
}

void ExposeChart(QWidget* view, const QString& name) {
    InstallFactory();
    view->setProperty(kRole, static_cast<int>(QAccessible::Chart));
    view->setAccessibleName(name);
}

void MakeAccessible(QWidget* w, const std::string& control, const std::string& caption) {
    InstallFactory();
    w->setProperty(kControl, true);
    w->setAccessibleName(QString::fromStdString(AccessibleName(control, caption)));
}

}  // namespace orv::app
