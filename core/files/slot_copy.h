#pragma once
// Whole memory slots copied or exchanged inside the image.
//
// What a slot holds: its block's 459 bytes, the three table sets and the
// settings block, with two exceptions that belong to the place, not to the
// calibration in it:
// - byte 157 of the block. In block 0 it names the active slot for the whole
//   image; in blocks 1..3 nobody reads it. Either way it stays where it is,
//   so a copy over Mem 1 never changes which slot the engine runs on.
// - the view bits (0 and 1) of mode_flags. They only say which table set the
//   grids show while a slot is active; the ignition polarity, bank 2 and the
//   other bits of that byte move with the calibration.
#include "core/calibration/image.h"

namespace orv {

// Slot `from` (0..3) copied over slot `to`; false, and nothing changed, for
// a slot number outside 0..3 or a slot copied onto itself.
bool CopySlotBlock(Image& image, int from, int to);

// Slots a and b exchanged; false, and nothing changed, as for a copy.
bool SwapSlotBlocks(Image& image, int a, int b);

}  // namespace orv
