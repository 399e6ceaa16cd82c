#include "core/decode.h"
#include "core/texts.h"

namespace zq {
uint8_t bcdValue(uint8_t b)
{
    return static_cast<uint8_t>((b >> 4) * 10 + (b & 0x0F));
}

namespace {
uint8_t byteAt(const QByteArray &a, int i)
{
    return static_cast<uint8_t>(a.at(i));
}

bool bcdInRange(uint8_t b, int low, int high)
{
    if ((b >> 4) > 9 || (b & 0x0F) > 9)
        return false;
    const int v = bcdValue(b);
    return v >= low && v <= high;
}

// A time stamp the instrument's clock can hold.
bool validStamp(const QByteArray &packet)
{
    return bcdInRange(byteAt(packet, 5), 1, 12) && bcdInRange(byteAt(packet, 4), 1, 31)
        && bcdInRange(byteAt(packet, 3), 0, 23) && bcdInRange(byteAt(packet, 2), 0, 59)
        && bcdInRange(byteAt(packet, 1), 0, 59);
}
} // namespace

int16_t sequenceReading(uint8_t low, uint8_t high)
{
    if (high > 8)
        return kFailedReading;
    return static_cast<int16_t>(high * 256 + low);
}

WDREC decodeTimePacket(const QByteArray &packet)
{
    WDREC r;
    if (packet.size() < kTimePacket)
        return r;
    const uint8_t high = byteAt(packet, 7);
    r.wd = high >= 8 ? kFailedReading : static_cast<int16_t>(high * 256 + byteAt(packet, 6));
    r.month = bcdValue(byteAt(packet, 5));
    r.day = bcdValue(byteAt(packet, 4));
    r.hour = bcdValue(byteAt(packet, 3));
    r.minute = bcdValue(byteAt(packet, 2));
    r.second = bcdValue(byteAt(packet, 1));
    return r;
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

void PacketJudge::begin(DataType type)
{
    *this = PacketJudge();
    m_type = type;
}

void PacketJudge::add(const QByteArray &packet)
{
    const bool time = m_type == TimeData;
    if (full() || packet.size() < (time ? kTimePacket : kSeqPacket))
        return;
    ++m_judged;
    if (time) {
        m_badStamps += !validStamp(packet);
        m_failed += byteAt(packet, 7) >= 8;
        m_readings += 1;
    } else {
        m_failed += (byteAt(packet, 1) > 8) + (byteAt(packet, 3) > 8);
        m_readings += 2;
    }
}

QString PacketJudge::verdict() const
{
    if (m_badStamps > 0 && 4 * m_badStamps >= m_judged)
        return words::kBadStamps.arg(m_judged).arg(m_badStamps);
    if (m_readings > 0 && 2 * m_failed >= m_readings)
        return words::kFailedReadings.arg(m_readings).arg(m_failed);
    return QString();
}

void RecordBuilder::begin(DataType type)
{
    m_type = type;
    m_readings.clear();
    m_records.clear();
    m_packets = 0;
    if (type == SequenceData)
        m_readings.reserve(kSeqReadings);
    else if (type == TimeData)
        m_records.reserve(kTabSlots);
}

bool RecordBuilder::add(const QByteArray &packet)
{
    if (m_type == SequenceData) {
        if (packet.size() < kSeqPacket || m_readings.size() + 2 > kSeqReadings)
            return false;
        m_readings.append(sequenceReading(byteAt(packet, 0), byteAt(packet, 1)));
        m_readings.append(sequenceReading(byteAt(packet, 2), byteAt(packet, 3)));
        return true;
    }
    if (m_type != TimeData || packet.size() < kTimePacket)
        return false;
    ++m_packets;
    if (m_records.size() >= kTabSlots)
        return false;
    m_records.append(decodeTimePacket(packet));
    return true;
}

int RecordBuilder::stored() const
{
    return m_type == SequenceData ? int(m_readings.size()) : int(m_records.size());
}

Record RecordBuilder::record() const
{
    if (m_type == SequenceData)
        return Record::sequence(m_readings);
    if (m_type == TimeData)
        return Record::timeStamped(m_records);
    return Record();
}
} // namespace zq
