// The least a poller can do: a live read, its 10-byte reply, again, on a
// raw serial line, with nothing else. bench/link_rate.sh sets the console's
// CPU per poll against this one's, measured in the same run.
//   orv_bare_poller PORT SECONDS
// Prints "polls cpu_seconds elapsed_seconds".
#include <fcntl.h>
#include <poll.h>
#include <sys/resource.h>
#include <termios.h>
#include <time.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>

namespace {

double Now() {
    timespec t{};
    clock_gettime(CLOCK_MONOTONIC, &t);
    return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_nsec) / 1e9;
}

double CpuSeconds() {
    rusage u{};
    getrusage(RUSAGE_SELF, &u);
    auto seconds = [](const timeval& v) { return static_cast<double>(v.tv_sec) + static_cast<double>(v.tv_usec) / 1e6; };
    return seconds(u.ru_utime) + seconds(u.ru_stime);
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 3) {
        std::fprintf(stderr, "usage: orv_bare_poller PORT SECONDS\n");
        return 2;
    }
    const int fd = open(argv[1], O_RDWR | O_NOCTTY);
    termios tio{};
    if (fd < 0 || tcgetattr(fd, &tio) != 0) {
        std::perror(argv[1]);
        return 1;
    }
    cfmakeraw(&tio);
    cfsetspeed(&tio, B19200);
    tcsetattr(fd, TCSANOW, &tio);
    const unsigned char request[] = {0x8A, 0x01, 0x03};
    const double end = Now() + std::atof(argv[2]);
    const double cpu0 = CpuSeconds(), t0 = Now();
    long polls = 0;
    unsigned char reply[64];
    while (Now() < end) {
        tcflush(fd, TCIFLUSH);
        if (write(fd, request, sizeof request) != sizeof request) return 1;
        // A lost reply is given up after a tenth of a second.
        std::size_t got = 0;
        const double deadline = Now() + 0.1;
        while (got < 10) {
            pollfd p{fd, POLLIN, 0};
            const int left_ms = static_cast<int>((deadline - Now()) * 1000);
            if (left_ms <= 0 || poll(&p, 1, left_ms) <= 0) break;
            const ssize_t n = read(fd, reply + got, sizeof reply - got);
            if (n <= 0) break;
            got += static_cast<std::size_t>(n);
        }
        if (got == 10) ++polls;
    }
    std::printf("%ld %f %f\n", polls, CpuSeconds() - cpu0, Now() - t0);
    return 0;
}
