// The process check as JSON: the stable form zqcli prints and the README describes.
#include "core/analysisformat.h"

#include <QJsonArray>

namespace zq {
namespace {
QJsonValue orNull(bool present, const QJsonValue &v)
{
    return present ? v : QJsonValue(QJsonValue::Null);
}

QJsonObject rateJson(const RateFigure &r)
{
    return {{QStringLiteral("rate"), r.rate}, {QStringLiteral("at"), r.at}, {QStringLiteral("time"), r.time}};
}

QJsonObject bandJson(const BandFigures &b, const Recipe &recipe)
{
    return QJsonObject{{QStringLiteral("setpoint"), recipe.setpoint}, {QStringLiteral("below"), recipe.below},
        {QStringLiteral("above"), recipe.above}, {QStringLiteral("enteredAt"), orNull(b.enteredAt >= 0, b.enteredAt)},
        {QStringLiteral("hold"),
            orNull(b.holdFirst >= 0,
                QJsonObject{{QStringLiteral("first"), b.holdFirst}, {QStringLiteral("last"), b.holdLast},
                    {QStringLiteral("time"), b.hold}})},
        {QStringLiteral("timeToEnter"), b.timeToEnter}, {QStringLiteral("afterEntry"), b.afterEntry},
        {QStringLiteral("inBand"), b.inBand}, {QStringLiteral("outside"), b.outside},
        {QStringLiteral("longestSoak"), b.longestSoak},
        {QStringLiteral("overshoot"),
            QJsonObject{{QStringLiteral("value"), b.overshoot}, {QStringLiteral("at"), b.overshootAt},
                {QStringLiteral("time"), b.overshootTime}}},
        {QStringLiteral("undershoot"),
            QJsonObject{{QStringLiteral("value"), b.undershoot}, {QStringLiteral("at"), b.undershootAt},
                {QStringLiteral("time"), b.undershootTime}}},
        {QStringLiteral("excursions"), b.excursions}, {QStringLiteral("degreeMinutes"), b.degreeMinutes}};
}

void insertVerdict(const Analysis &a, QJsonObject *o)
{
    QJsonArray criteria, failed;
    for (const CriterionResult &c : a.criteria) {
        criteria.append(QJsonObject{{QStringLiteral("key"), c.key}, {QStringLiteral("label"), c.label},
            {QStringLiteral("notJudgedBecause"), orNull(!c.judged, c.reason)}, {QStringLiteral("measured"), c.measured},
            {QStringLiteral("limit"), c.limit}, {QStringLiteral("margin"), c.margin},
            {QStringLiteral("judged"), c.judged}, {QStringLiteral("pass"), c.pass}});
        if (!c.pass)
            failed.append(c.key);
    }
    o->insert(QStringLiteral("criteria"), criteria);
    o->insert(QStringLiteral("verdict"),
        a.pass ? QJsonValue(*a.pass ? QStringLiteral("PASS") : QStringLiteral("FAIL")) : QJsonValue(QJsonValue::Null));
    o->insert(QStringLiteral("failedCriteria"), failed);
}
} // namespace

QJsonObject analysisJson(const Analysis &a, const Recipe &recipe, const QString &file)
{
    QJsonObject o{{QStringLiteral("version"), 1}, {QStringLiteral("file"), file},
        {QStringLiteral("recipe"), recipe.name},
        {QStringLiteral("type"), a.type == SequenceData ? QStringLiteral("sequence") : QStringLiteral("time-stamped")},
        {QStringLiteral("group"), a.group},
        {QStringLiteral("range"),
            QJsonObject{{QStringLiteral("first"), a.first}, {QStringLiteral("last"), a.last},
                {QStringLiteral("cut"), a.rangeCut}}},
        {QStringLiteral("axis"), a.timeAxis ? QStringLiteral("seconds") : QStringLiteral("readings")},
        {QStringLiteral("assumedIntervalSec"), orNull(a.assumedInterval, a.intervalSec)},
        {QStringLiteral("problem"), orNull(!a.problem.isEmpty(), a.problem)}};
    if (!a.problem.isEmpty())
        return o;
    QJsonArray gaps;
    for (const Gap &g : a.gaps)
        gaps.append(QJsonObject{{QStringLiteral("at"), g.at},
            {QStringLiteral("kind"), g.failed ? QStringLiteral("failed") : QStringLiteral("time")},
            {QStringLiteral("length"), g.length}});
    QJsonArray thresholds;
    for (const ThresholdFigures &t : a.thresholds)
        thresholds.append(QJsonObject{{QStringLiteral("value"), t.value},
            {QStringLiteral("firstAt"), orNull(t.firstAt >= 0, t.firstAt)},
            {QStringLiteral("firstTime"), orNull(t.firstAt >= 0, t.firstTime)},
            {QStringLiteral("totalAbove"), t.totalAbove}, {QStringLiteral("longestAbove"), t.longestAbove}});
    o.insert(QStringLiteral("elapsed"), a.elapsed);
    o.insert(QStringLiteral("readings"), a.readings);
    o.insert(QStringLiteral("failed"), a.failed);
    o.insert(QStringLiteral("orderBrokenAt"), orNull(a.orderBrokenAt >= 0, a.orderBrokenAt));
    QJsonArray broken;
    for (int at : a.orderBroken)
        broken.append(at);
    o.insert(QStringLiteral("orderBroken"), broken);
    o.insert(QStringLiteral("gaps"), gaps);
    o.insert(QStringLiteral("peak"), QJsonObject{{QStringLiteral("value"), a.peak}, {QStringLiteral("at"), a.peakAt}});
    o.insert(
        QStringLiteral("lowest"), QJsonObject{{QStringLiteral("value"), a.lowest}, {QStringLiteral("at"), a.lowestAt}});
    o.insert(QStringLiteral("mean"), a.mean);
    o.insert(QStringLiteral("stddev"), a.stddev);
    o.insert(QStringLiteral("thresholds"), thresholds);
    o.insert(QStringLiteral("rates"),
        QJsonObject{{QStringLiteral("window"), a.rateWindow}, {QStringLiteral("unit"), a.rateUnit()},
            {QStringLiteral("maxHeating"), orNull(a.maxHeat.measured, rateJson(a.maxHeat))},
            {QStringLiteral("maxCooling"), orNull(a.maxCool.measured, rateJson(a.maxCool))}});
    o.insert(QStringLiteral("band"), a.band ? bandJson(*a.band, recipe) : QJsonValue(QJsonValue::Null));
    insertVerdict(a, &o);
    return o;
}
} // namespace zq
