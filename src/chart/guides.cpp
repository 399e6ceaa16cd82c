#include "chart/guides.h"

#include "chart/runchart.h"
#include "core/view.h"

#include <QPainter>
#include <QPen>
#include <cmath>

namespace zq {
void drawGuides(QPainter &p, const ChartView &view, const Recipe &recipe)
{
    p.save();
    p.setRenderHint(QPainter::Antialiasing, false);
    auto line = [&](double value, const QColor &colour) {
        const int y = int(std::lround(view.yOf(int(std::lround(value)))));
        if (y < 0 || y >= kChartHeight)
            return;
        QPen pen(colour);
        pen.setStyle(Qt::DashLine);
        pen.setWidth(1);
        p.setPen(pen);
        p.drawLine(0, y, kChartWidth - 1, y);
    };
    for (double t : recipe.thresholds)
        line(t, kThresholdColour);
    if (recipe.hasBand) {
        line(recipe.setpoint - recipe.below, kBandColour);
        line(recipe.setpoint + recipe.above, kBandColour);
    }
    p.restore();
}
void drawNoteMarkers(QPainter &p, const QVector<int> &columns)
{
    p.save();
    p.setRenderHint(QPainter::Antialiasing, false);
    p.setPen(kNoteColour);
    p.setBrush(kNoteColour);
    for (int x : columns)
        p.drawPolygon(QPolygon({QPoint(x - 3, 0), QPoint(x + 3, 0), QPoint(x, 5)}));
    p.restore();
}

void drawRangeShade(QPainter &p, int x0, int x1, bool firstInView, bool lastInView)
{
    p.fillRect(QRect(QPoint(qMax(x0, 0), 0), QPoint(qMin(x1, kChartWidth - 1), kChartHeight - 1)), kRangeColour);
    p.save();
    p.setPen(Qt::white);
    if (firstInView)
        p.drawLine(x0, 0, x0, kChartHeight - 1);
    if (lastInView)
        p.drawLine(x1, 0, x1, kChartHeight - 1);
    p.restore();
}

void drawReferenceInView(
    QPainter &p, const Record &record, const ChartView &view, const Curve &run, const Curve &reference)
{
    if (reference.isEmpty())
        return;
    p.save();
    p.setRenderHint(QPainter::Antialiasing, false);
    p.setPen(QPen(kReferenceColour, 2));
    std::optional<QPoint> last;
    for (int k = 0; k < run.x.size(); ++k) {
        const int x = columnOf(record, view, run.source[k]);
        const std::optional<double> r = x >= 0 ? reference.at(run.x[k]) : std::nullopt;
        if (!r) {
            last.reset();
            continue;
        }
        const QPoint at(x, view.yOf(int(std::lround(*r))));
        if (last && run.joined[k - 1])
            p.drawLine(*last, at);
        else
            p.drawPoint(at);
        last = at;
    }
    p.restore();
}
} // namespace zq
