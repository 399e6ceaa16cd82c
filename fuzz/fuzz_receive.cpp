// The real download and live-reading machines over a line of our own: the
// input is a script of byte chunks of any size and clock ticks of any length
// between them. Nothing may be stored past the tables, the counts stay in
// their bounds, and every transfer and poll ends.
#include "core/listlines.h"
#include "link/download.h"
#include "link/onlinepoll.h"
#include "link/portio.h"

#include <QCoreApplication>
#include <cstdint>
#include <cstdlib>
#include <memory>

namespace {
void check(bool ok)
{
    if (!ok)
        std::abort();
}

class FakePort : public PortIO
{
public:
    bool opens = true;
    bool isOpen = false;
    int inputLen = 0;
    int threshold = 0;
    QByteArray waiting;

    bool portOpen() const override { return isOpen; }
    bool open(QString *error) override
    {
        if (!opens)
            *error = QStringLiteral("refused");
        isOpen = opens;
        return opens;
    }
    void close() override { isOpen = false; }
    void setInputLen(int len) override { inputLen = len; }
    void setRThreshold(int t) override { threshold = t; }
    int inBufferCount() const override { return int(waiting.size()); }
    void discardInput() override { waiting.clear(); }
    QByteArray input() override
    {
        const QByteArray out = inputLen > 0 ? waiting.left(inputLen) : waiting;
        waiting.remove(0, out.size());
        return out;
    }
    void output(const QByteArray &) override { }
};

void checkBounds(const Workspace &ws)
{
    check(ws.wdnum >= 0 && ws.wdnum <= zq::kSeqReadings && ws.wdnum % 2 == 0);
    check(ws.grpcount[0] >= 0 && ws.grpcount[0] <= zq::kTabSlots && ws.grpcount[0] <= ws.recnum);
    for (int g = 1; g < zq::kGroupCounts; ++g)
        check(ws.grpcount[g] == 0);
    for (int i = 0; i < ws.grpcount[0]; ++i)
        check(ws.wdtab[i][0].wd == zq::kFailedReading || (ws.wdtab[i][0].wd >= 0 && ws.wdtab[i][0].wd < 2048));
}
} // namespace

extern "C" int LLVMFuzzerInitialize(int *, char ***)
{
    static int argc = 1;
    static char name[] = "fuzz_receive";
    static char *argv[] = {name, nullptr};
    new QCoreApplication(argc, argv);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    if (size < 1)
        return 0;
    auto ws = std::make_unique<Workspace>();
    FakePort port;
    port.opens = (data[0] & 0x80) == 0;
    const bool poll = data[0] & 1;
    qint64 now = 0;
    double day = 86300 + (data[0] >> 1 & 0x3F); // near midnight, so the clock may wrap
    ReadComMachine download(*ws, port);
    OnlinePollMachine live(*ws, port);
    download.clockNs = [&now] { return now; };
    download.timeOfDay = [&day] { return day; };
    live.clockNs = [&now] { return now; };
    QString error;
    if (poll)
        live.start(&error);
    else
        download.start(&error);

    auto notify = [&] {
        // The port's notification: once per whole packet waiting.
        for (int n = 0; n < 10000 && port.isOpen && port.threshold > 0 && port.waiting.size() >= port.threshold; ++n) {
            if (download.active())
                download.receive();
            else if (live.active())
                live.receive();
            else
                break;
        }
    };
    size_t at = 1;
    while (at < size) {
        const uint8_t op = data[at++];
        if (op & 0x80) {
            // A tick after (op & 0x7F) * 37 ms.
            const qint64 ms = qint64(op & 0x7F) * 37;
            now += ms * 1000000;
            day += ms / 1000.0;
            if (day >= 86400)
                day -= 86400;
            download.step();
            live.step();
            notify();
        } else {
            const size_t chunk = std::min<size_t>(op + 1, size - at);
            if (port.isOpen)
                port.waiting.append(reinterpret_cast<const char *>(data + at), int(chunk));
            at += chunk;
            notify();
        }
        checkBounds(*ws);
    }
    // Whatever came, the machines end: by their limits at the latest.
    for (int i = 0; i < 3 && (download.active() || live.active()); ++i) {
        now += qint64(90) * 1000000000;
        day += 90;
        download.step();
        live.step();
    }
    check(!download.active() && !live.active() && !port.isOpen);
    checkBounds(*ws);
    (void)zq::readingLines(*ws, 0);
    return 0;
}
