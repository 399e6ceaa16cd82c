#include "core/listlines.h"

#include "core/format.h"

namespace zq {
QString sequenceLine(int index, int reading)
{
    QString line;
    line.reserve(18);
    appendPadded(line, index, 4);
    line += QLatin1String("--------");
    appendPadded(line, reading, 4);
    return line;
}

void appendTimeStamp(QString &out, const WDREC &rec)
{
    appendPadded(out, rec.month, 2);
    out += QLatin1Char('-');
    appendPadded(out, rec.day, 2);
    out += QLatin1Char(' ');
    appendPadded(out, rec.hour, 2);
    out += QLatin1Char(':');
    appendPadded(out, rec.minute, 2);
    out += QLatin1Char(':');
    appendPadded(out, rec.second, 2);
}

QString timeStamp(const WDREC &rec)
{
    QString out;
    out.reserve(14);
    appendTimeStamp(out, rec);
    return out;
}

QString timeLine(const WDREC &rec)
{
    if (rec.wd == kFailedReading)
        return QStringLiteral("ERRDATA!!!");
    QString line;
    line.reserve(24);
    appendTimeStamp(line, rec);
    line += QLatin1String("    ");
    appendPadded(line, rec.wd, 4);
    return line;
}

QStringList readingLines(const Record &record, int group)
{
    QStringList lines;
    const int n = record.count(group);
    lines.reserve(n);
    if (record.isSequence()) {
        for (int i = 0; i < n; ++i)
            lines.append(sequenceLine(i, record.reading(i)));
    } else {
        for (int i = 0; i < n; ++i)
            lines.append(timeLine(record.at(i, group)));
    }
    return lines;
}
} // namespace zq
