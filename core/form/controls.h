#pragma once
// The window's controls as plain data, with the toolkit's event semantics:
// a setter that changes a value raises the control's handler, one that does
// not change it raises nothing. Methods named User* stand for what a user
// does with the control; the Qt layer calls them, and so do tests.
#include <array>
#include <functional>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "core/form/keys.h"

namespace orv::form {

using Handler = std::function<void()>;

inline void Raise(const Handler& h) {
    if (h) h();
}

struct Control {
    bool Enabled = true;
    bool Visible = true;
    // Set on a read-out, dial or bar while it holds no reading: no live data
    // arrive and no recording is on show. The window draws it as empty. On a
    // grid: its current row stands for an operating point there is not, and
    // the window marks no row.
    bool NoReading = false;
};

struct Frame : Control {
    std::string Caption;
};

struct Label : Control {
    std::string Caption;
};

struct PictureBox : Control {};

// A colour by its red, green and blue components, 0..255.
struct Rgb {
    int r = 0, g = 0, b = 0;
    bool operator==(const Rgb&) const = default;
};

struct TextBox : Control {
    std::string Text;
    // Shows a value and takes no typing: from the keyboard, the mouse or
    // assistive technology alike.
    bool Locked = false;
    // None: the window's own text colour.
    std::optional<Rgb> ForeColor;
    // Why the last entry was refused, and how many were: the window flags
    // the box for a moment each time the count moves.
    std::string Refusal;
    unsigned long Refusals = 0;
    void Refuse(std::string why) {
        Refusal = std::move(why);
        ++Refusals;
    }
    Handler on_click, on_lost_focus;
    std::function<void(int)> on_key_press;

    void UserClick() { Raise(on_click); }
    void UserKeyPress(int code) {
        if (on_key_press) on_key_press(code);
    }
    void UserLostFocus() { Raise(on_lost_focus); }
    // Typing and pressing Enter, as a user does it.
    void UserType(const std::string& text) {
        if (Locked) return;
        Text = text;
        UserKeyPress(kKeyEnter);
    }
};

struct CommandButton : Control {
    std::string Caption;
    Handler on_click;
    void UserClick() { Raise(on_click); }
};

struct OptionButton;

// The option buttons of one frame: selecting one deselects the others.
struct OptionGroup {
    std::vector<OptionButton*> members;
};

struct OptionButton : Control {
    std::string Caption;
    Handler on_click;
    OptionGroup* group = nullptr;

    bool Value() const { return value_; }
    // Selecting deselects the rest of the group silently, then raises Click.
    // Deselecting raises nothing.
    void SetValue(bool v);
    void UserClick() { SetValue(true); }

   private:
    bool value_ = false;
};

struct CheckBox : Control {
    std::string Caption;
    Handler on_click;

    int Value() const { return value_; }  // 0 cleared, 1 ticked
    void SetValue(int v) {
        if (v == value_) return;
        value_ = v;
        Raise(on_click);
    }
    void UserClick() { SetValue(value_ ? 0 : 1); }

   private:
    int value_ = 0;
};

struct ScrollBar : Control {
    Handler on_change, on_scroll;

    int Value() const { return value_; }
    int Min() const { return min_; }
    int Max() const { return max_; }
    // Code setting the position: clamped to the range; Change if it moved.
    void SetValue(int v);
    // Setting the range keeps the position inside it, silently.
    void SetMin(int v);
    void SetMax(int v);
    void SetRange(int lo, int hi) {
        SetMin(lo);
        SetMax(hi);
    }
    // Places the thumb without raising anything: for a display that must not
    // write back what it shows.
    void Place(int v);
    // Shows a stored value: inside the range through SetValue (so Change runs
    // and writes the same value back); outside it at the nearest end, silently,
    // so a foreign value is never replaced merely by being shown.
    void ShowStored(long v);
    // The thumb is being dragged: Scroll for every new position.
    void UserScroll(int v);
    // The user committed a position (arrow, page, end of a drag): Change if
    // the position moved or a drag went before.
    void UserChange(int v);

   private:
    int Clamp(int v) const { return v < min_ ? min_ : (v > max_ ? max_ : v); }
    int value_ = 0, min_ = 0, max_ = 32767;
    bool dragged_ = false;
};

struct ComboBox : Control {
    std::vector<std::string> items;
    Handler on_click;

    int ListIndex() const { return index_; }  // -1: nothing selected
    void SetListIndex(int i) {
        if (i < -1 || i >= static_cast<int>(items.size())) i = -1;
        if (i == index_) return;
        index_ = i;
        Raise(on_click);
    }
    void UserSelect(int i) { SetListIndex(i); }

   private:
    int index_ = -1;
};

// A two-column grid with one fixed header row and one fixed axis column,
// showing VisibleRows data rows at a time. Code moving the selection or
// scrolling raises nothing; the user's actions raise SelChange, Click and
// Scroll. A click or move onto the header row or the axis column lands on the
// data cell of that row, and the user's moves keep the current row in view.
//
// Beside the current row the user may hold a range of rows: from SelAnchor
// to Row. Extending moves Row exactly as a click or a move does, raising the
// same events, and keeps the anchor; a plain click or move, a new row count,
// or any other move of Row leaves the current row alone in the range again.
// Each data row may also carry a mark: a text the window shows on its value
// cell (the value a reference map holds there).
struct Grid : Control {
    static constexpr int Cols = 2;
    // The fewest data rows a grid shows; a taller grid shows more, and the
    // window says how many in VisibleRows.
    static constexpr int kVisibleRows = 10;
    int VisibleRows = kVisibleRows;
    int Row = 0, Col = 0, TopRow = 1;
    std::array<int, Cols> ColWidth{400, 400};
    Handler on_click, on_scroll, on_sel_change;
    // A character typed while the grid has the focus.
    std::function<void(int)> on_key_press;

    int Rows() const { return rows_; }
    void SetRows(int n);
    const std::string& Cell(int row, int col) const;
    void SetCell(int row, int col, std::string text);
    // Text of the current cell.
    const std::string& Text() const { return Cell(Row, Col); }
    void SetText(std::string text) { SetCell(Row, Col, std::move(text)); }
    // Counts every change of the cells' texts or of the row count, so that a
    // view can tell in one compare whether it must look at the cells at all.
    unsigned long Revision() const { return revision_; }

    void UserClick(int row, int col);
    void UserSelect(int row, int col);
    void UserScroll(int top_row);
    void UserKeyPress(int code) {
        if (on_key_press) on_key_press(code);
    }
    // Shift with a click (`click`) or with a move: Row goes to `row` of the
    // data column as UserClick or UserSelect would take it there.
    void UserExtend(int row, bool click = false);

    // The anchor of the range (0: none); meaningful while SelFirst() says so.
    int SelAnchor = 0;
    // The rows of the range, the first and the last; both Row with no range,
    // 0 with no current data row.
    int SelFirst() const;
    int SelLast() const;
    int SelCount() const { return Row >= 1 ? SelLast() - SelFirst() + 1 : 0; }

    // The mark of data row `row`, nullptr for none.
    const std::string* Mark(int row) const;
    void SetMark(int row, std::optional<std::string> text);
    void ClearMarks();
    // Counts every change of the marks, as Revision() does for the cells.
    unsigned long MarkRevision() const { return mark_revision_; }

   private:
    bool MoveTo(int row, int col);
    void KeepInView();
    bool RangeHeld() const { return SelAnchor >= 1 && SelAnchor < rows_ && Row >= 1 && Row == sel_row_; }
    int rows_ = 0;
    std::vector<std::string> cells_;
    unsigned long revision_ = 0;
    int sel_row_ = 0;  // Row as extending left it
    std::vector<std::optional<std::string>> marks_;
    unsigned long mark_revision_ = 0;
};

// Gauge needle line, end points in twips.
struct Line : Control {
    float X1 = 0, Y1 = 0, X2 = 0, Y2 = 0;
};

// Filled rectangle used as a bar; only its height moves, in twips.
struct Shape : Control {
    float Height = 0;
};

struct Slider : Control {
    int Min = 0, Max = 600;
    Handler on_user_move;
    int Value() const { return value_; }
    // Code moves raise nothing.
    void SetValue(int v) { value_ = v < Min ? Min : (v > Max ? Max : v); }
    void UserMove(int v) {
        SetValue(v);
        Raise(on_user_move);
    }

   private:
    int value_ = 0;
};

struct ProgressBar : Control {
    int Min = 0, Max = 100, Value = 0;
};

struct Timer {
    int Interval = 100;
    bool Enabled = true;
};

}  // namespace orv::form
