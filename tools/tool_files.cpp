#include "tools/tool_files.h"

#include <iostream>

#include "core/files/atomic_file.h"
#include "core/files/map_file.h"
#include "tools/commands.h"

namespace orv::tool {

MapRead ReadMap(const std::string& path, bool allow_short) {
    const ValueList map = ReadMapFile(path);
    if (!map.error.empty()) throw Failure(path + ": " + map.error);
    const std::size_t n = map.values.size();
    if (n < static_cast<std::size_t>(kImageSize) && !allow_short)
        throw Failure(path + ": " + std::to_string(n) + (n == 1 ? " value" : " values") + ", a map holds " +
                      std::to_string(kImageSize) + " (--allow-short reads it all the same)");
    MapRead read;
    ApplyMapValues(read.image, map.values);
    read.length = static_cast<int>(n);
    return read;
}

void AddAllowShort(CLI::App& sub, bool& allow_short, const std::string& what) {
    sub.add_flag("--allow-short", allow_short,
                 "Take a map with fewer than " + std::to_string(kImageSize) + " values: " + what);
}

void Emit(const std::string& out_path, const std::string& text, const std::string& input) {
    if (out_path.empty() || out_path == "-") {
        std::cout << text << std::flush;
        if (!std::cout) throw Failure("standard output: write failed");
        return;
    }
    if (!input.empty() && SameFile(out_path, input)) throw Failure(out_path + ": is the input file, not written over");
    std::string error;
    if (!WriteFileAtomically(out_path, text, &error)) throw Failure(out_path + ": " + error);
}

}  // namespace orv::tool
