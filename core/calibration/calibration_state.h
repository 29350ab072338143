#pragma once
// The calibration image and the window state tied to it.
#include <array>
#include <cstdint>

#include "core/calibration/image.h"

namespace orv {

struct CalibrationState {
    Image mem_image{};
    std::int16_t slot_base = 0;    // start of the active slot block
    bool full_sel = false;         // "Full" as the settings last read or set it
    bool reload_tables = false;    // the grids are refilled on the next tick
    // Per grid: a value typed while the grid has the focus is being entered
    // in its text box.
    std::array<bool, kTableCount> grid_entry{};
    // The image as last saved, loaded or transferred.
    Image kept_image{};
};

// Whether the image holds a change since `kept`. The view bits only say which
// table set the grids show, so they do not count.
inline bool ImageChanged(const Image& image, const Image& kept) {
    for (int i = 0; i < kImageSize; ++i) {
        const bool view_byte = i % kSlotSize == slot::kModeFlags && i < kSlotCount * kSlotSize;
        const std::uint8_t mask = view_byte ? static_cast<std::uint8_t>(~kViewSelMask) : 0xFF;
        if ((image[i] & mask) != (kept[i] & mask)) return true;
    }
    return false;
}

}  // namespace orv
