#include "core/form/controls.h"

namespace orv::form {

void OptionButton::SetValue(bool v) {
    if (v == value_) return;
    value_ = v;
    if (!v) return;
    if (group)
        for (OptionButton* other : group->members)
            if (other != this) other->value_ = false;
    Raise(on_click);
}

void ScrollBar::SetValue(int v) {
    v = Clamp(v);
    if (v == value_) return;
    value_ = v;
    Raise(on_change);
}

void ScrollBar::SetMin(int v) {
    min_ = v;
    if (max_ < min_) max_ = min_;
    value_ = Clamp(value_);
}

void ScrollBar::SetMax(int v) {
    max_ = v;
    if (min_ > max_) min_ = max_;
    value_ = Clamp(value_);
}

void ScrollBar::Place(int v) { value_ = Clamp(v); }

void ScrollBar::ShowStored(long v) {
    if (v >= min_ && v <= max_) SetValue(static_cast<int>(v));
    else Place(v < min_ ? min_ : max_);
}

void ScrollBar::UserScroll(int v) {
    v = Clamp(v);
    dragged_ = true;
    if (v == value_) return;
    value_ = v;
    Raise(on_scroll);
}

void ScrollBar::UserChange(int v) {
    v = Clamp(v);
    bool raise = v != value_ || dragged_;
    dragged_ = false;
    value_ = v;
    if (raise) Raise(on_change);
}

void Grid::SetRows(int n) {
    n = n < 0 ? 0 : n;
    if (n != rows_) {
        SelAnchor = 0;
        if (!marks_.empty()) ++mark_revision_;
        marks_.clear();
    }
    rows_ = n;
    cells_.resize(static_cast<std::size_t>(rows_) * Cols);
    ++revision_;
    if (Row >= rows_) Row = rows_ > 0 ? rows_ - 1 : 0;
}

const std::string& Grid::Cell(int row, int col) const {
    static const std::string empty;
    if (row < 0 || row >= rows_ || col < 0 || col >= Cols) return empty;
    return cells_[static_cast<std::size_t>(row) * Cols + col];
}

void Grid::SetCell(int row, int col, std::string text) {
    if (row < 0 || row >= rows_ || col < 0 || col >= Cols) return;
    std::string& cell = cells_[static_cast<std::size_t>(row) * Cols + col];
    if (cell == text) return;
    cell = std::move(text);
    ++revision_;
}

bool Grid::MoveTo(int row, int col) {
    if (row < 0 || row >= rows_ || col < 0 || col >= Cols) return false;
    // A fixed cell never becomes current: the user lands on the data cell of
    // that row instead, so an axis label is never taken for a value.
    if (row < 1) row = 1;
    if (col < 1) col = 1;
    bool moved = row != Row || col != Col;
    Row = row;
    Col = col;
    return moved;
}

// A current row moved out of view scrolls the grid, which the grid reports
// as the user's scrolling.
void Grid::KeepInView() {
    if (Row < 1) return;
    if (Row < TopRow) UserScroll(Row);
    else if (Row > TopRow + VisibleRows - 1) UserScroll(Row - VisibleRows + 1);
}

void Grid::UserClick(int row, int col) {
    SelAnchor = 0;
    if (MoveTo(row, col)) Raise(on_sel_change);
    Raise(on_click);
}

void Grid::UserSelect(int row, int col) {
    SelAnchor = 0;
    if (!MoveTo(row, col)) return;
    Raise(on_sel_change);
    KeepInView();
}

void Grid::UserExtend(int row, bool click) {
    if (rows_ < 2) return;
    if (row < 1) row = 1;
    if (row > rows_ - 1) row = rows_ - 1;
    const int anchor = RangeHeld() ? SelAnchor : (Row >= 1 ? Row : row);
    if (click) {
        UserClick(row, Cols - 1);
    } else {
        UserSelect(row, Cols - 1);
    }
    // The handlers have seen a plain click or move; the range is kept beside it.
    SelAnchor = anchor;
    sel_row_ = Row;
}

int Grid::SelFirst() const {
    if (!RangeHeld()) return Row >= 1 ? Row : 0;
    return SelAnchor < Row ? SelAnchor : Row;
}

int Grid::SelLast() const {
    if (!RangeHeld()) return Row >= 1 ? Row : 0;
    return SelAnchor > Row ? SelAnchor : Row;
}

const std::string* Grid::Mark(int row) const {
    if (row < 1 || row >= static_cast<int>(marks_.size()) || !marks_[static_cast<std::size_t>(row)]) return nullptr;
    return &*marks_[static_cast<std::size_t>(row)];
}

void Grid::SetMark(int row, std::optional<std::string> text) {
    if (row < 1 || row >= rows_) return;
    if (marks_.size() != static_cast<std::size_t>(rows_)) {
        if (!text) return;
        marks_.resize(static_cast<std::size_t>(rows_));
    }
    auto& mark = marks_[static_cast<std::size_t>(row)];
    if (mark == text) return;
    mark = std::move(text);
    ++mark_revision_;
}

void Grid::ClearMarks() {
    if (marks_.empty()) return;
    marks_.clear();
    ++mark_revision_;
}

void Grid::UserScroll(int top_row) {
    if (top_row < 1) top_row = 1;
    if (top_row >= rows_) top_row = rows_ > 1 ? rows_ - 1 : 1;
    if (top_row == TopRow) return;
    TopRow = top_row;
    Raise(on_scroll);
}

}  // namespace orv::form
