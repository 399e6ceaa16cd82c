#pragma once

#include "core/chartview.h"
#include "core/recipe.h"
#include "core/reference.h"

#include <QColor>

class QPainter;

namespace zq {
const QColor kBandColour(90, 200, 255);
const QColor kThresholdColour(255, 200, 60);

// The recipe's band and thresholds across the chart: thin dashed lines at
// their readings' rows, drawn before the curve so it stays on top.
void drawGuides(QPainter &p, const ChartView &view, const Recipe &recipe);

const QColor kNoteColour(255, 255, 255);
// A small marker at the chart's top edge for each note in view (its column).
void drawNoteMarkers(QPainter &p, const QVector<int> &columns);

// A selected stretch: columns x0…x1 lightened, under everything else, with
// a cursor at each end that lies in view.
void drawRangeShade(QPainter &p, int x0, int x1, bool firstInView, bool lastInView);

// The reference, faint, at the columns of the run's readings in view.
void drawReferenceInView(
    QPainter &p, const Record &record, const ChartView &view, const Curve &run, const Curve &reference);
} // namespace zq
