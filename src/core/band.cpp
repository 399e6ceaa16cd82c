// The band's figures: the hold, the soak, and how far and how long the run
// strayed from the band.
#include "core/analysisrun.h"

#include <tuple>

namespace zq::detail {
namespace {
// Overshoot is counted from the first reading at or over the band's lower
// edge, so a run that jumps the band or never settles in it still shows it.
void overshoot(const Run &run, double low, double high, BandFigures &b)
{
    int reached = 0;
    while (reached < run.points.size() && run.points[reached].v < low)
        ++reached;
    for (int k = reached; k < run.points.size(); ++k)
        if (run.points[k].v - high > b.overshoot)
            b.overshoot = run.points[k].v - high, b.overshootAt = run.points[k].at;
    std::tie(b.overshootTime, std::ignore) = spans(run, reached, [high](double v) { return v > high; });
}

} // namespace

// The hold runs from the first entry into the band to the last exit from
// it: the ramp before and the cooling after are no undershoot, and the
// final departure is no excursion.
void band(const Run &run, const Recipe &r, double t0, Analysis &a)
{
    BandFigures b;
    const double low = r.setpoint - r.below, high = r.setpoint + r.above;
    auto in = [&](double v) { return v >= low && v <= high; };
    overshoot(run, low, high, b);
    int entry = -1, exit = -1;
    for (int k = 0; k < run.points.size(); ++k)
        if (in(run.points[k].v))
            exit = k, entry = entry < 0 ? k : entry;
    if (entry < 0) {
        a.band = b;
        return;
    }
    b.enteredAt = b.holdFirst = run.points[entry].at;
    b.holdLast = run.points[exit].at;
    b.timeToEnter = run.points[entry].t - t0;
    std::tie(b.afterEntry, std::ignore) = spans(run, entry, [](double) { return true; });
    std::tie(b.hold, std::ignore) = spans(
        run, entry, [](double) { return true; }, exit);
    std::tie(b.inBand, b.longestSoak) = spans(run, entry, in, exit);
    b.outside = b.hold - b.inBand;
    std::tie(b.undershootTime, std::ignore) = spans(
        run, entry, [low](double v) { return v < low; }, exit);
    auto outside = [&](double v) { return v > high ? v - high : v < low ? low - v : 0.0; };
    const double perMinute = a.timeAxis ? 60 : 1;
    for (int k = entry; k <= exit; ++k) {
        const Point &p = run.points[k];
        if (low - p.v > b.undershoot)
            b.undershoot = low - p.v, b.undershootAt = p.at;
        if (k > entry && !in(p.v) && in(run.points[k - 1].v))
            ++b.excursions;
        if (k < exit && run.joined[k])
            b.degreeMinutes
                += (outside(p.v) + outside(run.points[k + 1].v)) / 2 * (run.points[k + 1].t - p.t) / perMinute;
    }
    a.band = b;
}

// Around a schedule the band moves: each reading stands where its distance
// from the planned curve puts it against the setpoint. Past the schedule's
// end nothing is planned, so those readings leave the band's figures.
Run aroundSchedule(const Run &run, const Recipe &r, double t0)
{
    const Curve planned = scheduleCurve(r.schedule);
    Run moved;
    moved.median = run.median;
    for (int k = 0; k < run.points.size(); ++k) {
        const std::optional<double> p = planned.at(run.points[k].t - t0);
        if (!p)
            break;
        if (k > 0)
            moved.joined.append(run.joined[k - 1]);
        moved.points.append({run.points[k].t, run.points[k].v - *p + r.setpoint, run.points[k].at});
    }
    return moved;
}
} // namespace zq::detail
