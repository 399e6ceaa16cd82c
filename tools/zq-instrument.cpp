// A stand-in for the TQRM-ZQ1 on a pseudo-terminal (or a real serial device):
// answers the download request and the live-reading poll as the instrument
// does, paced like a 4800-baud line unless told to hurry.
#include "simoptions.h"
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

// The instrument's side of the line: what it answers, paced as the line
// carries it.
class Line
{
public:
    Line(const Options &opt, const SimRecord &record)
        : m_opt(opt)
        , m_record(record)
        , m_byteTime(std::chrono::microseconds(opt.byteMicros >= 0 ? opt.byteMicros
                  : opt.fast                                       ? 0
                                                                   : 2083)) // 10 bits at 4800 baud
        , m_start(Clock::now())
    { }

    void heard(uint8_t byte)
    {
        const auto t = Clock::now();
        if (byte == 0x00)
            download(t);
        else if (byte == 0xC0 && !m_opt.noReply) {
            const double secs = std::chrono::duration<double>(t - m_start).count();
            for (uint8_t b : onlineReply(liveValue(secs)))
                queue(b, t + std::chrono::milliseconds(m_opt.replyDelayMs));
        }
    }

    // Milliseconds until the next byte is due (at most 200).
    int wait() const
    {
        if (m_out.empty())
            return 200;
        const auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(m_out.front().first - Clock::now());
        return int(std::max<long long>(0, std::min<long long>(ms.count(), 200)));
    }

    void sendDue(int fd)
    {
        // A full line buffer just waits for the next round.
        uint8_t chunk[512];
        size_t len = 0;
        const auto due = Clock::now();
        while (len < sizeof chunk && !m_out.empty() && m_out.front().first <= due) {
            chunk[len++] = m_out.front().second;
            m_out.pop_front();
        }
        size_t done = 0;
        while (done < len) {
            const ssize_t w = write(fd, chunk + done, len - done);
            if (w <= 0)
                break;
            done += size_t(w);
        }
        for (size_t i = len; i > done; --i)
            m_out.emplace_front(due, chunk[i - 1]);
        if (m_opt.reportLastByte && len > 0 && done == len && m_out.empty()) {
            // Benchmarks compare this with the program's own finish.
            const auto ns = std::chrono::duration_cast<std::chrono::nanoseconds>(Clock::now().time_since_epoch());
            std::fprintf(stderr, "last byte at %lld\n", static_cast<long long>(ns.count()));
        }
        if (done < len)
            usleep(2000);
    }

private:
    void queue(uint8_t b, Clock::time_point notBefore)
    {
        m_lineFree = std::max(m_lineFree, notBefore) + m_byteTime;
        m_out.emplace_back(m_lineFree, b);
    }

    void download(Clock::time_point t)
    {
        // The instrument streams its memory to the end, whoever listens.
        if (m_opt.busyIgnoresRequests && !m_out.empty())
            return;
        m_out.clear();
        m_lineFree = t;
        if (m_opt.noReply)
            return;
        auto at = t + std::chrono::milliseconds(m_opt.replyDelayMs);
        for (int j = 0; j < m_opt.junk; ++j)
            queue(0x55, at);
        for (char b : m_opt.junkBytes)
            queue(uint8_t(b), at);
        queue(m_record.timeStamped ? 0x01 : 0x00, at);
        long offset = 0;
        int sent = 0;
        for (const auto &packet : m_record.packets) {
            if (m_opt.cutAfter >= 0 && sent >= m_opt.cutAfter)
                break;
            if (sent == m_opt.pauseAfter)
                at = m_lineFree + std::chrono::milliseconds(m_opt.pauseMs);
            for (uint8_t b : packet) {
                queue(offset == m_opt.garbleOffset ? uint8_t(b ^ 0x5A) : b, at);
                ++offset;
            }
            ++sent;
        }
    }

    const Options &m_opt;
    const SimRecord &m_record;
    const std::chrono::microseconds m_byteTime;
    const Clock::time_point m_start;
    // Bytes to send, each with the time it may go on the line.
    std::deque<std::pair<Clock::time_point, uint8_t>> m_out;
    Clock::time_point m_lineFree = Clock::now();
};

// The device to serve on: a given one, or a new pseudo-terminal. The path
// to tell the program, or empty on failure.
std::string openLine(const Options &opt, int *fd, int *keepSlave)
{
    if (!opt.device.empty()) {
        *fd = open(opt.device.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK);
        if (*fd < 0) {
            std::fprintf(stderr, "zq-instrument: %s: %s\n", opt.device.c_str(), std::strerror(errno));
            return std::string();
        }
        makeRaw(*fd);
        return opt.device;
    }
    char name[256] = {0};
    if (openpty(fd, keepSlave, name, nullptr, nullptr) != 0) {
        std::perror("zq-instrument: openpty");
        return std::string();
    }
    // Holding the slave open keeps the master readable between the
    // program's opens and closes of the port.
    makeRaw(*keepSlave);
    makeRaw(*fd);
    fcntl(*fd, F_SETFL, fcntl(*fd, F_GETFL) | O_NONBLOCK);
    return name;
}
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
    std::string path = openLine(opt, &fd, &keepSlave);
    if (path.empty())
        return 1;
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

    Line line(opt, record);
    while (!g_stop) {
        pollfd pfd{fd, POLLIN, 0};
        const int n = poll(&pfd, 1, line.wait());
        if (n < 0 && errno == EINTR)
            continue;
        if (n > 0 && (pfd.revents & POLLIN)) {
            uint8_t buf[64];
            const ssize_t got = read(fd, buf, sizeof buf);
            for (ssize_t i = 0; i < got; ++i)
                line.heard(buf[i]);
        }
        line.sendDue(fd);
    }
    if (!opt.link.empty())
        unlink(opt.link.c_str());
    if (keepSlave >= 0)
        close(keepSlave);
    close(fd);
    return 0;
}
