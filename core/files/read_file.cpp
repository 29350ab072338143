#include "core/files/read_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>

namespace orv {

namespace {

const char* Kind(mode_t mode) {
    if (S_ISDIR(mode)) return "a folder";
    if (S_ISCHR(mode) || S_ISBLK(mode)) return "a device";
    if (S_ISFIFO(mode)) return "a FIFO";
    if (S_ISSOCK(mode)) return "a socket";
    if (S_ISLNK(mode)) return "a loop of links";
    return "not a file";
}

std::string IsNot(mode_t mode) { return std::string("is ") + Kind(mode) + ", not a regular file"; }

}  // namespace

std::filesystem::path FollowLinks(std::filesystem::path path) {
    for (int hop = 0; hop < 40; ++hop) {
        std::error_code ec;
        if (!std::filesystem::is_symlink(path, ec)) break;
        std::filesystem::path next = std::filesystem::read_symlink(path, ec);
        if (ec) break;
        path = next.is_absolute() ? next : path.parent_path() / next;
    }
    return path;
}

std::string NotRegularFileError(const std::filesystem::path& path) {
    const std::filesystem::path target = FollowLinks(path);
    struct stat st {};
    if (::lstat(target.c_str(), &st) != 0 || S_ISREG(st.st_mode)) return {};
    if (target == path) return IsNot(st.st_mode);
    return "links to \"" + target.string() + "\", " + Kind(st.st_mode) + ", not a regular file";
}

int OpenRegularFile(const std::filesystem::path& path, int flags, std::string* error) {
    const bool fresh = (flags & O_CREAT) && (flags & O_EXCL);
    if (std::string refused = fresh ? std::string() : NotRegularFileError(path); !refused.empty()) {
        if (error) *error = std::move(refused);
        errno = EINVAL;
        return -1;
    }
    // Without O_NONBLOCK the open of a FIFO waits for a writer, for ever.
    const int fd = ::open(path.c_str(), flags | O_NONBLOCK | O_NOCTTY | O_CLOEXEC, 0666);
    if (fd < 0) {
        const int err = errno;
        if (error) *error = std::strerror(err);
        errno = err;
        return -1;
    }
    struct stat st {};
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        if (error) *error = IsNot(st.st_mode);
        ::close(fd);
        errno = EINVAL;
        return -1;
    }
    if ((flags & O_NONBLOCK) == 0) (void)::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) & ~O_NONBLOCK);
    return fd;
}

int OpenForReading(const std::filesystem::path& path, std::string* error) {
    const int fd = OpenRegularFile(path, O_RDONLY, error);
    // Nothing there, or no permission: what the user can act on.
    if (fd < 0 && errno != EINVAL && error) *error = "cannot be opened";
    return fd;
}

FileText ReadRegularFile(const std::filesystem::path& path, std::size_t limit) {
    FileText out;
    const int fd = OpenForReading(path, &out.error);
    if (fd < 0) return out;
    struct stat st {};
    (void)::fstat(fd, &st);
    // One byte past the limit tells a file that is too large; the buffer
    // starts at the size the file claims and grows if it was wrong.
    const std::size_t cap = limit + 1;
    out.text.resize(std::min(cap, static_cast<std::size_t>(std::max<off_t>(st.st_size, 0)) + 1));
    std::size_t done = 0;
    while (true) {
        if (done == out.text.size()) {
            if (done == cap) break;
            out.text.resize(std::min(cap, done * 2));
        }
        const ssize_t n = ::read(fd, out.text.data() + done, out.text.size() - done);
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) {
            out.error = "cannot be read";
            break;
        }
        if (n == 0) break;
        done += static_cast<std::size_t>(n);
    }
    ::close(fd);
    out.whole = done <= limit;
    out.text.resize(out.error.empty() ? std::min(done, limit) : 0);
    return out;
}

}  // namespace orv
