#pragma once
#include <filesystem>
#include <string>
#include <string_view>

namespace orv {

// Writes the whole file through a temporary beside it and a rename, so a
// failed save never destroys the previous file. Only a regular file is
// replaced, or a new one created: a device, a FIFO, a socket or a folder in
// its place is refused, since the rename would put a file where it was. A
// name that is a symbolic link saves to the file it links to, and the link
// stays. Temporaries of the same file left by a process that died mid-save
// are removed first. False on any failure, with the reason in *error when one
// is asked for.
bool WriteFileAtomically(const std::filesystem::path& path, std::string_view content, std::string* error = nullptr);

// Writes a file that was not there: never over anything at `path` (a file,
// a link, a dangling link, made by this process or another), and never seen
// half written, since the content goes to a temporary first and appears
// under the name whole. A name that is taken is tried again with "-2",
// "-3", ... before the extension. The name actually written goes to
// *written. False on any failure, with the reason in *error.
bool WriteNewFile(const std::filesystem::path& path, std::string_view content, std::filesystem::path* written,
                  std::string* error = nullptr);

// Whether the two names are one file (links followed, hard links too), or,
// where one is not there yet, would be once saved.
bool SameFile(const std::filesystem::path& a, const std::filesystem::path& b);

}  // namespace orv
