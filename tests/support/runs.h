#pragma once

// Runs the suites share, each worked out so its figures can be checked by hand.
#include "core/datafile.h"
#include "support/records.h"

#include <QTemporaryDir>
#include <utility>

// Time-stamped readings, one a second from 07-26 10:00:00 unless `at` gives
// each reading's second (across midnight into 07-27 …).
inline zq::Record timed(const QVector<int> &values, const QVector<int> &at = {})
{
    QVector<WDREC> records;
    for (int i = 0; i < values.size(); ++i) {
        const int s = at.isEmpty() ? i : at[i];
        records.append(WDREC{int16_t(values[i]), 7, uint8_t(26 + s / 86400), uint8_t(10 + s / 3600 % 24),
            uint8_t(s / 60 % 60), uint8_t(s % 60)});
    }
    return zq::Record::timeStamped(records);
}

// One reading a minute from 07-26 10:00:00.
inline zq::Record everyMinute(const QVector<int> &values)
{
    QVector<int> at(values.size());
    for (int i = 0; i < at.size(); ++i)
        at[i] = 60 * i;
    return timed(values, at);
}

// 800 ×10, 850 ×60, 870 ×5, 850 ×60, one a second from 07-26 10:00:00: the
// longest soak in 840…860 is 59 s, the overshoot 10 ℃.
inline zq::Record soak()
{
    QVector<int> values;
    for (const auto &[count, value] : {std::pair{10, 800}, {60, 850}, {5, 870}, {60, 850}})
        values += QVector<int>(count, value);
    return timed(values);
}

// The data file of timeData(n, hour), as bytes.
inline QByteArray fileOf(int n, uint8_t hour = 9)
{
    return zq::dataFileBytes(timeData(n, hour));
}

// A record written as a data file `name` in dir; its path.
inline QString fileOf(QTemporaryDir &dir, const QString &name, const zq::Record &record)
{
    const QString path = dir.filePath(name);
    write(path, zq::dataFileBytes(record));
    return path;
}
