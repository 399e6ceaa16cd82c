#include "chart/chart.h"

#include "core/format.h"

#include <QPainter>

namespace zq {
namespace {
bool plotted(const Workspace &ws, int v)
{
    return ws.wdlow < v && v < ws.wdhigh;
}
} // namespace

void drawChartFrame(QPainter &p, int datatype)
{
    p.save();
    p.setRenderHint(QPainter::Antialiasing, false);
    p.setCompositionMode(QPainter::CompositionMode_Source);
    p.fillRect(0, 0, kChartWidth, kChartHeight, kChartBackground);
    p.setCompositionMode(QPainter::CompositionMode_SourceOver);
    p.setPen(QColor(1, 50, 1));
    for (int k = 0; k <= 100; ++k)
        p.drawLine(3, 4 * k, 720, 4 * k);
    p.setPen(QColor(0, 80, 0));
    for (int k = 0; k <= 4; ++k)
        p.drawLine(0, 100 * k, 720, 100 * k);
    if (datatype == SequenceData || datatype == TimeData) {
        p.setPen(datatype == SequenceData ? QColor(0, 0, 150) : QColor(0, 0, 50));
        for (int k = 0; k <= 11; ++k)
            p.drawLine(60 * k, 0, 60 * k, 400);
    }
    p.restore();
}

QStringList scaleCaptions(int ybase)
{
    QStringList captions;
    for (int k = 0; k <= 4; ++k)
        captions.append(formatPadded(ybase - 100 * k, 4));
    return captions;
}

void drawScale(QPainter &p, QPoint lp1, int ybase, const QFont &font)
{
    p.save();
    p.setRenderHint(QPainter::Antialiasing, false);
    const int L = lp1.x();
    const int T = lp1.y();
    for (int k = 0; k <= 200; ++k) {
        p.setPen(QColor(255 - k, 0, 0));
        p.drawLine(L - 63, T + 2 * k, L - 17, T + 2 * k);
    }
    p.setFont(font);
    p.setPen(QColor(0, 55, 0));
    const QStringList captions = scaleCaptions(ybase);
    for (int k = 0; k <= 4; ++k)
        p.drawText(QRect(L - 59, T + 96 * k, 100, 40), Qt::AlignLeft | Qt::AlignTop, captions.at(k));
    p.restore();
}

void drawSequenceCurve(QPainter &p, const Workspace &ws)
{
    p.save();
    p.setRenderHint(QPainter::Antialiasing, false);
    p.setPen(kCurveColour);
    const int start = qBound(0, ws.seqstart, kSeqSlots - 1);
    int prev = ws.wdseq[start];
    for (int j = 1; j <= 120 && start + j < kSeqSlots; ++j) {
        const int cur = ws.wdseq[start + j];
        if (plotted(ws, prev) && plotted(ws, cur))
            p.drawLine(QPointF(6 * (j - 1), ws.ybase - prev), QPointF(6 * j, ws.ybase - cur));
        prev = cur;
    }
    p.restore();
}

void drawTimePoints(QPainter &p, const Workspace &ws, const QColor &colour)
{
    p.save();
    p.setRenderHint(QPainter::Antialiasing, false);
    p.setPen(colour);
    const int n = ws.groupCount(0);
    for (int i = 0; i < n; ++i) {
        const WDREC &rec = ws.wdtab[i][0];
        if (rec.hour == ws.xstart && plotted(ws, rec.wd))
            // Truncated to its pixel: hh:59:59 stands at 719, inside the chart.
            p.drawPoint(rec.minute * 12 + rec.second / 5, ws.ybase - rec.wd);
    }
    p.restore();
}

QString timeCaption(const Workspace &ws, int group)
{
    const WDREC &r = ws.record(0, group);
    return formatPadded(r.month, 2) + QLatin1Char('-') + formatPadded(r.day, 2) + QLatin1Char(' ')
        + formatPadded(r.hour, 2);
}
} // namespace zq
