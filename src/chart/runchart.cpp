// The whole run in one picture, for the analysis window and image export.
#include "chart/runchart.h"
#include "chart/texts.h"

#include "chart/axisticks.h"
#include "chart/chart.h"
#include "chart/guides.h"

#include <QPainter>
#include <QPainterPath>
#include <cmath>

namespace zq {
namespace {
constexpr double kTopMargin = 14; // the units and the legend

QPainterPath curvePath(const Curve &c, const RunScale &s)
{
    QPainterPath path;
    for (int k = 0; k < c.x.size(); ++k) {
        const QPointF at(s.px(c.x[k]), s.py(c.y[k]));
        if (k == 0 || !c.joined[k - 1])
            path.moveTo(at);
        else
            path.lineTo(at);
    }
    return path;
}

// The grid, each mark's value under it, and the units in the corners: ℃ above
// the temperatures, the time's unit (or 读数) left of the time marks.
void grid(QPainter &p, const RunScale &s, bool timeAxis)
{
    p.setPen(QColor(0, 110, 0));
    const double ys = niceStep(s.y1 - s.y0, 5);
    for (double v = std::ceil(s.y0 / ys) * ys; v <= s.y1; v += ys) {
        p.drawLine(QPointF(s.plot.left(), s.py(v)), QPointF(s.plot.right(), s.py(v)));
        p.drawText(QRectF(0, s.py(v) - 8, s.plot.left() - 4, 16), Qt::AlignRight | Qt::AlignVCenter,
            QString::number(v, 'f', 0));
    }
    const AxisTicks ticks = axisTicks(s.x0, s.x1, timeAxis, 8);
    for (double x : ticks.values) {
        p.drawLine(QPointF(s.px(x), s.plot.top()), QPointF(s.px(x), s.plot.bottom()));
        p.drawText(QRectF(s.px(x) - 40, s.plot.bottom() + 2, 80, 16), Qt::AlignHCenter | Qt::AlignTop, ticks.label(x));
    }
    // At the far left, clear of the top temperature's label.
    p.drawText(QRectF(2, s.plot.top() - kTopMargin, s.plot.left(), kTopMargin), Qt::AlignLeft | Qt::AlignVCenter,
        QStringLiteral("℃"));
    p.drawText(QRectF(0, s.plot.bottom() + 2, s.plot.left() - 12, 16), Qt::AlignRight | Qt::AlignTop, ticks.unit);
}

// What each line means, in the margin above the plot's right end.
void legend(QPainter &p, const RunScale &s, const RunChartContent &c)
{
    QVector<std::pair<QPen, QString>> entries;
    if (c.recipe.hasBand)
        entries.append({QPen(kBandColour, 1, Qt::DashLine), bandLegendText()});
    if (!c.recipe.thresholds.isEmpty())
        entries.append({QPen(kThresholdColour, 1, Qt::DashLine), thresholdLegendText()});
    if (!c.reference.isEmpty())
        entries.append({QPen(kReferenceColour, 2), referenceLegendText()});
    double x = s.plot.right();
    const double mid = s.plot.top() - kTopMargin / 2;
    for (auto k = entries.size() - 1; k >= 0; --k) {
        const double w = p.fontMetrics().horizontalAdvance(entries[k].second) + 2;
        p.setPen(QColor(40, 40, 40));
        p.drawText(QRectF(x - w, s.plot.top() - kTopMargin, w, kTopMargin), Qt::AlignRight | Qt::AlignVCenter,
            entries[k].second);
        p.setPen(entries[k].first);
        p.drawLine(QPointF(x - w - 18, mid), QPointF(x - w - 3, mid));
        x -= w + 28;
    }
}
} // namespace

RunScale runScale(const RunChartContent &c, const QRectF &area)
{
    RunScale s;
    s.plot = area.adjusted(48, kTopMargin, -8, -20);
    double lo = 0, hi = 0;
    bool any = false;
    for (const Curve *curve : {&c.run, &c.reference})
        for (double v : curve->y) {
            lo = any ? qMin(lo, v) : v;
            hi = any ? qMax(hi, v) : v;
            any = true;
        }
    if (c.recipe.hasBand && !c.recipe.bandFollowsSchedule)
        lo = qMin(lo, c.recipe.setpoint - c.recipe.below), hi = qMax(hi, c.recipe.setpoint + c.recipe.above);
    // A band around the plan: its edges in the picture, as the setpoint's are.
    if (c.recipe.hasBand && c.recipe.bandFollowsSchedule)
        for (double v : scheduleCurve(c.recipe.schedule).y) {
            lo = any ? qMin(lo, v - c.recipe.below) : v - c.recipe.below;
            hi = any ? qMax(hi, v + c.recipe.above) : v + c.recipe.above;
            any = true;
        }
    const double pad = qMax(10.0, (hi - lo) * 0.05);
    s.y0 = std::floor((lo - pad) / 10) * 10;
    s.y1 = std::ceil((hi + pad) / 10) * 10;
    if (c.span) {
        s.x0 = c.span->first;
        s.x1 = c.span->second;
    } else if (!c.run.isEmpty()) {
        s.x0 = c.run.x.first();
        s.x1 = c.run.x.last();
    }
    if (s.x1 <= s.x0)
        s.x1 = s.x0 + 1;
    return s;
}

RunScale drawRunChart(QPainter &p, const QRectF &area, const RunChartContent &c)
{
    const RunScale s = runScale(c, area);
    p.save();
    p.fillRect(area, QColor(236, 240, 244));
    p.fillRect(s.plot, kChartBackground);
    // Opaque and under the grid: a PDF/A page may hold no transparency.
    if (c.range)
        p.fillRect(QRectF(QPointF(s.px(c.range->first), s.plot.top()), QPointF(s.px(c.range->second), s.plot.bottom()))
                       .intersected(s.plot),
            kRangeBackground);
    grid(p, s, c.timeAxis);
    legend(p, s, c);
    p.setClipRect(s.plot);
    QPen dashed(kThresholdColour, 1, Qt::DashLine);
    for (double t : c.recipe.thresholds) {
        p.setPen(dashed);
        p.drawLine(QPointF(s.plot.left(), s.py(t)), QPointF(s.plot.right(), s.py(t)));
    }
    if (c.recipe.hasBand && !c.recipe.bandFollowsSchedule) {
        dashed.setColor(kBandColour);
        p.setPen(dashed);
        for (double v : {c.recipe.setpoint - c.recipe.below, c.recipe.setpoint + c.recipe.above})
            p.drawLine(QPointF(s.plot.left(), s.py(v)), QPointF(s.plot.right(), s.py(v)));
    }
    if (c.recipe.bandFollowsSchedule) {
        dashed.setColor(kBandColour);
        p.setPen(dashed);
        Curve edge = scheduleCurve(c.recipe.schedule);
        for (double &y : edge.y)
            y += c.recipe.above;
        p.drawPath(curvePath(edge, s));
        for (double &y : edge.y)
            y -= c.recipe.above + c.recipe.below;
        p.drawPath(curvePath(edge, s));
    }
    p.setRenderHint(QPainter::Antialiasing, false);
    p.setPen(QPen(kReferenceColour, 2));
    p.drawPath(curvePath(c.reference, s));
    p.setPen(QPen(kCurveColour, 1));
    p.drawPath(curvePath(c.run, s));
    if (c.range) {
        // The range's cursors, each with the reading at it.
        p.setPen(QPen(Qt::white, 1));
        for (double x : {c.range->first, c.range->second}) {
            p.drawLine(QPointF(s.px(x), s.plot.top()), QPointF(s.px(x), s.plot.bottom()));
            if (const std::optional<double> v = c.run.at(x))
                p.drawText(QRectF(s.px(x) + 3, s.plot.top() + 2, 80, 16), Qt::AlignLeft | Qt::AlignTop,
                    QStringLiteral("%1 ℃").arg(*v, 0, 'f', 0));
        }
    }
    if (c.frame) {
        p.setPen(QPen(Qt::white, 1));
        p.setBrush(Qt::NoBrush);
        p.drawRect(QRectF(
            QPointF(s.px(c.frame->first), s.plot.top() + 1), QPointF(s.px(c.frame->second), s.plot.bottom() - 1)));
    }
    p.restore();
    return s;
}
} // namespace zq
