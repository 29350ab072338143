#include "app/line_edit.h"

#include <QFocusEvent>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QToolTip>

namespace orv::app {

int KeyCode(const QKeyEvent& event) {
    if (event.key() == Qt::Key_Return || event.key() == Qt::Key_Enter) return 13;
    const QString text = event.text();
    if (text.isEmpty()) return 0;
    const char16_t c = text.at(0).unicode();
    // The console works in single-byte characters; others arrive as '?'.
    return c < 256 ? c : '?';
}

LineEdit::LineEdit(QWidget* parent) : QLineEdit(parent) {
    // The next key, in the box or on its grid, changes the refused text and
    // takes the mark away; Enter on it again brings it back.
    QObject::connect(this, &QLineEdit::textChanged, this, [this](const QString& now) {
        if (!refused_ || now == refused_text_) return;
        refused_ = false;
        setToolTip(mark_);
        ApplySheet();
        QToolTip::hideText();
    });
}

void LineEdit::SetMark(const QString& tip) {
    if (tip == mark_) return;
    mark_ = tip;
    if (!refused_) setToolTip(mark_);
    ApplySheet();
}

void LineEdit::SetTextColour(std::optional<QColor> colour) {
    colour_ = colour;
    ApplySheet();
}

void LineEdit::FlashRefusal(const QString& why) {
    refused_ = true;
    refused_text_ = text();
    setToolTip(why);
    ApplySheet();
    if (isVisible()) QToolTip::showText(mapToGlobal(QPoint(0, height())), why, this);
}

// The window's style sheet sets the text colour and the frame, so a palette
// would not show: the box's own sheet overrides them.
void LineEdit::ApplySheet() {
    QString rules;
    if (colour_) rules += QStringLiteral("color: %1; ").arg(colour_->name());
    if (refused_) rules += QStringLiteral("border: 2px solid #e5484d; background: #3a1618; ");
    else if (!mark_.isEmpty()) rules += QStringLiteral("border: 1px solid #4cd2ee; background: #0e3a48; ");
    setStyleSheet(rules.isEmpty() ? QString() : QStringLiteral("QLineEdit { %1}").arg(rules));
}

void LineEdit::mousePressEvent(QMouseEvent* e) {
    QLineEdit::mousePressEvent(e);
    if (on_press && e->button() == Qt::LeftButton) on_press();
}

void LineEdit::keyPressEvent(QKeyEvent* e) {
    QLineEdit::keyPressEvent(e);
    const int code = KeyCode(*e);
    if (code != 0 && on_key) on_key(code);
}

void LineEdit::focusOutEvent(QFocusEvent* e) {
    QLineEdit::focusOutEvent(e);
    // Switching to another application or opening a menu is no LostFocus:
    // the control still has the focus inside the window.
    if (e->reason() == Qt::ActiveWindowFocusReason || e->reason() == Qt::PopupFocusReason) return;
    if (on_focus_out) on_focus_out();
}

}  // namespace orv::app
