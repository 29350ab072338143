#include "core/files/slot_copy.h"

#include <utility>

namespace orv {

namespace {

bool Valid(int from, int to) { return from >= 0 && from < kSlotCount && to >= 0 && to < kSlotCount && from != to; }

// Byte `rel` of the block at `source` as it lands in the block that holds
// `kept` there now.
std::uint8_t Landing(int rel, std::uint8_t source, std::uint8_t kept) {
    if (rel == slot::kActiveSlot) return kept;
    if (rel == slot::kModeFlags)
        return static_cast<std::uint8_t>((source & ~kViewSelMask) | (kept & kViewSelMask));
    return source;
}

}  // namespace

bool CopySlotBlock(Image& image, int from, int to) {
    if (!Valid(from, to)) return false;
    const int src = from * kSlotSize, dst = to * kSlotSize;
    for (int rel = 0; rel < kSlotSize; ++rel) image[dst + rel] = Landing(rel, image[src + rel], image[dst + rel]);
    return true;
}

bool SwapSlotBlocks(Image& image, int a, int b) {
    if (!Valid(a, b)) return false;
    const int pa = a * kSlotSize, pb = b * kSlotSize;
    for (int rel = 0; rel < kSlotSize; ++rel) {
        const std::uint8_t x = image[pa + rel], y = image[pb + rel];
        image[pa + rel] = Landing(rel, y, x);
        image[pb + rel] = Landing(rel, x, y);
    }
    return true;
}

}  // namespace orv
