// A stand-in for the TQRM-ZQ1 on a pseudo-terminal (or a real serial device):
// answers the download request and the live-reading poll as the instrument
// does, paced like a 4800-baud line unless told to hurry.
#include "simrecord.h"

#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <deque>
#include <fcntl.h>
#include <functional>
#include <map>
#include <poll.h>
#include <pty.h>
#include <string>
#include <termios.h>
#include <unistd.h>

namespace {
volatile std::sig_atomic_t g_stop = 0;
void onSignal(int)
{
    g_stop = 1;
}

using Clock = std::chrono::steady_clock;

struct Options
{
    bool timeStamped = false;
    int count = -1;
    std::string file;
    bool fast = false;
    bool reportLastByte = false;
    int replyDelayMs = 0;
    bool noReply = false;
    int junk = 0;
    int cutAfter = -1;
    long garbleOffset = -1;
    std::string device;
    std::string link;
};

void usage()
{
    std::fprintf(stderr,
        "usage: zq-instrument [--style 0|1] [--count N] [--file DATA.ZQ] [--fast]\n"
        "                     [--reply-delay MS] [--no-reply] [--junk N] [--cut-after PACKETS]\n"
        "                     [--garble OFFSET] [--device PATH] [--link PATH] [--report-last-byte]\n"
        "Prints the device to use on its first line, then serves until SIGINT or SIGTERM.\n");
}

bool parse(int argc, char **argv, Options *o)
{
    const std::map<std::string, bool Options::*> flags{{"--fast", &Options::fast},
        {"--report-last-byte", &Options::reportLastByte}, {"--no-reply", &Options::noReply}};
    const std::map<std::string, std::function<void(const char *)>> values{
        {"--style", [o](const char *v) { o->timeStamped = std::atoi(v) == 1; }},
        {"--count", [o](const char *v) { o->count = std::atoi(v); }}, {"--file", [o](const char *v) { o->file = v; }},
        {"--reply-delay", [o](const char *v) { o->replyDelayMs = std::atoi(v); }},
        {"--junk", [o](const char *v) { o->junk = std::atoi(v); }},
        {"--cut-after", [o](const char *v) { o->cutAfter = std::atoi(v); }},
        {"--garble", [o](const char *v) { o->garbleOffset = std::atol(v); }},
        {"--device", [o](const char *v) { o->device = v; }}, {"--link", [o](const char *v) { o->link = v; }}};
    for (int i = 1; i < argc; ++i) {
        const std::string a = argv[i];
        if (a == "--help") {
            usage();
            std::exit(0);
        }
        if (const auto flag = flags.find(a); flag != flags.end()) {
            o->*(flag->second) = true;
        } else if (const auto value = values.find(a); value != values.end()) {
            if (i + 1 >= argc) {
                std::fprintf(stderr, "zq-instrument: %s needs a value\n", a.c_str());
                return false;
            }
            value->second(argv[++i]);
        } else {
            usage();
            return false;
        }
    }
    return true;
}

void makeRaw(int fd)
{
    termios t{};
    if (tcgetattr(fd, &t) != 0)
        return;
    cfmakeraw(&t);
    cfsetispeed(&t, B4800);
    cfsetospeed(&t, B4800);
    tcsetattr(fd, TCSANOW, &t);
}

// Bytes to send, each with the time it may go on the line.
struct Outgoing
{
    std::deque<std::pair<Clock::time_point, uint8_t>> bytes;
    void clear() { bytes.clear(); }
};
} // namespace

int main(int argc, char **argv)
{
    Options opt;
    if (!parse(argc, argv, &opt))
        return 2;
    SimRecord record;
    if (!opt.file.empty()) {
        std::string error;
        if (!recordFromFile(opt.file, &record, &error)) {
            std::fprintf(stderr, "zq-instrument: %s\n", error.c_str());
            return 1;
        }
    } else {
        const int count = opt.count >= 0 ? opt.count : (opt.timeStamped ? 720 : 3840);
        record = generatedRecord(opt.timeStamped, count, 7);
    }

    int fd = -1;
    int keepSlave = -1;
    std::string path;
    if (!opt.device.empty()) {
        fd = open(opt.device.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK);
        if (fd < 0) {
            std::fprintf(stderr, "zq-instrument: %s: %s\n", opt.device.c_str(), std::strerror(errno));
            return 1;
        }
        makeRaw(fd);
        path = opt.device;
    } else {
        char name[256] = {0};
        if (openpty(&fd, &keepSlave, name, nullptr, nullptr) != 0) {
            std::perror("zq-instrument: openpty");
            return 1;
        }
        // Holding the slave open keeps the master readable between the
        // program's opens and closes of the port.
        makeRaw(keepSlave);
        makeRaw(fd);
        fcntl(fd, F_SETFL, fcntl(fd, F_GETFL) | O_NONBLOCK);
        path = name;
    }
    if (!opt.link.empty()) {
        unlink(opt.link.c_str());
        if (symlink(path.c_str(), opt.link.c_str()) == 0)
            path = opt.link;
    }
    std::printf("%s\n", path.c_str());
    std::fflush(stdout);

    struct sigaction sa
    {
    };
    sa.sa_handler = onSignal;
    sigaction(SIGINT, &sa, nullptr);
    sigaction(SIGTERM, &sa, nullptr);
    signal(SIGPIPE, SIG_IGN);

    const auto byteTime = std::chrono::microseconds(opt.fast ? 0 : 2083); // 10 bits at 4800 baud
    const auto start = Clock::now();
    Outgoing out;
    Clock::time_point lineFree = Clock::now();
    auto queue = [&](uint8_t b, Clock::time_point notBefore) {
        lineFree = std::max(lineFree, notBefore) + byteTime;
        out.bytes.emplace_back(lineFree, b);
    };

    while (!g_stop) {
        int timeout = 200;
        const auto now = Clock::now();
        if (!out.bytes.empty()) {
            const auto wait = std::chrono::duration_cast<std::chrono::milliseconds>(out.bytes.front().first - now);
            timeout = int(std::max<long long>(0, std::min<long long>(wait.count(), 200)));
        }
        pollfd pfd{fd, POLLIN, 0};
        const int n = poll(&pfd, 1, timeout);
        if (n < 0 && errno == EINTR)
            continue;
        if (n > 0 && (pfd.revents & POLLIN)) {
            uint8_t buf[64];
            const ssize_t got = read(fd, buf, sizeof buf);
            for (ssize_t i = 0; i < got; ++i) {
                const auto t = Clock::now();
                if (buf[i] == 0x00) {
                    out.clear();
                    lineFree = t;
                    if (opt.noReply)
                        continue;
                    const auto replyAt = t + std::chrono::milliseconds(opt.replyDelayMs);
                    for (int j = 0; j < opt.junk; ++j)
                        queue(0x55, replyAt);
                    queue(record.timeStamped ? 0x01 : 0x00, replyAt);
                    long offset = 0;
                    int sent = 0;
                    for (const auto &packet : record.packets) {
                        if (opt.cutAfter >= 0 && sent >= opt.cutAfter)
                            break;
                        for (uint8_t b : packet) {
                            queue(offset == opt.garbleOffset ? uint8_t(b ^ 0x5A) : b, replyAt);
                            ++offset;
                        }
                        ++sent;
                    }
                } else if (buf[i] == 0xC0 && !opt.noReply) {
                    const double secs = std::chrono::duration<double>(t - start).count();
                    for (uint8_t b : onlineReply(liveValue(secs)))
                        queue(b, t + std::chrono::milliseconds(opt.replyDelayMs));
                }
            }
        }
        // Send what is due; a full line buffer just waits for the next round.
        uint8_t chunk[512];
        size_t len = 0;
        const auto due = Clock::now();
        while (len < sizeof chunk && !out.bytes.empty() && out.bytes.front().first <= due) {
            chunk[len++] = out.bytes.front().second;
            out.bytes.pop_front();
        }
        size_t done = 0;
        while (done < len) {
            const ssize_t w = write(fd, chunk + done, len - done);
            if (w <= 0)
                break;
            done += size_t(w);
        }
        for (size_t i = len; i > done; --i)
            out.bytes.emplace_front(due, chunk[i - 1]);
        if (opt.reportLastByte && len > 0 && done == len && out.bytes.empty()) {
            // Benchmarks compare this with the program's own finish.
            const auto ns = std::chrono::duration_cast<std::chrono::nanoseconds>(Clock::now().time_since_epoch());
            std::fprintf(stderr, "last byte at %lld\n", static_cast<long long>(ns.count()));
        }
        if (done < len)
            usleep(2000);
    }
    if (!opt.link.empty())
        unlink(opt.link.c_str());
    if (keepSlave >= 0)
        close(keepSlave);
    close(fd);
    return 0;
}
