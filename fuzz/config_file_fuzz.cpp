// config.dat: any content reads without failing, as the file and as text
// alike, and what the console writes from it reads back to the same values.
#include "core/shell/config.h"
#include "fuzz/fuzz_support.h"

using namespace orv;

namespace {
bool SameValues(const ConfigValues& a, const ConfigValues& b) {
    return a.cfg_port == b.cfg_port && a.cfg_map_file == b.cfg_map_file && a.cfg_rec_file == b.cfg_rec_file;
}
bool Writable(const std::string& path) { return path.find_first_of("\"\r\n") == std::string::npos; }
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view text = fuzz::Text(data, size);
    const ConfigValues v = ParseConfig(text);
    ORV_REQUIRE(v.cfg_port >= 0 && v.cfg_port <= 7);
    fuzz::WriteScratch("config.dat", text);
    ORV_REQUIRE(SameValues(ReadConfigFile(fuzz::ScratchDir()), v));
    if (Writable(v.cfg_map_file) && Writable(v.cfg_rec_file)) {
        const std::string line = FormatConfig(v);
        const ConfigValues back = ParseConfig(line);
        ORV_REQUIRE(SameValues(back, v));
        ORV_REQUIRE(FormatConfig(back) == line);
    }
    return 0;
}
