// The real download and live-reading machines over a line of our own: the
// input is a script of byte chunks of any size and clock ticks of any length
// between them. Nothing may be stored past the tables, the counts stay in
// their bounds, and every transfer and poll ends.
#include "core/listlines.h"
#include "link/download.h"
#include "link/fakeport.h"
#include "link/onlinepoll.h"

#include <QCoreApplication>
#include <cstdint>
#include <cstdlib>

namespace {
void check(bool ok)
{
    if (!ok)
        std::abort();
}

// The record so far: nothing past the tables, the counts in their bounds.
void checkBounds(const ReadComMachine &download)
{
    const zq::Record r = download.record();
    if (r.isSequence())
        check(r.count() <= zq::kSeqReadings && r.count() % 2 == 0);
    if (r.isTimeStamped()) {
        check(r.count(1) == 0); // every record in group 0
        check(r.count() <= zq::kTabSlots);
        for (const WDREC &rec : r.records())
            check(rec.wd == zq::kFailedReading || (rec.wd >= 0 && rec.wd < 2048));
    }
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
    FakePort port;
    port.openFails = (data[0] & 0x80) != 0;
    const bool poll = data[0] & 1;
    qint64 now = 0;
    double day = 86300 + (data[0] >> 1 & 0x3F); // near midnight, so the clock may wrap
    ReadComMachine download(port);
    OnlinePollMachine live(port);
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
        for (int n = 0; n < 10000 && port.notifications() > 0; ++n) {
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
            if (port.portOpen())
                port.waiting.append(reinterpret_cast<const char *>(data + at), int(chunk));
            at += chunk;
            notify();
        }
        checkBounds(download);
    }
    // Whatever came, the machines end: by their limits at the latest.
    for (int i = 0; i < 3 && (download.active() || download.watching() || live.active()); ++i) {
        now += qint64(90) * 1000000000;
        day += 90;
        download.step();
        live.step();
    }
    check(!download.active() && !download.watching() && !live.active() && !port.portOpen());
    checkBounds(download);
    (void)zq::readingLines(download.record(), 0);
    return 0;
}
