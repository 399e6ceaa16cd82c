#include "core/listlines.h"

#include "core/format.h"

namespace zq {
QString sequenceLine(int index, int reading)
{
    return formatPadded(index, 4) + QStringLiteral("--------") + formatPadded(reading, 4);
}

QString timeLine(const WDREC &rec)
{
    if (rec.wd == kFailedReading)
        return QStringLiteral("ERRDATA!!!");
    return formatPadded(rec.month, 2) + QLatin1Char('-') + formatPadded(rec.day, 2) + QLatin1Char(' ')
        + formatPadded(rec.hour, 2) + QLatin1Char(':') + formatPadded(rec.minute, 2) + QLatin1Char(':')
        + formatPadded(rec.second, 2) + QStringLiteral("    ") + formatPadded(rec.wd, 4);
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
