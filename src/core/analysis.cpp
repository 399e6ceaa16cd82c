#include "core/analysis.h"

#include <algorithm>
#include <cmath>

namespace zq {
namespace {
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

double medianStep(const QVector<double> &t, int first, int last)
{
    QVector<double> steps;
    for (int i = first; i < last; ++i)
        if (t[i + 1] > t[i])
            steps.append(t[i + 1] - t[i]);
    if (steps.isEmpty())
        return 0;
    std::nth_element(steps.begin(), steps.begin() + steps.size() / 2, steps.end());
    return steps[steps.size() / 2];
}

Run collect(const Record &record, int group, const QVector<double> &t, const Correction *correction, Analysis &a)
{
    Run run;
    run.median = medianStep(t, a.first, a.last);
    for (int i = a.first; i <= a.last; ++i) {
        if (i > a.first && run.median > 0 && t[i] - t[i - 1] > 3 * run.median)
            a.gaps.append({i, false, t[i] - t[i - 1]});
        if (record.isFailed(i, group)) {
            a.gaps.append({i, true, 0});
            ++a.failed;
            continue;
        }
        if (!run.points.isEmpty()) {
            const Point &p = run.points.last();
            const double dt = t[i] - p.t;
            run.joined.append(p.at == i - 1 && dt > 0 && (run.median <= 0 || dt <= 3 * run.median));
        }
        double v = record.reading(i, group);
        if (correction) {
            const std::optional<double> corrected = correction->apply(v);
            a.leftRaw += !corrected;
            v = corrected.value_or(v);
        }
        run.points.append({t[i], v, i});
    }
    return run;
}

void extremes(const Run &run, Analysis &a)
{
    double sum = 0;
    for (const Point &p : run.points) {
        if (a.peakAt < 0 || p.v > a.peak)
            a.peak = p.v, a.peakAt = p.at;
        if (a.lowestAt < 0 || p.v < a.lowest)
            a.lowest = p.v, a.lowestAt = p.at;
        sum += p.v;
    }
    const int n = int(run.points.size());
    a.mean = n ? sum / n : 0;
    double squares = 0;
    for (const Point &p : run.points)
        squares += (p.v - a.mean) * (p.v - a.mean);
    a.stddev = n ? std::sqrt(squares / n) : 0;
}

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

void thresholds(const Run &run, const Recipe &recipe, double t0, Analysis &a)
{
    for (double value : recipe.thresholds) {
        ThresholdFigures f;
        f.value = value;
        auto above = [value](double v) { return v >= value; };
        for (const Point &p : run.points)
            if (above(p.v)) {
                f.firstAt = p.at;
                f.firstTime = p.t - t0;
                break;
            }
        std::tie(f.totalAbove, f.longestAbove) = spans(run, 0, above);
        a.thresholds.append(f);
    }
}

// Least squares over each window of joined readings that spans the window.
void rates(const Run &run, double window, double t0, Analysis &a)
{
    a.rateWindow = window;
    const double perMinute = a.timeAxis ? 60 : 1;
    for (int k = 0; k < run.points.size(); ++k) {
        int end = k;
        while (end + 1 < run.points.size() && run.joined[end] && run.points[end + 1].t - run.points[k].t <= window)
            ++end;
        const double span = run.points[end].t - run.points[k].t;
        if (end == k || span < window - qMax(run.median, 1e-9) + 1e-9)
            continue;
        ++a.rateWindows;
        double st = 0, sv = 0;
        for (int j = k; j <= end; ++j)
            st += run.points[j].t - run.points[k].t, sv += run.points[j].v;
        const double n = end - k + 1, mt = st / n, mv = sv / n;
        double num = 0, den = 0;
        for (int j = k; j <= end; ++j) {
            const double dt = run.points[j].t - run.points[k].t - mt;
            num += dt * (run.points[j].v - mv);
            den += dt * dt;
        }
        const double slope = num / den * perMinute;
        const RateFigure f{true, std::abs(slope), run.points[k].at, run.points[k].t - t0};
        if (slope > 0 && (!a.maxHeat.measured || slope > a.maxHeat.rate))
            a.maxHeat = f;
        if (slope < 0 && (!a.maxCool.measured || -slope > a.maxCool.rate))
            a.maxCool = f;
    }
}

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
    std::tie(b.hold, std::ignore) = spans(run, entry, [](double) { return true; }, exit);
    std::tie(b.inBand, b.longestSoak) = spans(run, entry, in, exit);
    b.outside = b.hold - b.inBand;
    std::tie(b.undershootTime, std::ignore) = spans(run, entry, [low](double v) { return v < low; }, exit);
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
} // namespace

Analysis analyze(
    const Record &record, const Recipe &recipe, int group, int first, int last, const Correction *correction)
{
    Analysis a;
    a.type = record.type();
    a.group = group;
    const int n = record.count(group);
    const RangeFit fit = fitRange(n, first, last);
    a.first = fit.first;
    a.last = fit.last;
    a.rangeCut = fit.cut;
    a.timeAxis = record.isTimeStamped() || recipe.intervalSec > 0;
    a.assumedInterval = record.isSequence() && recipe.intervalSec > 0;
    a.intervalSec = a.assumedInterval ? recipe.intervalSec : 0;
    if (!(a.problem = recipe.problem()).isEmpty())
        return a;
    if (n == 0 || fit.outside) {
        a.problem = n == 0 ? QStringLiteral("没有读数") : rangeOutsideText(n);
        return a;
    }
    if (recipe.rateWindow && recipe.rateWindow->readings == a.timeAxis) {
        a.problem = a.timeAxis ? QStringLiteral("速率窗口应为时长（如 60s），这些数据有时间轴")
                               : QStringLiteral("速率窗口应为读数个数（如 10r），或给出采样间隔");
        return a;
    }
    if (correction && correction->isEmpty())
        correction = nullptr;
    if (correction && recipe.hasBand && !recipe.bandFollowsSchedule
        && !(correction->covers(recipe.setpoint - recipe.below) && correction->covers(recipe.setpoint + recipe.above))) {
        a.problem = QStringLiteral("校准范围不覆盖设定温度");
        return a;
    }
    a.correctedBy = correction ? correction->text() : QString();
    if (recipe.bandFollowsSchedule && !a.timeAxis) {
        a.problem = QStringLiteral("跟随计划的公差带需要时间轴：请给出采样间隔");
        return a;
    }
    QVector<int> broken;
    const QVector<double> t = runAxis(record, group, a.intervalSec, &broken);
    // A stamp set back is told wherever it falls in the range; one just
    // before the range's first reading is not the range's.
    for (int at : broken)
        if (at > a.first && at <= a.last)
            a.orderBroken.append(at);
    a.orderBrokenAt = a.orderBroken.isEmpty() ? -1 : a.orderBroken.first();
    a.readings = a.last - a.first + 1;
    // Forward steps only: across a clock set back the time it lost is unknown.
    for (int i = a.first; i < a.last; ++i)
        a.elapsed += qMax(0.0, t[i + 1] - t[i]);
    const Run run = collect(record, group, t, correction, a);
    extremes(run, a);
    thresholds(run, recipe, t[a.first], a);
    const double window = recipe.rateWindow ? recipe.rateWindow->value() : a.timeAxis ? 60 : 10;
    rates(run, window, t[a.first], a);
    if (recipe.bandFollowsSchedule)
        band(aroundSchedule(run, recipe, t[0]), recipe, t[a.first], a);
    else if (recipe.hasBand)
        band(run, recipe, t[a.first], a);
    judge(recipe, a);
    return a;
}
} // namespace zq
