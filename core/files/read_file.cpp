#include "core/files/read_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

namespace orv {

FileText ReadRegularFile(const std::filesystem::path& path, std::size_t limit) {
    FileText out;
    // Without O_NONBLOCK the open of a FIFO waits for a writer, for ever.
    const int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    if (fd < 0) {
        out.error = "cannot be opened";
        return out;
    }
    struct stat st {};
    if (::fstat(fd, &st) != 0) out.error = "cannot be read";
    else if (S_ISDIR(st.st_mode)) out.error = "is a folder, not a file";
    else if (!S_ISREG(st.st_mode)) out.error = "is not a regular file";
    if (!out.error.empty()) {
        ::close(fd);
        return out;
    }
    // One byte past the limit tells a file that is too large.
    out.text.resize(limit + 1);
    std::size_t done = 0;
    while (done < out.text.size()) {
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
