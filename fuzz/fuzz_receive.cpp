// Any byte stream through the receive path, cut into notifications of any
// size, in each use of the port: handshake reply then packets, sequence
// packets, time-stamped packets, online reply. What is stored must stay
// inside the tables and be a reading the packet can spell.
#include "core/decode.h"
#include "core/listlines.h"

#include <cstdint>
#include <cstdlib>
#include <memory>

namespace {
void check(bool ok)
{
    if (!ok)
        std::abort();
}

bool validSequence(int v)
{
    return v == zq::kFailedReading || (v >= 0 && v <= 8 * 256 + 255);
}
bool validTime(int v)
{
    return v == zq::kFailedReading || (v >= 0 && v <= 7 * 256 + 255);
}
} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    if (size < 2)
        return 0;
    enum Use { Handshake, Sequence, Time, Online };
    Use use = Use(data[0] % 4);
    unsigned cut = data[1];
    auto ws = std::make_unique<Workspace>();
    ws->datatype = use == Sequence ? zq::SequenceData : use == Time ? zq::TimeData : zq::NoData;
    int inputLen = use == Handshake ? 1 : use == Sequence ? 4 : use == Time ? 8 : 0;
    int threshold = use == Online ? 5 : inputLen;

    QByteArray waiting;
    size_t at = 2;
    while (at < size) {
        // The line delivers a chunk; the port then notifies while a packet waits.
        const size_t chunk = 1 + (cut = cut * 1103515245u + 12345u) % 64;
        waiting.append(reinterpret_cast<const char *>(data + at), int(std::min(chunk, size - at)));
        at += chunk;
        while (waiting.size() >= threshold) {
            const QByteArray packet = inputLen > 0 ? waiting.left(inputLen) : waiting;
            waiting.remove(0, packet.size());
            if (use == Handshake) {
                if (packet.at(0) == 0x00) {
                    use = Sequence;
                    ws->datatype = zq::SequenceData;
                    inputLen = threshold = 4;
                } else if (packet.at(0) == 0x01) {
                    use = Time;
                    ws->datatype = zq::TimeData;
                    inputLen = threshold = 8;
                }
            } else if (use == Sequence) {
                zq::storeSequencePacket(*ws, packet);
            } else if (use == Time) {
                zq::storeTimePacket(*ws, packet);
            } else {
                const int live = zq::decodeOnlineReply(packet);
                check(live == zq::kFailedReading || (live >= 0 && live <= 2000));
            }
        }
    }
    check(ws->wdnum >= 0 && ws->wdnum <= zq::kSeqReadings && ws->wdnum % 2 == 0);
    check(ws->grpcount[0] >= 0 && ws->grpcount[0] <= zq::kTabSlots && ws->grpcount[0] <= ws->recnum);
    for (int i = 0; i < ws->wdnum; ++i)
        check(validSequence(ws->wdseq[i]));
    for (int i = 0; i < ws->grpcount[0]; ++i)
        check(validTime(ws->wdtab[i][0].wd) && ws->wdtab[i][0].month <= 165);
    (void)zq::readingLines(*ws, 0);
    return 0;
}
