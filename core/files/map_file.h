#pragma once
// Map files: the whole calibration image as text, one decimal value per line
// in image order. Reading takes more than the console writes (values on one
// line separated by commas or blanks, LF-only lines) and a short file, which
// fills only the leading bytes.
#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

#include "core/calibration/image.h"
#include "core/files/value_list.h"

namespace orv {

// 1,837 lines, CR LF, nothing else.
std::string FormatMapFile(const Image& image);

// The whole file read and checked: 1 to 1,837 whole numbers 0..255. The
// image is not touched here, so a file that fails costs nothing.
ValueList ReadMapFile(const std::filesystem::path& path);

// The values over the leading image bytes; the bytes after them keep theirs.
void ApplyMapValues(Image& image, const std::vector<std::uint8_t>& values);

// Saves the image as it is given (the caller clears the view bits); atomic.
// Empty on success, else the reason.
std::string WriteMapFile(const std::filesystem::path& path, const Image& image);

}  // namespace orv
