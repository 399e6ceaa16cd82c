#pragma once

#include "core/record.h"

#include <QByteArray>
#include <QString>
#include <cstdint>

namespace zq {
constexpr int kSeqPacket = 4;
constexpr int kTimePacket = 8;
constexpr int kOnlineReply = 5;

// A packed-BCD byte's value; halves above 9 are taken as they come (0x1A gives 20).
uint8_t bcdValue(uint8_t b);

// One sequence reading from its two bytes; a high byte above 8 is a failed reading.
int16_t sequenceReading(uint8_t low, uint8_t high);

// One 8-byte time-stamped packet as a record (reading and decoded stamp).
WDREC decodeTimePacket(const QByteArray &packet);

// The instrument's live reading from its reply; 8888 for anything not a reading.
int16_t decodeOnlineReply(const QByteArray &reply);

// Judges the first packets of a transfer: an instrument's clock never sends
// an impossible stamp, and a record that starts with half its readings
// failed is what misread bytes look like (a time-stamped stream read as
// sequence packets fails about half of them).
class PacketJudge
{
public:
    static constexpr int kPackets = 16;
    void begin(DataType type);
    // Counts one packet while fewer than kPackets have been judged.
    void add(const QByteArray &packet);
    bool full() const { return m_judged >= kPackets; }
    int judged() const { return m_judged; }
    // Why the packets judged are no record; empty when they may be one.
    QString verdict() const;

private:
    DataType m_type = NoData;
    int m_judged = 0;
    int m_badStamps = 0;
    int m_failed = 0;
    int m_readings = 0;
};

// Assembles a download's record packet by packet. Only the link makes
// records this way; what it hands on is the finished value.
class RecordBuilder
{
public:
    void begin(DataType type);
    DataType type() const { return m_type; }
    // Stores one packet. False when it was short or had no room; a
    // time-stamped packet without room still counts in packets(), so a
    // transfer can still end by its count.
    bool add(const QByteArray &packet);
    // Readings (sequence) or records (time-stamped) stored.
    int stored() const;
    // Time-stamped packets taken, stored or not.
    int packets() const { return m_packets; }
    Record record() const;

private:
    DataType m_type = NoData;
    QVector<int16_t> m_readings;
    QVector<WDREC> m_records;
    int m_packets = 0;
};
} // namespace zq
