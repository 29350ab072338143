#pragma once
// Files as the offline subcommands read and write them: a map file read in
// full before anything else happens, and an output that goes to standard
// output or, with -o, atomically to a file.
#include <string>

#include "core/calibration/image.h"

namespace orv::tool {

// The image a map file gives when loaded into an empty image; a file that
// does not read cleanly is a Failure naming it.
Image ReadMap(const std::string& path);

// `text` to standard output when `out_path` is empty or "-", else written
// atomically to that file (a failure leaves any old file as it was). An
// output that is the file `input` itself is refused: writing it would
// destroy what it was made from.
void Emit(const std::string& out_path, const std::string& text, const std::string& input = {});

}  // namespace orv::tool
