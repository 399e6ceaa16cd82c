#include "core/analysis.h"
#include "core/texts.h"

namespace zq {
namespace {
CriterionResult atMost(const QString &key, const QString &label, double measured, double limit)
{
    return {key, label, measured, limit, limit - measured, true, measured <= limit, {}, {}};
}

CriterionResult atLeast(const QString &key, const QString &label, double measured, double limit)
{
    return {key, label, measured, limit, measured - limit, true, measured >= limit, {}, {}};
}

// A criterion there was nothing to measure by fails, and says why.
CriterionResult unjudged(const QString &key, const QString &label, double limit, const QString &reason)
{
    return {key, label, 0, limit, 0, false, false, {}, reason};
}

// A length is judged exactly: in milliseconds or readings, as the recipe holds it.
CriterionResult minSoak(const Span &limit, const Analysis &a)
{
    const QString key = QStringLiteral("minSoak"), label = words::kMinSoak;
    CriterionResult c = unjudged(key, label, limit.value(), QString());
    c.limitText = limit.text();
    if (!limit.readings && !a.timeAxis)
        c.reason = words::kNeedsInterval;
    else if (limit.readings && a.timeAxis)
        c.reason = words::kLimitWantsTime;
    else if (!a.band || a.band->enteredAt < 0)
        c.reason = words::kNeverInBand;
    else {
        const qint64 measured = exactAmount(a.band->longestSoak, limit.readings);
        const double unit = limit.readings ? 1 : 1000;
        c = atLeast(key, label, measured / unit, limit.value());
        c.margin = (measured - limit.amount) / unit;
        c.pass = measured >= limit.amount;
        c.limitText = limit.text();
    }
    return c;
}

CriterionResult maxOvershoot(double limit, const Analysis &a)
{
    const QString key = QStringLiteral("maxOvershoot"), label = words::kMaxOvershoot;
    if (!a.band || a.band->enteredAt < 0) {
        CriterionResult c = unjudged(key, label, limit, words::kNeverInBand);
        c.measured = a.band ? a.band->overshoot : 0;
        return c;
    }
    return atMost(key, label, a.band->overshoot, limit);
}

CriterionResult maxRate(const char *key, const std::optional<Rate> &rate, const RateFigure &measured, const Analysis &a)
{
    const QString label
        = QLatin1String(key) == QLatin1String("maxHeatRate") ? words::kMaxHeatRate : words::kMaxCoolRate;
    if (!rate->perReading && !a.timeAxis)
        return unjudged(QLatin1String(key), label, rate->value, words::kNeedsInterval);
    if (rate->perReading && a.timeAxis)
        return unjudged(QLatin1String(key), label, rate->value, words::kLimitWantsRate);
    if (a.rateWindows == 0)
        return unjudged(QLatin1String(key), label, rate->value, words::kShortOfAWindow);
    // Windows there were, and none heated (or cooled): a rate of 0 was measured.
    return atMost(QLatin1String(key), label, measured.measured ? measured.rate : 0, rate->value);
}
} // namespace

void judge(const Recipe &r, Analysis &a)
{
    QVector<CriterionResult> &c = a.criteria;
    if (r.minSoak)
        c.append(minSoak(*r.minSoak, a));
    if (r.maxOvershoot)
        c.append(maxOvershoot(*r.maxOvershoot, a));
    if (r.maxHeatRate)
        c.append(maxRate("maxHeatRate", r.maxHeatRate, a.maxHeat, a));
    if (r.maxCoolRate)
        c.append(maxRate("maxCoolRate", r.maxCoolRate, a.maxCool, a));
    if (r.minPeak)
        c.append(atLeast(QStringLiteral("minPeak"), words::kMinPeak, a.peak, *r.minPeak));
    if (r.maxPeak)
        c.append(atMost(QStringLiteral("maxPeak"), words::kMaxPeak, a.peak, *r.maxPeak));
    if (!c.isEmpty())
        a.pass = std::all_of(c.begin(), c.end(), [](const CriterionResult &x) { return x.pass; });
}
} // namespace zq
