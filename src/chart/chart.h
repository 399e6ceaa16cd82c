#pragma once

#include "core/chartview.h"

#include <QColor>
#include <QFont>
#include <QPoint>
#include <QString>
#include <QStringList>

class QPainter;

namespace zq {
const QColor kChartBackground(0, 64, 0);
const QColor kCurveColour(255, 22, 22);

// LP1's grid and divisions: it clears the area first, so nothing of an
// earlier picture survives.
void drawChartFrame(QPainter &p, int datatype);

// "0800" down to "0400" for a base of 800.
QStringList scaleCaptions(int ybase);

// The red scale bar and the temperature captions left of LP1 at `lp1`.
void drawScale(QPainter &p, QPoint lp1, int ybase, const QFont &font);

void drawSequenceCurve(QPainter &p, const Record &record, const ChartView &view);
void drawTimePoints(QPainter &p, const Record &record, const ChartView &view, const QColor &colour);

// "07-26 14": month, day and hour of the selected group's first record.
QString timeCaption(const Record &record, int group);

// The group palette: the list's, the time curve's and the report's colours.
QColor groupColour(int group);
} // namespace zq
