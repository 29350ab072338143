#pragma once
// Every file the console and orvtool read or write is a regular file, or a
// link to one. A FIFO, a device or a socket is refused at once instead of
// waited on (an open of a FIFO waits for the other end for ever), with the
// reason as the user reads it, so no name in config.dat, a settings file or
// a command line can hang the console or a script.
#include <cstddef>
#include <filesystem>
#include <string>

namespace orv {

// Why `path` cannot be read or written as a file: "is a FIFO, not a regular
// file", "links to \"/dev/zero\", a device, not a regular file", ... Empty
// when it is a regular file, a link to one, or nothing is there yet (a
// dangling link names a file still to be made). Nothing is opened.
std::string NotRegularFileError(const std::filesystem::path& path);

// `path` with its symbolic links followed as the system would, a relative
// target from the link's own folder.
std::filesystem::path FollowLinks(std::filesystem::path path);

// open(2) of a regular file only: checked before, opened without waiting,
// checked again once open (the name may have changed in between), then
// blocking as usual. -1 with errno set and the reason in *error otherwise.
// With O_CREAT | O_EXCL nothing that is there is opened at all, so the
// check before is left to the open.
int OpenRegularFile(const std::filesystem::path& path, int flags, std::string* error);

// OpenRegularFile for reading, with the reason as a reader says it: the
// kind of file refused, or "cannot be opened" (not there, no permission).
int OpenForReading(const std::filesystem::path& path, std::string* error);

struct FileText {
    std::string text;
    std::string error;   // empty when the file was read
    bool whole = true;   // false: the file holds more than the limit
};

// At most `limit` bytes of the file at `path`.
FileText ReadRegularFile(const std::filesystem::path& path, std::size_t limit);

}  // namespace orv
