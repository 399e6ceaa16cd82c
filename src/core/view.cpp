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

int nearestReadingAt(const Record &record, const ChartView &view, int x)
{
    if (record.isSequence()) {
        const int n = view.seqStart() + int(std::lround(double(x) / ChartView::kPixelsPerReading));
        return record.count() ? qBound(0, n, record.count() - 1) : -1;
    }
    int best = -1;
    for (int i = 0; i < record.count(); ++i) {
        const WDREC &r = record.at(i);
        if (view.inView(r)
            && (best < 0
                || std::abs(ChartView::timeColumn(r) - x) < std::abs(ChartView::timeColumn(record.at(best)) - x)))
            best = i;
    }
    return best;
}

std::pair<int, int> readingsInView(const Record &record, const ChartView &view)
{
    if (record.isSequence()) {
        const int first = view.seqStart(), last = qMin(record.count(), first + ChartView::kReadingsPerView) - 1;
        return first <= last ? std::pair{first, last} : std::pair{-1, -1};
    }
    // The first run of records in the hour shown (a later day's hour is elsewhere).
    int first = -1, last = -1;
    for (int i = 0; i < record.count() && (first < 0 || last == i - 1); ++i)
        if (view.inView(record.at(i))) {
            first = first < 0 ? i : first;
            last = i;
        }
    return {first, last};
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
