#include "core/view.h"

#include "core/format.h"
#include "core/listlines.h"

#include <cmath>
#include <cstdlib>

namespace zq {
int readingAt(const Record &record, const ChartView &view, int x)
{
    if (x < 0 || x >= kChartWidth)
        return -1;
    if (record.isSequence()) {
        const int n = view.seqStart() + int(std::lround(double(x) / ChartView::kPixelsPerReading));
        return n >= 0 && n < record.count() ? n : -1;
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
    return best;
}

int columnOf(const Record &record, const ChartView &view, int index)
{
    if (record.isSequence()) {
        const int x = (index - view.seqStart()) * ChartView::kPixelsPerReading;
        return x >= 0 && x < kChartWidth ? x : -1;
    }
    const WDREC &r = record.at(index);
    return index < record.count() && view.inView(r) ? ChartView::timeColumn(r) : -1;
}

QString readoutAt(const Record &record, const ChartView &view, int x)
{
    const int n = readingAt(record, view, x);
    if (n < 0)
        return QString();
    if (record.isSequence()) {
        const int v = record.reading(n);
        return formatPadded(n, 4) + QStringLiteral("  ")
            + (v == kFailedReading ? QStringLiteral("ERRDATA!!!") : formatPadded(v, 4));
    }
    const WDREC &r = record.at(n);
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
