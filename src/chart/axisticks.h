#pragma once

#include <QString>
#include <QVector>

namespace zq {
// The marks along a whole-run chart's axis. On a time axis the step is one
// a person counts in (1, 2, 5, 10, 15, 20, 30 s or min; 1, 2, 3, 4, 6, 12 h;
// days) and every label is its mark's value in the axis's unit, exactly.
struct AxisTicks
{
    double step = 1; // in the axis's own measure (seconds, or readings)
    QString unit; // "s", "min", "h", "d", or "读数"
    double perUnit = 1; // seconds in one unit
    QVector<double> values; // where the marks stand
    QString label(double value) const { return QString::number(value / perUnit, 'f', 0); }
};

// About `count` divisions over x0…x1: seconds when `timeAxis`, else reading numbers.
AxisTicks axisTicks(double x0, double x1, bool timeAxis, int count);
// Readings and temperatures: 1, 2 or 5 times a power of ten.
double niceStep(double span, int count);
} // namespace zq
