#include "core/record.h"

namespace zq {
Record Record::sequence(QVector<int16_t> readings)
{
    Record r;
    r.m_type = SequenceData;
    if (readings.size() > kSeqReadings)
        readings.resize(kSeqReadings);
    r.m_readings = std::move(readings);
    return r;
}

Record Record::timeStamped(QVector<WDREC> records)
{
    Record r;
    r.m_type = TimeData;
    if (records.size() > kTabSlots)
        records.resize(kTabSlots);
    r.m_records = std::move(records);
    return r;
}

int Record::count(int group) const
{
    if (m_type == SequenceData)
        return int(m_readings.size());
    if (m_type == TimeData && group == 0)
        return int(m_records.size());
    return 0;
}

int Record::reading(int i, int group) const
{
    if (m_type == SequenceData)
        return i >= 0 && i < m_readings.size() ? m_readings.at(i) : 0;
    return at(i, group).wd;
}

const WDREC &Record::at(int i, int group) const
{
    static const WDREC empty{};
    if (m_type != TimeData || group != 0 || i < 0 || i >= m_records.size())
        return empty;
    return m_records.at(i);
}
} // namespace zq
