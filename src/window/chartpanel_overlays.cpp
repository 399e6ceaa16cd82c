// What lies over the run on the chart: the range, the reference, and what
// the pointer reads there; and the chart as a picture.
#include "chart/chart.h"
#include "chart/guides.h"
#include "chart/runchart.h"
#include "core/view.h"
#include "window/chartbox.h"
#include "window/chartpanel.h"

#include <QPainter>

void ChartPanel::drawOverlays(QPainter &p)
{
    const zq::Record &record = m_doc.record();
    const zq::ChartView &view = m_doc.view();
    if (const zq::Document::Range range = m_doc.range()) {
        // Columns of the range's ends, or the chart's edges when they lie beyond the view.
        const auto [inFirst, inLast] = zq::readingsInView(record, view);
        if (inFirst >= 0 && range->first <= inLast && range->second >= inFirst) {
            const int x0 = range->first < inFirst ? 0 : zq::columnOf(record, view, range->first);
            const int x1 = range->second > inLast ? zq::kChartWidth : zq::columnOf(record, view, range->second);
            zq::drawRangeShade(p, x0, x1, range->first >= inFirst, range->second <= inLast);
        }
    }
    zq::drawReferenceInView(p, record, view, m_doc.runCurve(), m_doc.reference());
}

QString ChartPanel::readout(int x) const
{
    QString text = zq::readoutAt(m_doc.record(), m_doc.view(), x);
    // A note's text shows when the pointer is over its marker.
    for (const zq::RunNote &n : m_doc.notes())
        if (const int at = zq::columnOf(m_doc.record(), m_doc.view(), n.atReading); at >= 0 && qAbs(at - x) <= 3)
            text += QStringLiteral("  ▸ ") + n.text;
    return text + referenceReadout(x);
}

QString ChartPanel::referenceReadout(int x) const
{
    const zq::Record &record = m_doc.record();
    const zq::Curve &run = m_doc.runCurve();
    const int at = zq::readingAt(record, m_doc.view(), x);
    if (m_doc.reference().isEmpty() || at < 0 || record.isFailed(at, m_doc.group()))
        return QString();
    const auto k = std::lower_bound(run.source.begin(), run.source.end(), at);
    if (k == run.source.end() || *k != at)
        return QString();
    const std::optional<double> r = m_doc.reference().at(run.x[int(k - run.source.begin())]);
    if (!r)
        return QString();
    return QStringLiteral("  参考 %1  差 %2").arg(*r, 0, 'f', 1).arg(record.reading(at, m_doc.group()) - *r, 0, 'f', 1);
}

QImage ChartPanel::chartImage() const
{
    // The scale bar and its captions left of the chart, then the chart.
    const QPoint chartAt = mapToParent(m_chart->pos());
    const QRect scale(chartAt.x() - 63, chartAt.y(), 63, zq::kChartHeight);
    QImage image(scale.width() + zq::kChartWidth, zq::kChartHeight, QImage::Format_RGB32);
    image.fill(QColor(236, 240, 244));
    QPainter p(&image);
    p.drawImage(QPoint(0, 0), m_layer, scale);
    p.drawImage(scale.width(), 0, m_chart->image());
    return image;
}

QImage ChartPanel::rangeImage() const
{
    // The range alone, drawn across the whole picture on the run's own axis.
    QImage image(zq::kChartWidth + 63, zq::kChartHeight, QImage::Format_RGB32);
    QPainter p(&image);
    const zq::Record &record = m_doc.record();
    const zq::Recipe &recipe = m_doc.recipe();
    zq::RunChartContent c;
    c.run = m_doc.runCurve().isEmpty() ? zq::runCurve(record, m_doc.group(), recipe.intervalSec) : m_doc.runCurve();
    c.reference = m_doc.reference();
    c.recipe = recipe;
    c.timeAxis = record.isTimeStamped() || recipe.intervalSec > 0;
    if (const zq::Document::Range range = m_doc.range())
        c.span = std::pair{c.run.positionOf(range->first), c.run.positionOf(range->second)};
    zq::drawRunChart(p, image.rect(), c);
    return image;
}
