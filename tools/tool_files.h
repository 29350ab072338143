#pragma once
// Files as the offline subcommands read and write them: a map file read in
// full before anything else happens, and an output that goes to standard
// output or, with -o, atomically to a file.
#include <CLI/CLI.hpp>
#include <string>

#include "core/calibration/image.h"

namespace orv::tool {

struct MapRead {
    Image image{};
    int length = 0;  // values the file held
};

// A map file loaded as the console loads it into an empty image: a short
// file fills the leading bytes and the rest stay 0. A file that does not read
// cleanly, or holds fewer values than a map unless `allow_short`, is a
// Failure naming it.
MapRead ReadMap(const std::string& path, bool allow_short);

// The --allow-short flag of a subcommand that reads maps; `what` says what
// becomes of the bytes a short map does not hold.
void AddAllowShort(CLI::App& sub, bool& allow_short, const std::string& what);

// `text` to standard output when `out_path` is empty or "-", else written
// atomically to that file (a failure leaves any old file as it was). An
// output that is the file `input` itself is refused: writing it would
// destroy what it was made from.
void Emit(const std::string& out_path, const std::string& text, const std::string& input = {});

}  // namespace orv::tool
