#pragma once

#include <QVector>
#include <cstdint>

// One time-stamped reading; seven bytes in a data file, in this field order.
struct WDREC
{
    int16_t wd = 0;
    uint8_t month = 0;
    uint8_t day = 0;
    uint8_t hour = 0;
    uint8_t minute = 0;
    uint8_t second = 0;

    bool isEmpty() const { return wd == 0 && month == 0 && day == 0 && hour == 0 && minute == 0 && second == 0; }
    bool operator==(const WDREC &o) const
    {
        return wd == o.wd && month == o.month && day == o.day && hour == o.hour && minute == o.minute
            && second == o.second;
    }
    bool operator!=(const WDREC &o) const { return !(*this == o); }
};

namespace zq {
constexpr int kFailedReading = 8888;
constexpr int kSeqReadings = 3840; // a full sequence download
constexpr int kTabSlots = 4033; // records a time-stamped download can hold
constexpr int kSelectorGroups = 8; // the group selector offers 0..7
constexpr int kFileRecords = 4032; // records of a time-stamped data file
constexpr int kProgressMax = 4032;

enum DataType { NoData = 0, SequenceData = 1, TimeData = 2 };

// What was measured, and nothing else: the data type, the sequence readings,
// or the time-stamped records. Made once by a decoder or a file reader and
// handed on as a value; nobody changes it afterwards. Copies share their
// storage, so passing one around costs nothing.
//
// Only group 0 ever holds records (the instrument has one); the selector's
// other groups read as empty.
class Record
{
public:
    Record() = default;
    static Record sequence(QVector<int16_t> readings);
    static Record timeStamped(QVector<WDREC> records);

    DataType type() const { return m_type; }
    bool holdsData() const { return m_type != NoData; }
    bool isSequence() const { return m_type == SequenceData; }
    bool isTimeStamped() const { return m_type == TimeData; }

    // Readings (sequence) or records of the group (time-stamped).
    int count(int group = 0) const;
    // The reading at i: 0 past the end, as an unfilled slot holds.
    int reading(int i, int group = 0) const;
    bool isFailed(int i, int group = 0) const { return reading(i, group) == kFailedReading; }
    // Time-stamped: the record at i; an empty record past the end or in another group.
    const WDREC &at(int i, int group = 0) const;

    const QVector<int16_t> &readings() const { return m_readings; }
    const QVector<WDREC> &records() const { return m_records; }

    bool operator==(const Record &o) const
    {
        return m_type == o.m_type && m_readings == o.m_readings && m_records == o.m_records;
    }

private:
    DataType m_type = NoData;
    QVector<int16_t> m_readings;
    QVector<WDREC> m_records;
};
} // namespace zq
