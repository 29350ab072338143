#pragma once
// Whole-image transfers as reply-driven steps: each reply yields the next
// request. Upload reads the calibration area 64 bytes at a time; download
// programs it 64 bytes at a time inside the controller's programming sequence
// (open, window, buffer, program; once more at the end, finish).
#include <array>
#include <bitset>
#include <cstdint>
#include <optional>
#include <span>
#include <vector>

#include "core/calibration/image.h"
#include "core/link/serial_port.h"

namespace orv::transfer {

constexpr int kBlockSize = 64;
constexpr std::uint8_t kReadReplyLength = 64;  // one block read
constexpr std::uint8_t kWriteReplyLength = 2;  // a write's acknowledgement
// Positions from here on have no place in the calibration area: upload stops
// storing there and download repeats the last byte instead.
constexpr int kEndOfArea = kCalibrationBytes;
constexpr int kLastAreaByte = kCalibrationBytes - 1;
// The read past the last block (0xE740) leaves the position here or beyond;
// its reply only ends the upload.
constexpr int kUploadDone = 1900;

// Download steps, one write each; kDownloadDone follows the last reply.
enum DownloadStep : std::int16_t {
    kStepOpen = 0,
    kStepWindow = 1,
    kStepBuffer = 2,
    kStepProgram = 3,
    kStepEnd = 4,
    kDownloadDone = 5,
};

// --- upload: xfer_pos is the position just past the block last requested ---

// The read of the block at xfer_pos; moves xfer_pos past it.
Bytes NextRead(std::int16_t& xfer_pos);

// The reply to the read past the last block: nothing to store, the upload ends.
constexpr bool UploadDone(std::int16_t xfer_pos) { return xfer_pos >= kUploadDone; }

// Stores the reply to the read that ended at xfer_pos into the image, up to
// the end of the calibration area. Returns the last position stored, or
// nothing when no byte was.
std::optional<int> StoreBlock(Image& image, std::int16_t xfer_pos, std::span<const std::uint8_t> reply);

// Which blocks an upload may keep. An image block carries no check of its
// own. A stray byte read late, as the first byte of a block, shifts it by
// one, and the byte it pushed out shows only afterwards, as a byte dropped
// further on (or as the first byte of the next block, which pushes one out
// in turn); a reply a byte short with a stray byte behind it, or a byte
// changed on the line, shows nowhere at all. So every block is read twice:
// the first read counts once the line has been seen quiet after it with
// nothing dropped in between, and the block is kept when a later read agrees
// with it byte for byte. A read equal to what the console knows the
// controller holds needs no second one: noise cannot turn other bytes into
// exactly those. It is kept once the line has been seen quiet after it,
// like a first read counted, since a byte pushed out of a shifted read shows
// only then.
class UploadCheck {
   public:
    static constexpr int kBlocks = 29;  // the reads that fill the image
    static constexpr int kEndRead = kBlocks;  // the read past them; its reply ends the upload
    // Reads of one block before the line is given up as too noisy.
    static constexpr int kMaxReads = 12;
    // Once the line has dropped a byte, reads waiting for a quiet line go in
    // runs of this many, so a run the line leaves alone counts whole.
    static constexpr int kRun = 3;
    using Block = std::array<std::uint8_t, kBlockSize>;

    struct Request {
        int block;         // 0..28, or kEndRead
        bool after_quiet;  // to be sent once the line has been quiet
    };

    // `known`: the calibration the controller is thought to hold (only the
    // calibration area is compared), or none.
    void Start(const Image* known = nullptr);
    // The read to send next; nothing when a block went unconfirmed kMaxReads times.
    std::optional<Request> Next();
    // The reply to the read Next gave last; a block kept goes into the image.
    // True when it ends the upload: it answers the end read and every block
    // has been kept.
    bool Taken(std::span<const std::uint8_t> reply, Image& image);
    // Bytes were dropped or the link started again: the blocks read since
    // the line was last quiet may be shifted.
    void Disturbed() {
        pending_.clear();
        noisy_ = true;
    }
    // The line was quiet: the blocks read since count, for a later read to
    // agree with; those equal to what the controller is known to hold are
    // kept, into `image`.
    void Quiet(Image& image);
    // Where the calibration stops being confirmed: the first block not kept.
    int FirstUnkept() const;

   private:
    struct Read {
        int block;
        Block data;
    };
    Request Ask(int block, bool after_quiet);
    // Whether a read of `block` waits for a quiet line; `known`: one equal to
    // what the controller is known to hold.
    bool Pending(int block, bool known) const;
    // Whether a read is what the controller is known to hold.
    bool Known(const Read& read) const;
    void Keep(const Read& read, Image& image);

    std::vector<Read> pending_;  // read, waiting for a quiet line
    std::array<std::optional<Block>, kBlocks> counted_;  // read, and the line quiet after
    std::bitset<kBlocks> kept_;
    std::optional<Image> known_;
    std::array<int, kBlocks> reads_{};
    int next_ = 0;    // the first pass: the next block
    int asked_ = -1;  // the block of the read on the line
    bool noisy_ = false;       // the line has dropped a byte during this upload
    bool confirming_ = false;  // the first pass is over
    int run_ = 0;              // reads since the last one sent on a quiet line
};

// --- download: xfer_pos is the position of the next byte to send ---

struct DownloadWrite {
    Bytes frame;
    std::optional<int> progress;  // the position reached, after a buffer write
};

// The write of step dl_step, with xfer_pos and dl_step moved on to the next
// one; nothing once the download is done (dl_step past its last write).
std::optional<DownloadWrite> NextWrite(const Image& image, std::int16_t& xfer_pos, std::int16_t& dl_step);

}  // namespace orv::transfer
