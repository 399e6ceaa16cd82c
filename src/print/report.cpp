#include "print/report.h"

#include "core/format.h"
#include "core/listlines.h"
#include "print/printsurface.h"

namespace zq {
namespace {
const QColor kGridColour(20, 210, 100);
// The widest entries the tables can hold, for fitting a row to the page.
const QString kWidestSequenceEntry = QStringLiteral("8888--8888℃  ");
const QString kWidestTimeEntry = QStringLiteral("88-88 88:88:88 -8888℃  ");

bool inWindow(const Workspace &ws, int r)
{
    return ws.ybase - 400 < r && r < ws.ybase;
}

void curveStep(PrintSurface &s, const Workspace &ws, int j, int prev, int cur, const QColor &colour)
{
    if (inWindow(ws, prev) && inWindow(ws, cur))
        s.line(2440 + 60 * j, 3000 + 10 * (ws.ybase - prev), 2500 + 60 * j, 3000 + 10 * (ws.ybase - cur), colour);
}

void sequencePart(PrintSurface &s, const Workspace &ws)
{
    const int start = qBound(0, ws.seqstart, kSeqSlots - 1);
    s.setDashed(false);
    s.setPenWidth(3);
    int prev = ws.wdseq[start];
    for (int j = 1; j <= 120 && start + j < kSeqSlots; ++j) {
        const int cur = ws.wdseq[start + j];
        curveStep(s, ws, j, prev, cur, Qt::black);
        prev = cur;
    }
    s.setPenWidth(1);
    // The table ends with the last reading held; slots past it are no readings.
    const int last = qMin(ws.wdnum, kSeqReadings);
    s.setFontSize(8);
    s.fitWidth(kWidestSequenceEntry.repeated(10), s.pageWidth() - 1400);
    for (int L = 0; L <= 12; ++L) {
        s.setPos(1400, 7800 + 250 * L);
        for (int k = 0; k <= 9; ++k) {
            const int n = start + 10 * L + k;
            if (n >= last)
                return;
            s.print(
                formatPadded(n, 3) + QLatin1Char('-') + formatPadded(ws.wdseq[n], 4) + QStringLiteral("℃  "), false);
        }
    }
}

QString listEntry(const WDREC &r)
{
    if (r.wd == kFailedReading)
        return QStringLiteral("----");
    return timeStamp(r) + QLatin1Char(' ') + formatPadded(r.wd, 4) + QStringLiteral("℃  ");
}

void timePart(PrintSurface &s, const Workspace &ws, const ReportParams &rp)
{
    const int g = rp.group;
    const int count = ws.groupCount(g);
    s.setDashed(false);
    s.setPenWidth(3);
    int prev = ws.record(0, g).wd;
    const int n = qMin(count, 120);
    for (int j = 1; j <= n; ++j) {
        const int cur = ws.record(j, g).wd;
        curveStep(s, ws, j, prev, cur, rp.groupColour);
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
        s.print(listEntry(ws.record(j, g)), false);
    }
}
} // namespace

void layoutReport(PrintSurface &s, const Workspace &ws, const ReportParams &rp)
{
    s.setPos(5000, 1000);
    s.setFontSize(16);
    s.print(QStringLiteral("温 度 数 据 曲 线"), true);
    s.setPos(5000, 1500);
    s.setFontSize(10);
    s.print(rp.date, true);
    s.setPenWidth(1);
    s.setDashed(true);
    s.setFontSize(10);
    for (int i = 0; i <= 4; ++i) {
        s.setPos(1600, 2800 + 1000 * i);
        s.print(numberItem(ws.ybase - 100 * i) + QStringLiteral("℃"), true);
        s.line(2500, 3000 + 1000 * i, 9700, 3000 + 1000 * i, kGridColour);
    }
    for (int i = 0; i <= 12; ++i) {
        s.line(2500 + 600 * i, 3000, 2500 + 600 * i, 7000, kGridColour);
        s.setPos(2400 + 600 * i, 7200);
        s.print(numberItem(ws.seqstart + 10 * i), true);
    }
    if (ws.datatype == SequenceData)
        sequencePart(s, ws);
    else if (ws.datatype == TimeData)
        timePart(s, ws, rp);
}
} // namespace zq
