#pragma once

#include "core/workspace.h"

#include <QColor>
#include <QFont>
#include <QPoint>
#include <QString>
#include <QStringList>

class QPainter;

namespace zq {
constexpr int kChartWidth = 720;
constexpr int kChartHeight = 400;
const QColor kChartBackground(0, 64, 0);
const QColor kCurveColour(255, 22, 22);

// LP1's grid and divisions: it clears the area first, so nothing of an
// earlier picture survives.
void drawChartFrame(QPainter &p, int datatype);

// "0800" down to "0400" for a base of 800.
QStringList scaleCaptions(int ybase);

// The red scale bar and the temperature captions left of LP1 at `lp1`.
void drawScale(QPainter &p, QPoint lp1, int ybase, const QFont &font);

void drawSequenceCurve(QPainter &p, const Workspace &ws);
void drawTimePoints(QPainter &p, const Workspace &ws, const QColor &colour);

// "07-26 14": month, day and hour of the selected group's first record.
QString timeCaption(const Workspace &ws, int group);
} // namespace zq
