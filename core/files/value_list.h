#pragma once
// Map and recording files are lists of decimal byte values, one per line as
// the console writes them; reading also takes values separated by commas or
// blanks.
#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace orv {

struct ValueList {
    std::vector<std::uint8_t> values;
    std::string error;  // empty when the whole text read cleanly
};

// Reads at most max_count values. Anything that is not a whole number from 0
// to 255, or a value past max_count, is an error; the values before it are
// still returned.
ValueList ParseValueList(std::string_view text, std::size_t max_count);

// Reads a file the same way; a missing or unreadable file is an error too.
ValueList ReadValueFile(const std::filesystem::path& path, std::size_t max_count);

// The console's own format: one value per line, CR LF.
std::string FormatValueList(const std::uint8_t* values, std::size_t count);

}  // namespace orv
