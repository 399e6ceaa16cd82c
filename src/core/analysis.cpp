#include "core/analysis.h"
#include "core/analysisrun.h"
#include "core/texts.h"

#include <algorithm>
#include <cmath>

namespace zq {
namespace {
using detail::Point;
using detail::Run;
using detail::spans;
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

// What makes the recipe or the range unusable for this run; empty when nothing does.
QString inputProblem(const Recipe &recipe, int n, bool outside, bool timeAxis)
{
    if (QString p = recipe.problem(); !p.isEmpty())
        return p;
    if (n == 0 || outside)
        return n == 0 ? words::kNoReadings : rangeOutsideText(n);
    if (recipe.rateWindow && recipe.rateWindow->readings == timeAxis)
        return timeAxis ? words::kRateWindowWantsTime : words::kRateWindowWantsReadings;
    return {};
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
    if (!(a.problem = inputProblem(recipe, n, fit.outside, a.timeAxis)).isEmpty())
        return a;
    if (correction && correction->isEmpty())
        correction = nullptr;
    if (correction && recipe.hasBand && !recipe.bandFollowsSchedule
        && !(
            correction->covers(recipe.setpoint - recipe.below) && correction->covers(recipe.setpoint + recipe.above))) {
        a.problem = words::kCalibrationMissesSetpoint;
        return a;
    }
    a.correctedBy = correction ? correction->text() : QString();
    if (recipe.bandFollowsSchedule && !a.timeAxis) {
        a.problem = words::kScheduleBandWantsTime;
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
        detail::band(detail::aroundSchedule(run, recipe, t[0]), recipe, t[a.first], a);
    else if (recipe.hasBand)
        detail::band(run, recipe, t[a.first], a);
    judge(recipe, a);
    return a;
}
} // namespace zq
