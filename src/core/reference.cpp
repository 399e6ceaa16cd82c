// A run held against a reference curve, and a stretch of a run measured.
#include "core/reference.h"

#include "core/analysis.h"
#include "core/texts.h"

#include <algorithm>
#include <cmath>

namespace zq {
namespace {
// Where the curve first stands at or above v, between two joined points by
// straight line; none when it never does.
std::optional<double> crossing(const Curve &c, double v, bool *between)
{
    for (int k = 0; k < c.x.size(); ++k) {
        if (c.y[k] < v)
            continue;
        *between = false;
        if (k == 0 || !c.joined[k - 1] || c.y[k] == v)
            return c.x[k];
        *between = true;
        return c.x[k - 1] + (v - c.y[k - 1]) / (c.y[k] - c.y[k - 1]) * (c.x[k] - c.x[k - 1]);
    }
    return std::nullopt;
}

double median(QVector<double> steps)
{
    if (steps.isEmpty())
        return 0;
    std::nth_element(steps.begin(), steps.begin() + steps.size() / 2, steps.end());
    return steps[steps.size() / 2];
}
} // namespace

std::optional<double> Curve::at(double position) const
{
    if (x.isEmpty() || position < x.first() || position > x.last())
        return std::nullopt;
    const int k = int(std::upper_bound(x.begin(), x.end(), position) - x.begin()) - 1;
    if (k >= x.size() - 1 || x[k] == position)
        return y[k];
    if (!joined[k])
        return std::nullopt;
    return y[k] + (y[k + 1] - y[k]) * (position - x[k]) / (x[k + 1] - x[k]);
}

double Curve::positionOf(int index) const
{
    if (x.isEmpty())
        return 0;
    const auto k = std::lower_bound(source.begin(), source.end(), index) - source.begin();
    return x[int(qMin<qsizetype>(k, x.size() - 1))];
}

Curve runCurve(const Record &record, int group, double intervalSec)
{
    Curve c;
    QVector<int> broken;
    const QVector<double> t = runAxis(record, group, record.isSequence() ? intervalSec : 0, &broken);
    QVector<double> steps;
    for (int i = 1; i < t.size(); ++i)
        if (t[i] > t[i - 1])
            steps.append(t[i] - t[i - 1]);
    const double step = median(steps);
    for (int i = 0; i < t.size(); ++i) {
        if (record.isFailed(i, group))
            continue;
        // Out of order, the curve stops: it may only run forward.
        if (!c.x.isEmpty() && t[i] - t[0] < c.x.last())
            break;
        if (!c.x.isEmpty()) {
            const double dt = t[i] - t[0] - c.x.last();
            c.joined.append(c.source.last() == i - 1 && dt > 0 && (step <= 0 || dt <= 3 * step));
        }
        c.x.append(t[i] - t[0]);
        c.y.append(record.reading(i, group));
        c.source.append(i);
    }
    return c;
}

QString Alignment::text() const
{
    switch (how) {
    case Cross:
        return QStringLiteral("cross:%1").arg(value);
    case At:
        return QStringLiteral("at:%1").arg(int(value));
    default:
        return QStringLiteral("start");
    }
}

std::optional<Alignment> parseAlignment(const QString &text)
{
    const QString how = text.section(QLatin1Char(':'), 0, 0);
    bool ok = true;
    const double value = text.contains(QLatin1Char(':')) ? text.section(QLatin1Char(':'), 1).toDouble(&ok) : 0;
    ok = ok && std::isfinite(value);
    if (how == QLatin1String("start") && !text.contains(QLatin1Char(':')))
        return Alignment{};
    if (how == QLatin1String("cross") && ok)
        return Alignment{Alignment::Cross, value};
    if (how == QLatin1String("at") && ok && value >= 0 && value == std::floor(value))
        return Alignment{Alignment::At, value};
    return std::nullopt;
}

Placed placeReference(const Curve &run, const Curve &reference, const Alignment &alignment)
{
    Placed p;
    if (run.isEmpty() || reference.isEmpty()) {
        p.problem = reference.isEmpty() ? words::kReferenceHasNoReadings : words::kNoReadings;
        return p;
    }
    if (alignment.how == Alignment::Cross) {
        bool inRun = false, inReference = false;
        const auto r = crossing(run, alignment.value, &inRun);
        const auto f = crossing(reference, alignment.value, &inReference);
        if (!r || !f) {
            p.problem = words::kNeverReached.arg(r ? "参考曲线" : "本次记录").arg(alignment.value);
            return p;
        }
        p.shift = *r - *f;
        p.interpolated = inRun || inReference;
    } else if (alignment.how == Alignment::At) {
        const auto k = std::lower_bound(run.source.begin(), run.source.end(), int(alignment.value));
        if (k == run.source.end()) {
            p.problem = words::kNothingAfter.arg(int(alignment.value) + 1);
            return p;
        }
        p.shift = run.x[int(k - run.source.begin())] - reference.x.first();
    } else {
        p.shift = run.x.first() - reference.x.first();
    }
    p.curve = reference;
    for (double &x : p.curve.x)
        x += p.shift;
    return p;
}

Placed layReference(
    const Curve &run, bool runTimed, const Curve &reference, bool referenceTimed, const Alignment &alignment)
{
    if (runTimed == referenceTimed)
        return placeReference(run, reference, alignment);
    Placed p;
    p.problem = QStringLiteral("一条曲线按时间、另一条按读数序号，无法对齐：请给出顺序数据的采样间隔");
    return p;
}

Difference compareRun(const Curve &run, const Curve &reference, int first, int last, double below, double above)
{
    Difference d;
    d.first = first;
    d.last = last;
    d.below = below;
    d.above = above;
    std::optional<double> previous;
    for (int k = 0; k < run.x.size(); ++k) {
        const bool inRange = run.source[k] >= first && (last < 0 || run.source[k] <= last);
        const std::optional<double> r = inRange ? reference.at(run.x[k]) : std::nullopt;
        if (!r) {
            previous.reset();
            continue;
        }
        const double diff = run.y[k] - *r;
        ++d.compared;
        if (d.largestAt < 0 || std::abs(diff) > std::abs(d.largest))
            d.largest = diff, d.largestAt = run.source[k], d.largestTime = run.x[k];
        // An interval counts when both its ends are beyond the tolerance.
        if (previous && run.joined[k - 1]) {
            const double dt = run.x[k] - run.x[k - 1];
            d.belowTime += (*previous < -below && diff < -below) ? dt : 0;
            d.aboveTime += (*previous > above && diff > above) ? dt : 0;
        }
        previous = diff;
    }
    return d;
}

RangeFigures measureRange(const Record &record, int group, int first, int last, double intervalSec)
{
    RangeFigures f;
    const int n = record.count(group);
    f.first = qBound(0, first, qMax(n - 1, 0));
    f.last = last < 0 ? n - 1 : qMin(last, n - 1);
    if (n == 0 || f.last < f.first)
        return f;
    QVector<int> broken;
    const double interval = record.isSequence() ? intervalSec : 0;
    const QVector<double> t = runAxis(record, group, interval, &broken);
    f.span = t[f.last] - t[f.first];
    double st = 0, sv = 0;
    for (int i = f.first; i <= f.last; ++i) {
        if (record.isFailed(i, group))
            continue;
        f.endReading = record.reading(i, group);
        if (f.valid++ == 0)
            f.startReading = f.endReading;
        st += t[i] - t[f.first];
        sv += f.endReading;
    }
    f.delta = f.endReading - f.startReading;
    if (f.valid < 2)
        return f;
    const double mt = st / f.valid, mv = sv / f.valid;
    double num = 0, den = 0;
    for (int i = f.first; i <= f.last; ++i)
        if (!record.isFailed(i, group)) {
            const double dt = t[i] - t[f.first] - mt;
            num += dt * (record.reading(i, group) - mv);
            den += dt * dt;
        }
    f.rateMeasured = den > 0;
    const bool perMinute = record.isTimeStamped() || interval > 0;
    f.rate = f.rateMeasured ? num / den * (perMinute ? 60 : 1) : 0;
    return f;
}
} // namespace zq
