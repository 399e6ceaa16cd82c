#include "chart/chart.h"

#include "core/format.h"

#include <QPainter>

namespace zq {
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

void drawSequenceCurve(QPainter &p, const Record &record, const ChartView &view)
{
    p.save();
    p.setRenderHint(QPainter::Antialiasing, false);
    p.setPen(kCurveColour);
    const int start = qMax(0, view.seqStart());
    const int step = ChartView::kPixelsPerReading;
    int prev = record.reading(start);
    for (int j = 1; j < ChartView::kReadingsPerView; ++j) {
        const int cur = record.reading(start + j);
        if (ChartView::drawable(prev) && ChartView::drawable(cur))
            p.drawLine(QPointF(step * (j - 1), view.yOf(prev)), QPointF(step * j, view.yOf(cur)));
        prev = cur;
    }
    p.restore();
}

void drawTimePoints(QPainter &p, const Record &record, const ChartView &view, const QColor &colour)
{
    p.save();
    p.setRenderHint(QPainter::Antialiasing, false);
    p.setPen(colour);
    for (const WDREC &rec : record.records())
        if (view.inView(rec) && ChartView::drawable(rec.wd))
            p.drawPoint(ChartView::timeColumn(rec), view.yOf(rec.wd));
    p.restore();
}

QColor groupColour(int group)
{
    static const QColor palette[kSelectorGroups] = {{255, 0, 0}, {255, 192, 128}, {255, 255, 0}, {0, 255, 0},
        {128, 128, 255}, {255, 0, 255}, {192, 192, 192}, {255, 224, 192}};
    return palette[qBound(0, group, kSelectorGroups - 1)];
}

QString timeCaption(const Record &record, int group)
{
    const WDREC &r = record.at(0, group);
    return formatPadded(r.month, 2) + QLatin1Char('-') + formatPadded(r.day, 2) + QLatin1Char(' ')
        + formatPadded(r.hour, 2);
}
} // namespace zq
