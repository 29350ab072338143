#include "core/files/value_list.h"

#include "core/files/read_file.h"

namespace orv {

namespace {
bool IsSeparator(char c) { return c == ',' || c == ' ' || c == '\t' || c == '\r' || c == '\n'; }
}  // namespace

ValueList ParseValueList(std::string_view text, std::size_t max_count) {
    ValueList out;
    std::size_t i = 0;
    while (i < text.size()) {
        if (IsSeparator(text[i])) {
            ++i;
            continue;
        }
        std::size_t start = i;
        while (i < text.size() && !IsSeparator(text[i])) ++i;
        std::string_view field = text.substr(start, i - start);
        unsigned value = 0;
        bool ok = !field.empty() && field.size() <= 3;
        for (char c : field) {
            if (c < '0' || c > '9') ok = false;
            else value = value * 10 + static_cast<unsigned>(c - '0');
        }
        if (!ok || value > 255) {
            out.error = "not a byte value: \"" + std::string(field.substr(0, 20)) + "\"";
            return out;
        }
        if (out.values.size() == max_count) {
            out.error = "more than " + std::to_string(max_count) + " values";
            return out;
        }
        out.values.push_back(static_cast<std::uint8_t>(value));
    }
    return out;
}

ValueList ReadValueFile(const std::filesystem::path& path, std::size_t max_count) {
    // Each value takes at most a few characters; anything far larger is not ours.
    FileText file = ReadRegularFile(path, max_count * 8 + 1024);
    if (!file.error.empty()) return {{}, file.error};
    if (!file.whole) return {{}, "file too large"};
    return ParseValueList(file.text, max_count);
}

std::string FormatValueList(const std::uint8_t* values, std::size_t count) {
    std::string out;
    out.reserve(count * 5);
    for (std::size_t i = 0; i < count; ++i) {
        out += std::to_string(values[i]);
        out += "\r\n";
    }
    return out;
}

}  // namespace orv
