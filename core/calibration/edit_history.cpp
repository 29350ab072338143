#include "core/calibration/edit_history.h"

namespace orv {

namespace {

// Unchanged bytes up to this many between two changed ones are carried in
// one run: a run's header costs four bytes, a carried byte two.
constexpr int kBridge = 2;
constexpr std::size_t kRunHeader = 4;

}  // namespace

bool EditHistory::Record(const Image& before, const Image& after) {
    // Measure first, so the step holds exactly what it needs.
    struct Run {
        int start, end;  // [start, end)
    };
    std::vector<Run> runs;
    for (int i = 0; i < kImageSize; ++i) {
        if (before[i] == after[i]) continue;
        if (!runs.empty() && i - runs.back().end <= kBridge) runs.back().end = i + 1;
        else runs.push_back({i, i + 1});
    }
    if (runs.empty()) return false;
    std::size_t size = 0;
    for (const Run& r : runs) size += kRunHeader + 2 * static_cast<std::size_t>(r.end - r.start);
    Step step;
    step.runs.reserve(size);
    for (const Run& r : runs) {
        const int len = r.end - r.start;
        step.runs.push_back(static_cast<std::uint8_t>(r.start & 0xFF));
        step.runs.push_back(static_cast<std::uint8_t>(r.start >> 8));
        step.runs.push_back(static_cast<std::uint8_t>(len & 0xFF));
        step.runs.push_back(static_cast<std::uint8_t>(len >> 8));
        step.runs.insert(step.runs.end(), before.begin() + r.start, before.begin() + r.end);
        step.runs.insert(step.runs.end(), after.begin() + r.start, after.begin() + r.end);
    }
    while (steps_.size() > done_) {
        stored_ -= steps_.back().runs.capacity();
        steps_.pop_back();
    }
    stored_ += step.runs.capacity();
    steps_.push_back(std::move(step));
    done_ = steps_.size();
    KeepInBudget();
    return true;
}

void EditHistory::DropLast() {
    if (steps_.empty() || done_ != steps_.size()) return;
    stored_ -= steps_.back().runs.capacity();
    steps_.pop_back();
    done_ = steps_.size();
}

void EditHistory::KeepInBudget() {
    // The newest step always stays, however large.
    while (steps_.size() > 1 && done_ > 1 && Footprint() > budget_) {
        stored_ -= steps_.front().runs.capacity();
        steps_.pop_front();
        --done_;
    }
}

void EditHistory::Apply(const Step& step, Image& image, bool forward) {
    const std::vector<std::uint8_t>& r = step.runs;
    std::size_t p = 0;
    while (p + kRunHeader <= r.size()) {
        const int start = r[p] | (r[p + 1] << 8);
        const int len = r[p + 2] | (r[p + 3] << 8);
        p += kRunHeader;
        const std::size_t from = forward ? p + len : p;
        for (int k = 0; k < len && start + k < kImageSize; ++k) image[start + k] = r[from + k];
        p += 2 * static_cast<std::size_t>(len);
    }
}

bool EditHistory::Undo(Image& image) {
    if (!CanUndo()) return false;
    Apply(steps_[--done_], image, false);
    return true;
}

bool EditHistory::Redo(Image& image) {
    if (!CanRedo()) return false;
    Apply(steps_[done_++], image, true);
    return true;
}

void EditRecorder::BeginEvent(const Image& image) {
    if (!holding_upload_) base_ = image;
}

void EditRecorder::Rebase(const Image& image) {
    base_ = image;
    open_bar_ = nullptr;
    holding_upload_ = false;
}

void EditRecorder::EndEvent(const Image& image, EditEvent kind, const void* bar, TransferUnderWay transfer) {
    if (transfer == TransferUnderWay::Upload) {
        // Everything from the button to the last reply becomes one step.
        holding_upload_ = true;
        open_bar_ = nullptr;
        return;
    }
    if (transfer == TransferUnderWay::Download) {
        // A download changes only the view bits, which is no edit; an upload
        // it cut short keeps what it read.
        if (holding_upload_) history_.Record(base_, image);
        Rebase(image);
        return;
    }
    holding_upload_ = false;
    const bool same_drag = open_bar_ != nullptr && bar == open_bar_ && kind != EditEvent::Plain;
    if (image == base_) {
        if (same_drag && kind == EditEvent::BarCommit) open_bar_ = nullptr;
        return;
    }
    if (same_drag) {
        // The drag's step grows: one step from before the drag to now. A drag
        // back to where it began leaves no step.
        if (gesture_step_) history_.DropLast();
        gesture_step_ = history_.Record(gesture_base_, image);
    } else {
        gesture_base_ = base_;
        gesture_step_ = history_.Record(base_, image);
    }
    open_bar_ = kind == EditEvent::BarDrag ? bar : nullptr;
    base_ = image;
}

void EditRecorder::Flush(const Image& image) {
    if (image != base_) EndEvent(image, EditEvent::Plain, nullptr, TransferUnderWay::None);
    open_bar_ = nullptr;
    holding_upload_ = false;
}

bool EditRecorder::Undo(Image& image) {
    Flush(image);
    if (!history_.Undo(image)) return false;
    base_ = image;
    return true;
}

bool EditRecorder::Redo(Image& image) {
    Flush(image);
    if (!history_.Redo(image)) return false;
    base_ = image;
    return true;
}

}  // namespace orv
