#include "core/decode.h"

uint8_t DECtoHEX(uint8_t &b)
{
    const int low = b & 0x0F;
    const int high = (b & 0xF0) / 16;
    b = static_cast<uint8_t>(high * 10 + low);
    return b;
}

namespace zq {
namespace {
uint8_t byteAt(const QByteArray &a, int i)
{
    return static_cast<uint8_t>(a.at(i));
}
} // namespace

int16_t sequenceReading(uint8_t low, uint8_t high)
{
    if (high > 8)
        return kFailedReading;
    return static_cast<int16_t>(high * 256 + low);
}

bool storeSequencePacket(Workspace &ws, const QByteArray &packet)
{
    if (packet.size() < kSeqPacket || ws.wdnum < 0 || ws.wdnum + 1 >= kSeqSlots)
        return false;
    ws.wdseq[ws.wdnum] = sequenceReading(byteAt(packet, 0), byteAt(packet, 1));
    ws.wdseq[ws.wdnum + 1] = sequenceReading(byteAt(packet, 2), byteAt(packet, 3));
    ws.wdnum += 2;
    return true;
}

bool storeTimePacket(Workspace &ws, const QByteArray &packet)
{
    if (packet.size() < kTimePacket)
        return false;
    ws.workidx = 0;
    WDREC &r = ws.wdrec;
    const uint8_t high = byteAt(packet, 7);
    r.wd = high >= 8 ? kFailedReading : static_cast<int16_t>(high * 256 + byteAt(packet, 6));
    uint8_t b = byteAt(packet, 5);
    r.month = DECtoHEX(b);
    b = byteAt(packet, 4);
    r.day = DECtoHEX(b);
    b = byteAt(packet, 3);
    r.hour = DECtoHEX(b);
    b = byteAt(packet, 2);
    r.minute = DECtoHEX(b);
    b = byteAt(packet, 1);
    r.second = DECtoHEX(b);
    ws.recnum += 1;
    const int slot = ws.grpcount[0];
    if (slot < 0 || slot >= kTabSlots)
        return false;
    ws.wdtab[slot][0] = r;
    ws.grpcount[0] = slot + 1;
    return true;
}

int16_t decodeOnlineReply(const QByteArray &reply)
{
    if (reply.isEmpty() || byteAt(reply, 0) != 0xC0)
        return kFailedReading;
    if (reply.size() < kOnlineReply)
        return kFailedReading;
    if (byteAt(reply, 3) == 0x30 && byteAt(reply, 4) == 0x20)
        return kFailedReading;
    const long value = long(byteAt(reply, 1)) + 16L * (byteAt(reply, 2) ^ 0x10) + 256L * (byteAt(reply, 3) ^ 0x20)
        + 1024L * (byteAt(reply, 4) ^ 0x30);
    if (value > 2000)
        return kFailedReading;
    return static_cast<int16_t>(value);
}
} // namespace zq
