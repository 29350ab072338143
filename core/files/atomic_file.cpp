#include "core/files/atomic_file.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <charconv>
#include <climits>
#include <cstdio>
#include <optional>
#include <system_error>

#include "core/files/read_file.h"

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

// The process id in a temporary's name NAME.tmpPID-N of `prefix` NAME.tmp,
// or nothing when the name is not exactly of that form.
std::optional<pid_t> TemporaryOwner(std::string_view name, std::string_view prefix) {
    if (!name.starts_with(prefix)) return std::nullopt;
    name.remove_prefix(prefix.size());
    const std::size_t dash = name.find('-');
    if (dash == std::string_view::npos) return std::nullopt;
    auto digits = [](std::string_view s) { return !s.empty() && s.find_first_not_of("0123456789") == std::string_view::npos; };
    if (!digits(name.substr(0, dash)) || !digits(name.substr(dash + 1))) return std::nullopt;
    long long pid = 0;
    // Zero would ask about our own process group, not a process.
    if (std::from_chars(name.data(), name.data() + dash, pid).ec != std::errc() || pid <= 0 || pid > INT_MAX)
        return std::nullopt;
    return static_cast<pid_t>(pid);
}

// A save cut short (the process killed between creating its temporary and
// the rename) leaves the temporary behind. The next save of the same file
// removes those whose process is gone; a live one may still be saving.
void RemoveStaleTemporaries(const std::filesystem::path& path) {
    const std::string prefix = path.filename().string() + ".tmp";
    const std::filesystem::path dir = path.has_parent_path() ? path.parent_path() : std::filesystem::path(".");
    std::error_code ec;
    for (std::filesystem::directory_iterator it(dir, ec), end; !ec && it != end; it.increment(ec)) {
        const std::filesystem::path& entry = it->path();
        const std::optional<pid_t> owner = TemporaryOwner(entry.filename().string(), prefix);
        if (!owner || *owner == ::getpid()) continue;
        if (::kill(*owner, 0) == 0 || errno != ESRCH) continue;
        struct stat st {};
        if (::lstat(entry.c_str(), &st) == 0 && S_ISREG(st.st_mode)) ::unlink(entry.c_str());
    }
}

// The content to `fd`, on disk, and the file closed; 0 or the first error.
int WriteAndClose(int fd, std::string_view content) {
    int err = 0;
    std::size_t done = 0;
    while (done < content.size() && err == 0) {
        const ssize_t n = ::write(fd, content.data() + done, content.size() - done);
        if (n < 0 && errno != EINTR) err = errno;
        else if (n > 0) done += static_cast<std::size_t>(n);
    }
    // On disk before the rename, or a crash could leave an empty file under the name.
    if (err == 0 && ::fsync(fd) != 0) err = errno;
    if (::close(fd) != 0 && err == 0) err = errno;
    return err;
}

// The temporary under `path` only if nothing is there, or EEXIST. A rename
// that may not replace, or on a file system without it a hard link: both
// refuse a name that exists, a dangling link included.
int PublishNew(const std::filesystem::path& tmp, const std::filesystem::path& path) {
    if (::renameat2(AT_FDCWD, tmp.c_str(), AT_FDCWD, path.c_str(), RENAME_NOREPLACE) == 0) return 0;
    if (errno != EINVAL && errno != ENOSYS) return errno;
    if (::link(tmp.c_str(), path.c_str()) != 0) return errno;
    ::unlink(tmp.c_str());
    return 0;
}

}  // namespace

bool SameFile(const std::filesystem::path& a, const std::filesystem::path& b) {
    struct stat sa {}, sb {};
    if (::stat(a.c_str(), &sa) == 0 && ::stat(b.c_str(), &sb) == 0) return sa.st_dev == sb.st_dev && sa.st_ino == sb.st_ino;
    // Not there yet: one file once saved if the names lead to the same place.
    std::error_code ec;
    return std::filesystem::absolute(FollowLinks(a), ec).lexically_normal() ==
           std::filesystem::absolute(FollowLinks(b), ec).lexically_normal();
}

bool WriteFileAtomically(const std::filesystem::path& name, std::string_view content, std::string* error) {
    // A name that is a symbolic link is saved through to the file it names:
    // the rename replaces that file and the link stays.
    const std::filesystem::path path = FollowLinks(name);
    if (std::string refused = NotRegularFileError(name); !refused.empty()) return Fail(error, refused);
    RemoveStaleTemporaries(path);
    std::filesystem::path tmp;
    int err = 0;
    const int fd = CreateTemporary(path, tmp, err);
    if (fd < 0) return Fail(error, Reason(err));

    // A file being replaced keeps its permissions.
    struct stat old {};
    if (::stat(path.c_str(), &old) == 0 && S_ISREG(old.st_mode)) (void)::fchmod(fd, old.st_mode & 07777);

    err = WriteAndClose(fd, content);
    if (err == 0 && ::rename(tmp.c_str(), path.c_str()) != 0) err = errno;
    if (err != 0) {
        ::unlink(tmp.c_str());
        return Fail(error, Reason(err));
    }
    return true;
}

bool WriteNewFile(const std::filesystem::path& path, std::string_view content, std::filesystem::path* written,
                  std::string* error) {
    RemoveStaleTemporaries(path);
    std::filesystem::path tmp;
    int err = 0;
    const int fd = CreateTemporary(path, tmp, err);
    if (fd < 0) return Fail(error, Reason(err));
    if ((err = WriteAndClose(fd, content)) != 0) {
        ::unlink(tmp.c_str());
        return Fail(error, Reason(err));
    }
    std::filesystem::path name = path;
    for (int n = 2; (err = PublishNew(tmp, name)) == EEXIST && n < 10000; ++n)
        name = path.parent_path() / (path.stem().string() + "-" + std::to_string(n) + path.extension().string());
    if (err != 0) {
        ::unlink(tmp.c_str());
        return Fail(error, Reason(err));
    }
    if (written) *written = name;
    return true;
}

}  // namespace orv
