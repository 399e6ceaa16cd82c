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

QString timeLine(const WDREC &rec)
{
    if (rec.wd == kFailedReading)
        return QStringLiteral("ERRDATA!!!");
    QString line;
    line.reserve(24);
    appendPadded(line, rec.month, 2);
    line += QLatin1Char('-');
    appendPadded(line, rec.day, 2);
    line += QLatin1Char(' ');
    appendPadded(line, rec.hour, 2);
    line += QLatin1Char(':');
    appendPadded(line, rec.minute, 2);
    line += QLatin1Char(':');
    appendPadded(line, rec.second, 2);
    line += QLatin1String("    ");
    appendPadded(line, rec.wd, 4);
    return line;
}

QStringList readingLines(const Workspace &ws, int group)
{
    QStringList lines;
    if (ws.datatype == SequenceData) {
        const int n = qBound(0, ws.wdnum, kSeqSlots);
        lines.reserve(n);
        for (int i = 0; i < n; ++i)
            lines.append(sequenceLine(i, ws.wdseq[i]));
    } else if (ws.datatype == TimeData) {
        const int n = ws.groupCount(group);
        lines.reserve(n);
        for (int i = 0; i < n; ++i)
            lines.append(timeLine(ws.record(i, group)));
    }
    return lines;
}
} // namespace zq
