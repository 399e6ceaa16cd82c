// The floor for the CPU share of a download: a minimal reader of the same
// stream from the same simulator. Sends the request, reads raw bytes until
// the line has been silent for two seconds, and prints its CPU share.
#include <cstdio>
#include <fcntl.h>
#include <poll.h>
#include <sys/resource.h>
#include <termios.h>
#include <time.h>
#include <unistd.h>

namespace {
double seconds(const timespec &t)
{
    return double(t.tv_sec) + double(t.tv_nsec) / 1e9;
}
} // namespace

int main(int argc, char *argv[])
{
    if (argc < 2)
        return 2;
    const int fd = open(argv[1], O_RDWR | O_NOCTTY);
    if (fd < 0)
        return 1;
    termios tio{};
    tcgetattr(fd, &tio);
    cfmakeraw(&tio);
    cfsetspeed(&tio, B4800);
    tcsetattr(fd, TCSANOW, &tio);
    timespec start{}, now{};
    clock_gettime(CLOCK_MONOTONIC, &start);
    const char request = 0;
    if (write(fd, &request, 1) != 1)
        return 1;
    long total = 0;
    char buf[256];
    pollfd p{fd, POLLIN, 0};
    while (poll(&p, 1, 2000) > 0) {
        const ssize_t n = read(fd, buf, sizeof buf);
        if (n <= 0)
            break;
        total += n;
    }
    clock_gettime(CLOCK_MONOTONIC, &now);
    rusage u{};
    getrusage(RUSAGE_SELF, &u);
    const double cpu
        = double(u.ru_utime.tv_sec + u.ru_stime.tv_sec) + double(u.ru_utime.tv_usec + u.ru_stime.tv_usec) / 1e6;
    const double wall = seconds(now) - seconds(start) - 2.0; // less the closing silence
    std::printf("min_reader_bytes\t%ld\n", total);
    std::printf("min_reader_cpu_share_pct\t%.2f\n", 100.0 * cpu / wall);
    close(fd);
    return 0;
}
