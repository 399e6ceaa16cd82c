#include "chart/guides.h"

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
} // namespace zq
