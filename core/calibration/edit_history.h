#pragma once
// Undo and redo of the calibration image. A step keeps only the bytes that
// changed, as runs of (offset, old bytes, new bytes), so a long session of
// single-cell edits costs little; a whole map load costs about twice the
// image. The oldest steps give way when the history outgrows its budget.
//
// EditRecorder turns the console's events into steps: the image is taken at
// the start of each event and compared at its end. The events of one scroll
// bar drag (its Scroll events up to the Change that ends it) make one step,
// and so does an upload from its button to its last reply.
#include <cstddef>
#include <cstdint>
#include <deque>
#include <vector>

#include "core/calibration/image.h"

namespace orv {

class EditHistory {
   public:
    static constexpr std::size_t kDefaultBudget = 8u << 20;  // bytes

    explicit EditHistory(std::size_t budget = kDefaultBudget) : budget_(budget) {}

    // One step from `before` to `after`, dropping the steps that were undone;
    // nothing (false) when the two are equal.
    bool Record(const Image& before, const Image& after);
    // Removes the newest step, when it is not undone.
    void DropLast();

    bool CanUndo() const { return done_ > 0; }
    bool CanRedo() const { return done_ < steps_.size(); }
    // Puts the old bytes of the newest done step back into `image`.
    bool Undo(Image& image);
    // Puts the new bytes of the oldest undone step back into `image`.
    bool Redo(Image& image);

    std::size_t DoneSteps() const { return done_; }
    // Bytes held: the steps' records and their stored runs.
    std::size_t Footprint() const { return steps_.size() * sizeof(Step) + stored_; }

   private:
    // Runs one after another: offset (2 bytes, low first), length (2 bytes),
    // the old bytes, the new bytes.
    struct Step {
        std::vector<std::uint8_t> runs;
    };
    static void Apply(const Step& step, Image& image, bool forward);
    void KeepInBudget();

    std::deque<Step> steps_;
    std::size_t done_ = 0;  // steps_[0, done_) can be undone, the rest redone
    std::size_t stored_ = 0;
    std::size_t budget_;
};

// What the event that ends was, as far as the history cares.
enum class EditEvent {
    Plain,      // any other event: its change is a step of its own
    BarDrag,    // a scroll bar's thumb moved (Scroll)
    BarCommit,  // a scroll bar's position committed (Change): ends its drag
};

// A whole-image transfer under way at the end of an event.
enum class TransferUnderWay { None, Upload, Download };

class EditRecorder {
   public:
    explicit EditRecorder(std::size_t budget = EditHistory::kDefaultBudget) : history_(budget) {}

    // The image as an outermost event begins.
    void BeginEvent(const Image& image);
    // The image as it ends; `bar` names the scroll bar of a drag or commit.
    void EndEvent(const Image& image, EditEvent kind, const void* bar, TransferUnderWay transfer);
    // The image as it stands now is nobody's edit (start-up, an undo's refresh).
    void Rebase(const Image& image);

    // Undo and redo; a change made since the event began becomes a step
    // first, so that nothing is lost. False when there is nothing to do.
    bool Undo(Image& image);
    bool Redo(Image& image);

    const EditHistory& history() const { return history_; }

   private:
    void Flush(const Image& image);

    EditHistory history_;
    Image base_{};           // the image at the start of the current event
    Image gesture_base_{};   // the image before the open drag began
    const void* open_bar_ = nullptr;  // the bar being dragged, if any
    bool gesture_step_ = false;       // the open drag has a step of its own
    bool holding_upload_ = false;     // base_ is the image before the upload
};

}  // namespace orv
