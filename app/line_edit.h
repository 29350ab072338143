#pragma once
// A text box that reports what the console's text boxes raise: Click on a
// mouse press, KeyPress with the character code once the key has changed the
// text, LostFocus when the focus moves to another control.
#include <QLineEdit>
#include <functional>

class QKeyEvent;

namespace orv::app {

// The character code a key press carries: Enter is 13, printable keys their
// character; keys without a character (arrows, shift) give 0.
int KeyCode(const QKeyEvent& event);

class LineEdit : public QLineEdit {
   public:
    using QLineEdit::QLineEdit;

    std::function<void()> on_press;
    std::function<void(int)> on_key;
    std::function<void()> on_focus_out;

   protected:
    void mousePressEvent(QMouseEvent* e) override;
    void keyPressEvent(QKeyEvent* e) override;
    void focusOutEvent(QFocusEvent* e) override;
};

}  // namespace orv::app
