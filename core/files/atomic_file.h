#pragma once
#include <filesystem>
#include <string>
#include <string_view>

namespace orv {

// Writes the whole file through a temporary beside it and a rename, so a
// failed save never destroys the previous file. A name that is a symbolic
// link saves to the file it links to, and the link stays. False on any failure, with
// the reason in *error when one is asked for.
bool WriteFileAtomically(const std::filesystem::path& path, std::string_view content, std::string* error = nullptr);

}  // namespace orv
