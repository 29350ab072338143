#include "tools/tool_files.h"

#include <iostream>

#include "core/files/atomic_file.h"
#include "core/files/map_file.h"
#include "tools/commands.h"

namespace orv::tool {

Image ReadMap(const std::string& path) {
    const ValueList map = ReadMapFile(path);
    if (!map.error.empty()) throw Failure(path + ": " + map.error);
    Image image{};
    ApplyMapValues(image, map.values);
    return image;
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
