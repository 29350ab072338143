#include "core/link/transfer.h"

#include <algorithm>
#include <array>

#include "core/link/frames.h"

namespace orv::transfer {

namespace {
std::uint16_t AreaAddress(int pos) { return static_cast<std::uint16_t>(kCalibrationBase + pos); }
}  // namespace

Bytes NextRead(std::int16_t& xfer_pos) {
    Bytes frame = frames::BlockRead(AreaAddress(xfer_pos));
    xfer_pos = static_cast<std::int16_t>(xfer_pos + kBlockSize);
    return frame;
}

std::optional<int> StoreBlock(Image& image, std::int16_t xfer_pos, std::span<const std::uint8_t> reply) {
    std::optional<int> last;
    const int first = xfer_pos - kBlockSize;
    // A reply shorter than a block (never one of ours) stores what it holds.
    for (int i = 0; i < kBlockSize && i < static_cast<int>(reply.size()); ++i) {
        const int q = first + i;
        if (q >= kEndOfArea) break;
        if (q < 0) continue;
        image[q] = reply[i];
        last = q;
    }
    return last;
}

void UploadCheck::Start(const Image* known) {
    *this = UploadCheck();
    if (known) known_ = *known;
}

bool UploadCheck::Known(const Read& read) const {
    if (!known_) return false;
    const int first = read.block * kBlockSize;
    const int n = std::min(kBlockSize, kEndOfArea - first);
    return std::equal(read.data.begin(), read.data.begin() + n, known_->begin() + first);
}

UploadCheck::Request UploadCheck::Ask(int block, bool after_quiet) {
    asked_ = block;
    run_ = after_quiet ? 1 : run_ + 1;
    return Request{block, after_quiet};
}

bool UploadCheck::Pending(int block, bool known) const {
    return std::any_of(pending_.begin(), pending_.end(),
                       [&](const Read& r) { return r.block == block && (!known || Known(r)); });
}

std::optional<UploadCheck::Request> UploadCheck::Next() {
    // The first pass reads block after block at the line's pace.
    if (next_ < kBlocks) return Ask(next_++, noisy_ && run_ >= kRun);
    // Then each block not kept again: the first such read waits for a quiet
    // line, which makes the first pass count. A block whose read still waits
    // for one is read again only after it.
    const bool first = !confirming_;
    confirming_ = true;
    // A block read as the controller is known to hold it is kept at that
    // quiet line, and not read again.
    int pick = -1;
    bool waits = false, kept_when_quiet = false;
    for (int b = 0; b < kBlocks && (pick < 0 || waits); ++b) {
        if (kept_[b]) continue;
        if (Pending(b, true)) {
            kept_when_quiet = true;
            continue;
        }
        const bool pending = Pending(b, false);
        if (pick >= 0 && pending) continue;
        pick = b;
        waits = pending;
    }
    if (pick < 0) return Ask(kEndRead, kept_when_quiet);
    if (reads_[pick] >= kMaxReads) return std::nullopt;
    return Ask(pick, first || waits || static_cast<int>(pending_.size()) >= kRun);
}

void UploadCheck::Keep(const Read& read, Image& image) {
    StoreBlock(image, static_cast<std::int16_t>((read.block + 1) * kBlockSize), read.data);
    kept_.set(read.block);
}

bool UploadCheck::Taken(std::span<const std::uint8_t> reply, Image& image) {
    if (asked_ == kEndRead) return kept_.all();
    if (asked_ < 0 || reply.size() != kBlockSize) return false;
    Read read{asked_, {}};
    std::copy(reply.begin(), reply.end(), read.data.begin());
    ++reads_[asked_];
    // Agreeing with a read that counts: kept, whatever the line does next.
    if (counted_[asked_] == read.data) {
        Keep(read, image);
        return false;
    }
    pending_.push_back(read);
    return false;
}

void UploadCheck::Quiet(Image& image) {
    for (const Read& r : pending_) {
        counted_[r.block] = r.data;
        if (Known(r)) Keep(r, image);
    }
    pending_.clear();
}

int UploadCheck::FirstUnkept() const {
    for (int b = 0; b < kBlocks; ++b)
        if (!kept_[b]) return b * kBlockSize;
    return kEndOfArea;
}

std::optional<DownloadWrite> NextWrite(const Image& image, std::int16_t& xfer_pos, std::int16_t& dl_step) {
    DownloadWrite w;
    switch (dl_step) {
        case kStepOpen: w.frame = frames::ModeWrite(frames::kModeOpenBlock); break;
        case kStepWindow: w.frame = frames::ProgramWindowWrite(AreaAddress(xfer_pos)); break;
        case kStepBuffer: {
            // The last block runs past the area: its tail repeats the area's last byte.
            std::array<std::uint8_t, frames::kBlockSize> data{};
            for (std::uint8_t& b : data) {
                if (xfer_pos >= kEndOfArea) xfer_pos = kLastAreaByte;
                b = image[xfer_pos];
                ++xfer_pos;
            }
            w.frame = frames::ProgramBufferWrite(data);
            w.progress = xfer_pos;
            break;
        }
        case kStepProgram:
            w.frame = frames::ModeWrite(frames::kModeProgramBlock);
            // Back to the open step while blocks remain.
            if (xfer_pos < kEndOfArea) dl_step = static_cast<std::int16_t>(dl_step - 4);
            break;
        case kStepEnd: w.frame = frames::ModeWrite(frames::kModeEndProgramming); break;
        default: break;
    }
    dl_step = static_cast<std::int16_t>(dl_step + 1);
    if (w.frame.empty()) return std::nullopt;
    return w;
}

}  // namespace orv::transfer
