#pragma once
// The valid readings of a check's range as the check's parts share them.
#include "core/analysis.h"

#include <QVector>
#include <utility>

namespace zq::detail {
struct Point
{
    double t;
    double v; // a reading, or its place in a band that follows a schedule
    int at; // record index
};

// The valid readings of the range, and for each but the last whether it
// joins the next into one span.
struct Run
{
    QVector<Point> points;
    QVector<bool> joined;
    double median = 0;
};

// Total and longest time of joined intervals whose both ends satisfy `in`,
// from point `from` to point `to` (−1: the last).
template <typename In> std::pair<double, double> spans(const Run &run, int from, In in, int to = -1)
{
    double total = 0, longest = 0, current = 0;
    const int end = to < 0 ? int(run.points.size()) - 1 : to;
    for (int k = qMax(from, 0); k + 1 <= end; ++k) {
        if (run.joined[k] && in(run.points[k].v) && in(run.points[k + 1].v)) {
            const double dt = run.points[k + 1].t - run.points[k].t;
            total += dt;
            current += dt;
            longest = qMax(longest, current);
        } else {
            current = 0;
        }
    }
    return {total, longest};
}

// The band's figures over the hold, and the overshoot.
void band(const Run &run, const Recipe &recipe, double t0, Analysis &a);
// The run's readings as distances from the recipe's planned curve, laid on its setpoint.
Run aroundSchedule(const Run &run, const Recipe &recipe, double t0);
} // namespace zq::detail
