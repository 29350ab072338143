#pragma once
// Whole-image transfers as reply-driven steps: each reply yields the next
// request. Upload reads the calibration area 64 bytes at a time; download
// programs it 64 bytes at a time inside the controller's programming sequence
// (open, window, buffer, program; once more at the end, finish).
#include <cstdint>
#include <optional>
#include <span>

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

// --- download: xfer_pos is the position of the next byte to send ---

struct DownloadWrite {
    Bytes frame;
    std::optional<int> progress;  // the position reached, after a buffer write
};

// The write of step dl_step, with xfer_pos and dl_step moved on to the next
// one; nothing once the download is done (dl_step past its last write).
std::optional<DownloadWrite> NextWrite(const Image& image, std::int16_t& xfer_pos, std::int16_t& dl_step);

}  // namespace orv::transfer
