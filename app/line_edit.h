#pragma once
// A text box that reports what the console's text boxes raise: Click on a
// mouse press, KeyPress with the character code once the key has changed the
// text, LostFocus when the focus moves to another control.
#include <QColor>
#include <QLineEdit>
#include <functional>
#include <optional>

class QKeyEvent;

namespace orv::app {

// The character code a key press carries: Enter is 13, printable keys their
// character; keys without a character (arrows, shift) give 0.
int KeyCode(const QKeyEvent& event);

class LineEdit : public QLineEdit {
   public:
    explicit LineEdit(QWidget* parent = nullptr);

    // None: the window's own text colour.
    void SetTextColour(std::optional<QColor> colour);
    // A refused entry: a red frame and the reason as the box's tooltip, shown
    // at once, until the next key.
    void FlashRefusal(const QString& why);
    bool flashing() const { return refused_; }
    // A mark (empty: none): a cyan frame and the text as the box's tooltip,
    // for as long as it stands; a refusal's flash shows over it.
    void SetMark(const QString& tip);
    const QString& mark() const { return mark_; }

    std::function<void()> on_press;
    std::function<void(int)> on_key;
    std::function<void()> on_focus_out;

   protected:
    void mousePressEvent(QMouseEvent* e) override;
    void keyPressEvent(QKeyEvent* e) override;
    void focusOutEvent(QFocusEvent* e) override;

   private:
    void ApplySheet();
    std::optional<QColor> colour_;
    bool refused_ = false;
    QString refused_text_;
    QString mark_;
};

}  // namespace orv::app
