#include "chart/axisticks.h"
#include "chart/texts.h"

#include <cmath>

namespace zq {
namespace {
// Steps a person reads a clock by; past the last, whole days by 1, 2, 5 × 10ⁿ.
constexpr double kTimeSteps[]
    = {1, 2, 5, 10, 15, 20, 30, 60, 120, 300, 600, 900, 1200, 1800, 3600, 7200, 10800, 14400, 21600, 43200, 86400};

double timeStep(double raw)
{
    for (double s : kTimeSteps)
        if (s >= raw)
            return s;
    return 86400 * qMax(1.0, niceStep(raw / 86400, 1));
}
} // namespace

double niceStep(double span, int count)
{
    const double raw = span / qMax(count, 1);
    if (!(raw > 0))
        return 1;
    const double power = std::pow(10.0, std::floor(std::log10(raw)));
    for (double m : {1.0, 2.0, 5.0})
        if (m * power >= raw)
            return m * power;
    return 10 * power;
}

AxisTicks axisTicks(double x0, double x1, bool timeAxis, int count)
{
    AxisTicks t;
    const double raw = (x1 - x0) / qMax(count, 1);
    if (timeAxis) {
        t.step = timeStep(raw);
        const std::pair<double, const char *> units[] = {{86400, "d"}, {3600, "h"}, {60, "min"}, {1, "s"}};
        for (const auto &[seconds, name] : units)
            if (t.step >= seconds) {
                t.perUnit = seconds;
                t.unit = QString::fromLatin1(name);
                break;
            }
    } else {
        t.step = qMax(1.0, niceStep(x1 - x0, count));
        t.unit = readingsUnitText();
    }
    // Counted in steps from zero, so each mark is a whole number of steps and its label exact.
    for (double k = std::ceil(x0 / t.step - 1e-9); k * t.step <= x1 + 1e-9 * t.step; ++k)
        t.values.append(k * t.step);
    return t;
}
} // namespace zq
