#include "app/accessibility.h"

#include <QAbstractButton>
#include <QAccessibleWidget>
#include <QCheckBox>
#include <QLineEdit>
#include <QRadioButton>

#include "app/accessible_names.h"

namespace orv::app {

namespace {

// Marks the widgets these interfaces serve: the window's own controls.
constexpr const char* kControl = "orv_control";

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
            if (Usable(widget())) button()->click();
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
        st.focusable = true;
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

QAccessibleInterface* Factory(const QString& class_name, QObject* object) {
    if (!object || !object->isWidgetType() || !object->property(kControl).toBool()) return nullptr;
    if (class_name == QLatin1String("QRadioButton") || class_name == QLatin1String("QCheckBox") ||
        class_name == QLatin1String("QPushButton"))
        return new ButtonAccessible(static_cast<QAbstractButton*>(object));
    if (class_name == QLatin1String("QLineEdit")) return new LineEditAccessible(static_cast<QLineEdit*>(object));
    return nullptr;
}

}  // namespace

void MakeAccessible(QWidget* w, const std::string& control, const std::string& caption) {
    static const bool installed = [] {
        QAccessible::installFactory(Factory);
        return true;
    }();
    (void)installed;
    w->setProperty(kControl, true);
    w->setAccessibleName(QString::fromStdString(AccessibleName(control, caption)));
}

}  // namespace orv::app
