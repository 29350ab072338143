#include "core/files/read_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
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
