#pragma once
// The calibration image: the console's copy of the controller's calibration
// memory. Its layout is the contract with the controller and with stored map
// files, so every offset lives here, named.
#include <array>
#include <cstdint>

namespace orv {

constexpr int kImageSize = 1837;  // four slot blocks and one trailing byte
// The controller holds image bytes 0..1835, byte n at address
// kCalibrationBase + n; the trailing byte is the console's alone.
constexpr std::uint16_t kCalibrationBase = 0xE000;
constexpr int kCalibrationBytes = 1836;
constexpr int kSlotSize = 459;
constexpr int kSlotCount = 4;
constexpr int kTableCount = 5;

using Image = std::array<std::uint8_t, kImageSize>;

// Offsets inside a slot block.
namespace slot {
constexpr int kBank1Set = 0;
constexpr int kCylMode = 150;  // bits 0..6 cylinder code, bit 7 "Full"
constexpr int kRpmSwitch = 151;
constexpr int kWaterSwitch = 152;
constexpr int kDeltaTps = 153;
constexpr int kWindowSize = 154;
constexpr int kLoadTime = 155;
constexpr int kLimiter = 156;
constexpr int kActiveSlot = 157;  // meaningful in slot block 0 only
constexpr int kModeFlags = 158;
constexpr int kBank2Set = 159;
constexpr int kIgnitionSet = 309;
}  // namespace slot

// Image byte holding the number of the active slot block.
constexpr int kActiveSlotByte = slot::kActiveSlot;

// mode_flags bits
constexpr std::uint8_t kViewSelMask = 0x03;  // 00 bank 1, 01 bank 2, 11 ignition (10 reads as bank 1)
constexpr std::uint8_t kViewBank2 = 0x01;
constexpr std::uint8_t kViewIgnition = 0x03;
constexpr std::uint8_t kIgnInverted = 0x04;
constexpr std::uint8_t kBank2Off = 0x08;

// cyl_mode: the cylinder code in the low bits, "Full" in the top one
constexpr std::uint8_t kCylCodeMask = 0x7F;
constexpr std::uint8_t kFullFlag = 0x80;

// Tables of a set: offset in the set, entries the console shows and edits.
constexpr std::array<int, kTableCount> kTableOffset{0, 32, 94, 116, 133};
constexpr std::array<int, kTableCount> kTableBytes{32, 62, 22, 17, 17};
constexpr std::array<int, kTableCount> kTableEntries{31, 51, 21, 16, 16};

// Start of the slot block named by an active_slot value: 1, 2, 3 name blocks
// 1..3, any other value block 0.
constexpr int SlotStart(std::uint8_t active_slot) {
    return (active_slot >= 1 && active_slot <= 3) ? active_slot * kSlotSize : 0;
}

// Offset of the table set that view_sel names, inside a slot block.
constexpr int ViewSetOffset(std::uint8_t mode_flags) {
    switch (mode_flags & kViewSelMask) {
        case kViewBank2: return slot::kBank2Set;
        case kViewIgnition: return slot::kIgnitionSet;
        default: return slot::kBank1Set;
    }
}

// Offset of table t inside its set; any t other than 1..4 is table 0.
constexpr int TableOffset(int t) { return (t >= 1 && t <= 4) ? kTableOffset[t] : 0; }

// Image offset of entry 0 of table t of the viewed set of the active slot.
constexpr int MemAddr(const Image& image, int t) {
    int base = SlotStart(image[kActiveSlotByte]);
    return base + ViewSetOffset(image[base + slot::kModeFlags]) + TableOffset(t);
}

// The three table sets of a slot, as the calculated output names them.
enum TableSet { kSetBank1 = 0, kSetBank2 = 1, kSetIgnition = 2 };

// Image offset of entry 0 of table t of set s of the active slot.
constexpr int TableAddr(const Image& image, int t, int set) {
    int set_offset = set == kSetBank2 ? slot::kBank2Set : (set == kSetIgnition ? slot::kIgnitionSet : slot::kBank1Set);
    return SlotStart(image[kActiveSlotByte]) + set_offset + TableOffset(t);
}

// Every single-byte write of a value goes through here: a value outside
// 0..255 (or an address outside the image) is refused and the byte keeps its
// contents.
constexpr bool PutByte(Image& image, int addr, long value) {
    if (addr < 0 || addr >= kImageSize || value < 0 || value > 255) return false;
    image[addr] = static_cast<std::uint8_t>(value);
    return true;
}

// Clears view_sel in all four slot blocks, last block first; nothing else.
inline void ClearViewBits(Image& image) {
    for (int s = kSlotCount - 1; s >= 0; --s) image[s * kSlotSize + slot::kModeFlags] &= static_cast<std::uint8_t>(~kViewSelMask);
}

}  // namespace orv
