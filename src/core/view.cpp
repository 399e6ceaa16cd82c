#include "core/view.h"

#include "core/format.h"
#include "core/listlines.h"

#include <cmath>
#include <cstdlib>

namespace zq {
QString readoutAt(const Record &record, const ChartView &view, int x)
{
    if (x < 0 || x >= kChartWidth)
        return QString();
    if (record.isSequence()) {
        const int n = view.seqStart() + int(std::lround(double(x) / ChartView::kPixelsPerReading));
        if (n < 0 || n >= record.count())
            return QString();
        const int v = record.reading(n);
        return formatPadded(n, 4) + QStringLiteral("  ")
            + (v == kFailedReading ? QStringLiteral("ERRDATA!!!") : formatPadded(v, 4));
    }
    int best = -1;
    int bestDistance = 3;
    const int count = record.count();
    for (int i = 0; i < count; ++i) {
        const WDREC &r = record.at(i);
        const int distance = std::abs(ChartView::timeColumn(r) - x);
        if (view.inView(r) && distance < bestDistance) {
            best = i;
            bestDistance = distance;
        }
    }
    if (best < 0)
        return QString();
    const WDREC &r = record.at(best);
    return r.wd == kFailedReading ? timeStamp(r) + QStringLiteral("    ERRDATA!!!") : timeLine(r);
}

int fitBase(const Record &record, const ChartView &view)
{
    int highest = -1;
    if (record.isSequence()) {
        const int start = qMax(view.seqStart(), 0);
        const int end = qMin(record.count(), start + ChartView::kReadingsPerView);
        for (int i = start; i < end; ++i)
            if (ChartView::drawable(record.reading(i)))
                highest = qMax(highest, record.reading(i));
    } else {
        for (const WDREC &r : record.records())
            if (view.inView(r) && ChartView::drawable(r.wd))
                highest = qMax(highest, int(r.wd));
    }
    if (highest < 0)
        return -1;
    // The scale bar moves in hundreds between 400 and 2000.
    return qBound(ChartView::kBaseMin, (highest + 99) / 100 * 100, ChartView::kBaseMax);
}
} // namespace zq
