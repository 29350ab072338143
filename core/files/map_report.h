#pragma once
// The memory map report: a printable text of the whole image, four slot
// blocks of settings and tables in fixed columns, written beside every saved
// map file.
#include <optional>
#include <string>
#include <string_view>

#include "core/calibration/image.h"

namespace orv {

// The report's full text. map_path is named on each block's "File " line;
// ignition_shown: the connected controller drives the ignition, so each block
// carries its ignition section and names the TALPA-01.
std::string MapReport(const Image& image, std::string_view map_path, bool ignition_shown);

// Where the report of a map file goes: the file name's extension replaced by
// ".txt" (car.map gives car.txt). A dot in a folder name does not count; a
// file name without a dot, or one whose report would be the map file itself
// (a map saved as x.txt), gets no report.
std::optional<std::string> ReportPath(std::string_view map_path);

}  // namespace orv
