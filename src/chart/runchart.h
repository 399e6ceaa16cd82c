#pragma once

#include "core/recipe.h"
#include "core/reference.h"

#include <QColor>
#include <QRectF>
#include <optional>

class QPainter;

namespace zq {
const QColor kReferenceColour(150, 150, 150);
const QColor kRangeColour(255, 255, 255, 40);
// The same light laid on the chart's background, for where nothing may be see-through.
const QColor kRangeBackground(40, 94, 40);

// The whole run at once: what to draw and along which stretch of its axis.
struct RunChartContent
{
    Curve run;
    Curve reference; // on the run's axis; empty for none
    Recipe recipe; // its band and thresholds
    bool timeAxis = false; // seconds, else reading numbers
    std::optional<std::pair<double, double>> frame; // where the main chart's view lies
    std::optional<std::pair<double, double>> range; // the selected stretch
    std::optional<std::pair<double, double>> span; // the stretch of the axis to show; all by default
};

// Where things stand on a drawn whole-run chart: plot area and scales.
struct RunScale
{
    QRectF plot;
    double x0 = 0, x1 = 1, y0 = 0, y1 = 1;
    double px(double x) const { return plot.left() + (x - x0) / (x1 - x0) * plot.width(); }
    double py(double v) const { return plot.bottom() - (v - y0) / (y1 - y0) * plot.height(); }
    double xAt(double pixel) const { return x0 + (pixel - plot.left()) / plot.width() * (x1 - x0); }
};

// The scale the content is drawn at in `area`.
RunScale runScale(const RunChartContent &content, const QRectF &area);
// Grid with its captions, band and thresholds, the range's shade, the
// reference faint behind the run, the run, and the view's frame.
RunScale drawRunChart(QPainter &p, const QRectF &area, const RunChartContent &content);
} // namespace zq
