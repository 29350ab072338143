#pragma once
// The parts of a slot block as the map comparison and orvtool lint name
// them: the three table sets with the view their bytes are shown in, and the
// settings bytes.
#include <array>
#include <string>

#include "core/calibration/image.h"
#include "core/calibration/table_coding.h"

namespace orv {

struct SetPart {
    const char* name;
    int offset;  // in the slot block
    TableView view;
};
constexpr std::array<SetPart, 3> kSetParts{{
    {"bank 1", slot::kBank1Set, TableView::Fuel},
    {"bank 2", slot::kBank2Set, TableView::Fuel},
    {"ignition", slot::kIgnitionSet, TableView::Ignition},
}};

// Name of the settings byte at offset `rel` of a slot block (150..158).
std::string SettingName(int rel);
// How the console shows that byte: its value with the flags beside it that
// are set ("8 Full"), or, for a byte of flags alone, its eight bits.
std::string SettingText(int rel, std::uint8_t b);

}  // namespace orv
