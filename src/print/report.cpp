#include "print/report.h"

#include "core/format.h"
#include "core/listlines.h"
#include "print/printsurface.h"
#include "print/texts.h"

namespace zq {
namespace {
const QColor kGridColour(20, 210, 100);
// The widest entries the tables can hold, for fitting a row to the page.
const QString kWidestSequenceEntry = QStringLiteral("8888--8888℃  ");
const QString kWidestTimeEntry = QStringLiteral("88-88 88:88:88 -8888℃  ");

bool inWindow(const ChartView &view, int r)
{
    return view.ybase - kChartHeight < r && r < view.ybase;
}

void curveStep(PrintSurface &s, const ChartView &view, int j, int prev, int cur, const QColor &colour)
{
    if (inWindow(view, prev) && inWindow(view, cur))
        s.line(2440 + 60 * j, 3000 + 10 * view.yOf(prev), 2500 + 60 * j, 3000 + 10 * view.yOf(cur), colour);
}

void sequencePart(PrintSurface &s, const Record &record, const ChartView &view)
{
    const int start = qMax(0, view.seqStart());
    s.setDashed(false);
    s.setPenWidth(3);
    int prev = record.reading(start);
    for (int j = 1; j < ChartView::kReadingsPerView; ++j) {
        const int cur = record.reading(start + j);
        curveStep(s, view, j, prev, cur, Qt::black);
        prev = cur;
    }
    s.setPenWidth(1);
    // The table ends with the last reading held; slots past it are no readings.
    const int last = record.count();
    s.setFontSize(8);
    s.fitWidth(kWidestSequenceEntry.repeated(10), s.pageWidth() - 1400);
    for (int L = 0; L <= 12; ++L) {
        s.setPos(1400, 7800 + 250 * L);
        for (int k = 0; k <= 9; ++k) {
            const int n = start + 10 * L + k;
            if (n >= last)
                return;
            s.print(formatPadded(n, 3) + QLatin1Char('-') + formatPadded(record.reading(n), 4) + QStringLiteral("℃  "),
                false);
        }
    }
}

QString listEntry(const WDREC &r)
{
    if (r.wd == kFailedReading)
        return QStringLiteral("----");
    return timeStamp(r) + QLatin1Char(' ') + formatPadded(r.wd, 4) + QStringLiteral("℃  ");
}

void timePart(PrintSurface &s, const Record &record, const ReportParams &rp)
{
    const int g = rp.view.group;
    const int count = record.count(g);
    s.setDashed(false);
    s.setPenWidth(3);
    int prev = record.at(0, g).wd;
    const int n = qMin(count, ChartView::kReadingsPerView - 1);
    for (int j = 1; j <= n; ++j) {
        const int cur = record.at(j, g).wd;
        curveStep(s, rp.view, j, prev, cur, rp.groupColour);
        prev = cur;
    }
    s.setPos(2000, 2400);
    s.setFontSize(16);
    s.print(QStringLiteral("No.") + numberItem(g), true);
    s.setDashed(false);
    s.setPenWidth(1);
    s.setPos(1400, 7800);
    s.setFontSize(8);
    s.fitWidth(kWidestTimeEntry.repeated(5), s.pageWidth() - 1400);
    for (int j = 0; j < count; ++j) {
        if (j % 5 == 0) {
            s.endLine();
            s.setX(1400);
        }
        s.print(listEntry(record.at(j, g)), false);
    }
}
} // namespace

void layoutReport(PrintSurface &s, const Record &record, const ReportParams &rp)
{
    s.setPos(5000, 1000);
    s.setFontSize(16);
    s.print(sheet::kCurveTitle, true);
    s.setPos(5000, 1500);
    s.setFontSize(10);
    s.print(rp.date, true);
    s.setPenWidth(1);
    s.setDashed(true);
    s.setFontSize(10);
    for (int i = 0; i <= 4; ++i) {
        s.setPos(1600, 2800 + 1000 * i);
        s.print(numberItem(rp.view.ybase - 100 * i) + QStringLiteral("℃"), true);
        s.line(2500, 3000 + 1000 * i, 9700, 3000 + 1000 * i, kGridColour);
    }
    for (int i = 0; i <= 12; ++i) {
        s.line(2500 + 600 * i, 3000, 2500 + 600 * i, 7000, kGridColour);
        s.setPos(2400 + 600 * i, 7200);
        s.print(numberItem(rp.view.seqStart() + 10 * i), true);
    }
    if (record.isSequence())
        sequencePart(s, record, rp.view);
    else if (record.isTimeStamped())
        timePart(s, record, rp);
}
} // namespace zq
