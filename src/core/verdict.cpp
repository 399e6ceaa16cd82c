#include "core/analysis.h"

namespace zq {
namespace {
CriterionResult atMost(const QString &key, const QString &label, double measured, double limit)
{
    return {key, label, measured, limit, limit - measured, true, measured <= limit};
}

CriterionResult atLeast(const QString &key, const QString &label, double measured, double limit)
{
    return {key, label, measured, limit, measured - limit, true, measured >= limit};
}

// A criterion there was nothing to measure by fails, and says why in its label.
CriterionResult unjudged(const QString &key, const QString &label, double limit)
{
    return {key, label, 0, limit, 0, false, false};
}
} // namespace

void judge(const Recipe &r, Analysis &a)
{
    QVector<CriterionResult> &c = a.criteria;
    if (r.minSoak) {
        const QString label = QStringLiteral("最短保温");
        if (r.minSoak->readings == a.timeAxis)
            c.append(
                unjudged(QStringLiteral("minSoak"), label + QStringLiteral("（单位与数据不符）"), r.minSoak->value));
        else
            c.append(atLeast(QStringLiteral("minSoak"), label, a.band ? a.band->longestSoak : 0, r.minSoak->value));
    }
    if (r.maxOvershoot)
        c.append(atMost(QStringLiteral("maxOvershoot"), QStringLiteral("最大超调"), a.band ? a.band->overshoot : 0,
            *r.maxOvershoot));
    const std::pair<const char *, std::pair<const std::optional<Rate> *, const RateFigure *>> rates[]
        = {{"maxHeatRate", {&r.maxHeatRate, &a.maxHeat}}, {"maxCoolRate", {&r.maxCoolRate, &a.maxCool}}};
    for (const auto &[key, limit] : rates) {
        const std::optional<Rate> &rate = *limit.first;
        if (!rate)
            continue;
        const QString label = QLatin1String(key) == QLatin1String("maxHeatRate") ? QStringLiteral("最大升温速率")
                                                                                 : QStringLiteral("最大降温速率");
        if (rate->perReading == a.timeAxis)
            c.append(unjudged(QLatin1String(key), label + QStringLiteral("（单位与数据不符）"), rate->value));
        else if (a.rateWindows == 0)
            c.append(unjudged(QLatin1String(key), label + QStringLiteral("（数据不足一个速率窗口）"), rate->value));
        else
            c.append(atMost(QLatin1String(key), label, limit.second->measured ? limit.second->rate : 0, rate->value));
    }
    if (r.minPeak)
        c.append(atLeast(QStringLiteral("minPeak"), QStringLiteral("最低峰值"), a.peak, *r.minPeak));
    if (r.maxPeak)
        c.append(atMost(QStringLiteral("maxPeak"), QStringLiteral("最高峰值"), a.peak, *r.maxPeak));
    if (!c.isEmpty())
        a.pass = std::all_of(c.begin(), c.end(), [](const CriterionResult &x) { return x.pass; });
}
} // namespace zq
