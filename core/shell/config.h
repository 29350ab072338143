#pragma once
// config.dat: one line of list output, port number, map file, recording file,
// e.g.  3,"C:\maps\a.map","C:\rec\b.rec"  followed by CR LF.
#include <filesystem>
#include <string>
#include <string_view>

namespace orv {

struct ConfigValues {
    int cfg_port = 0;  // 1..7; 0 = no port chosen
    std::string cfg_map_file;
    std::string cfg_rec_file;
    // An empty path is written as nothing between its commas, except where
    // the file read held "" for it: that line is rewritten as it was.
    bool map_file_quoted = false;
    bool rec_file_quoted = false;
};

// Never fails: a field that cannot be read leaves its default, and a port
// number outside 1..7 means no port.
ConfigValues ParseConfig(std::string_view content);
std::string FormatConfig(const ConfigValues& values);

// What in `path` the line cannot carry ("a double quote", "a line break"),
// or empty when it reads back as written.
std::string ConfigCannotHold(std::string_view path);

// config.dat in the folder `dir`: a missing or unreadable file reads as no
// port and empty paths; the write is atomic and false when it failed.
ConfigValues ReadConfigFile(const std::filesystem::path& dir);
bool WriteConfigFile(const std::filesystem::path& dir, const ConfigValues& values, std::string* error = nullptr);

}  // namespace orv
