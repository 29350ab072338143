#include "core/files/atomic_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <system_error>

namespace orv {

namespace {

std::string Reason(int err) { return std::generic_category().message(err); }

bool Fail(std::string* error, const std::string& reason) {
    if (error) *error = reason;
    return false;
}

// The temporary is created new (O_EXCL, no link followed): a name planted in
// the folder beforehand, a link to some other file above all, is never
// written through; another name is tried instead.
int CreateTemporary(const std::filesystem::path& path, std::filesystem::path& tmp, int& err) {
    static std::atomic<unsigned> counter{0};
    for (int attempt = 0; attempt < 100; ++attempt) {
        tmp = path;
        tmp += ".tmp" + std::to_string(::getpid()) + "-" + std::to_string(counter++);
        int fd = ::open(tmp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0666);
        if (fd >= 0) {
            err = 0;
            return fd;
        }
        err = errno;
        if (err != EEXIST) return -1;
    }
    return -1;
}

// A name that is a symbolic link is saved through to the file it names: the
// rename replaces that file and the link stays. Followed as the system
// would, a relative target from the link's own folder.
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

}  // namespace

bool WriteFileAtomically(const std::filesystem::path& name, std::string_view content, std::string* error) {
    const std::filesystem::path path = FollowLinks(name);
    std::filesystem::path tmp;
    int err = 0;
    const int fd = CreateTemporary(path, tmp, err);
    if (fd < 0) return Fail(error, Reason(err));

    // A file being replaced keeps its permissions.
    struct stat old {};
    if (::stat(path.c_str(), &old) == 0 && S_ISREG(old.st_mode)) (void)::fchmod(fd, old.st_mode & 07777);

    std::size_t done = 0;
    while (done < content.size() && err == 0) {
        const ssize_t n = ::write(fd, content.data() + done, content.size() - done);
        if (n < 0 && errno != EINTR) err = errno;
        else if (n > 0) done += static_cast<std::size_t>(n);
    }
    // On disk before the rename, or a crash could leave an empty file under the old name.
    if (err == 0 && ::fsync(fd) != 0) err = errno;
    if (::close(fd) != 0 && err == 0) err = errno;
    if (err == 0 && ::rename(tmp.c_str(), path.c_str()) != 0) err = errno;
    if (err != 0) {
        ::unlink(tmp.c_str());
        return Fail(error, Reason(err));
    }
    return true;
}

}  // namespace orv
