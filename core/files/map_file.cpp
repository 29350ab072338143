#include "core/files/map_file.h"

#include <algorithm>

#include "core/files/atomic_file.h"

namespace orv {

std::string FormatMapFile(const Image& image) { return FormatValueList(image.data(), image.size()); }

ValueList ReadMapFile(const std::filesystem::path& path) {
    ValueList map = ReadValueFile(path, kImageSize);
    // A short map fills the leading bytes; an empty one would fill none and
    // still be named and remembered as if it had loaded.
    if (map.error.empty() && map.values.empty()) map.error = "no values";
    return map;
}

void ApplyMapValues(Image& image, const std::vector<std::uint8_t>& values) {
    std::copy_n(values.begin(), std::min(values.size(), image.size()), image.begin());
}

std::string WriteMapFile(const std::filesystem::path& path, const Image& image) {
    std::string error;
    if (!WriteFileAtomically(path, FormatMapFile(image), &error)) return error;
    return {};
}

}  // namespace orv
