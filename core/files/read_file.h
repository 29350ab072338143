#pragma once
// Reading a file the console was pointed at. Only a regular file is read: a
// FIFO, a device or a socket is refused at once instead of waited on, so a
// name in config.dat can never hang the start-up.
#include <cstddef>
#include <filesystem>
#include <string>

namespace orv {

struct FileText {
    std::string text;
    std::string error;   // empty when the file was read
    bool whole = true;   // false: the file holds more than the limit
};

// At most `limit` bytes of the file at `path`.
FileText ReadRegularFile(const std::filesystem::path& path, std::size_t limit);

}  // namespace orv
