#pragma once
// config.dat: one line of list output, port number, map file, recording file,
// e.g.  3,"C:\maps\a.map","C:\rec\b.rec"  followed by CR LF.
#include <string>
#include <string_view>

namespace orv {

struct ConfigValues {
    int port = 0;  // 1..7; 0 = no port chosen
    std::string map_file;
    std::string rec_file;
};

// Never fails: a field that cannot be read leaves its default, and a port
// number outside 1..7 means no port.
ConfigValues ParseConfig(std::string_view content);
std::string FormatConfig(const ConfigValues& values);

}  // namespace orv
