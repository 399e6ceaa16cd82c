#include "core/analysisformat.h"

#include "core/format.h"
#include "core/listlines.h"

#include <QJsonArray>
#include <cmath>

namespace zq {
namespace {
QString num(double v, int decimals = 1)
{
    return QString::number(v, 'f', decimals);
}

} // namespace

QString length(const Analysis &a, double v)
{
    if (!a.timeAxis)
        return num(v, 0) + QStringLiteral(" 读数");
    // Seconds while they are few, so 59 s never reads as a whole minute.
    const QString shown = std::abs(v) < 120 ? num(v, std::fmod(v, 1.0) == 0 ? 0 : 1) + QStringLiteral(" s")
                                            : num(v / 60.0) + QStringLiteral(" min");
    return shown + (a.assumedInterval ? QStringLiteral("（假定间隔）") : QString());
}

QString where(const Record &record, const Analysis &a, int at)
{
    if (at < 0)
        return QStringLiteral("—");
    return record.isTimeStamped() ? timeStamp(record.at(at, a.group)) : formatPadded(at, 4);
}

QString verdictText(const Analysis &a)
{
    if (!a.pass)
        return QString();
    if (*a.pass)
        return QStringLiteral("PASS");
    QStringList failed;
    for (const CriterionResult &c : a.criteria)
        if (!c.pass)
            failed.append(c.judged ? c.label : c.label + QStringLiteral("（未判定）"));
    return QStringLiteral("FAIL：") + failed.join(QStringLiteral("、"));
}

QVector<FigureRow> figureRows(const Analysis &a, const Record &record)
{
    QVector<FigureRow> rows;
    if (!a.problem.isEmpty())
        return {{QStringLiteral("无法分析"), a.problem, QString()}};
    const QString rate = QStringLiteral("（窗口 %1）").arg(length(a, a.rateWindow));
    rows.append({QStringLiteral("范围"), where(record, a, a.first) + QStringLiteral(" 至 ") + where(record, a, a.last),
        a.rangeCut ? QStringLiteral("（已截至记录末尾）") : QString()});
    rows.append({QStringLiteral("历时"), length(a, a.elapsed), {}});
    rows.append({QStringLiteral("读数"), QString::number(a.readings), {}});
    rows.append({QStringLiteral("失败读数"), QString::number(a.failed), {}});
    rows.append({QStringLiteral("时间间断"),
        QString::number(std::count_if(a.gaps.begin(), a.gaps.end(), [](const Gap &g) { return !g.failed; })), {}});
    for (int at : a.orderBroken)
        rows.append(
            {QStringLiteral("时间顺序错乱"), where(record, a, at), QStringLiteral("（时钟回拨，此处历时不计）")});
    if (!a.correctedBy.isEmpty())
        rows.append({QStringLiteral("读数修正"), a.correctedBy,
            a.leftRaw ? QStringLiteral("（%1 个读数在校准点之外，未修正）").arg(a.leftRaw) : QString()});
    rows.append({QStringLiteral("峰值"), QString::number(a.peak), QStringLiteral("℃ @ ") + where(record, a, a.peakAt)});
    rows.append(
        {QStringLiteral("最低"), QString::number(a.lowest), QStringLiteral("℃ @ ") + where(record, a, a.lowestAt)});
    rows.append({QStringLiteral("平均"), num(a.mean), QStringLiteral("℃")});
    rows.append({QStringLiteral("标准差"), num(a.stddev), QStringLiteral("℃")});
    for (const ThresholdFigures &t : a.thresholds) {
        const QString v = num(t.value, 0) + QStringLiteral("℃");
        rows.append({QStringLiteral("首次达到 ") + v, t.firstAt < 0 ? QStringLiteral("未达到") : length(a, t.firstTime),
            where(record, a, t.firstAt)});
        rows.append({QStringLiteral("累计不低于 ") + v, length(a, t.totalAbove), {}});
        rows.append({QStringLiteral("连续最长不低于 ") + v, length(a, t.longestAbove), {}});
    }
    for (const auto &[label, r] :
        {std::pair{QStringLiteral("最大升温速率"), a.maxHeat}, std::pair{QStringLiteral("最大降温速率"), a.maxCool}})
        rows.append({label + rate, r.measured ? num(r.rate, 2) : QStringLiteral("—"),
            a.rateUnit() + QStringLiteral(" @ ") + where(record, a, r.at)});
    if (a.band) {
        const BandFigures &b = *a.band;
        rows.append({QStringLiteral("进入公差带"),
            b.enteredAt < 0 ? QStringLiteral("未进入") : length(a, b.timeToEnter), where(record, a, b.enteredAt)});
        if (b.holdFirst >= 0)
            rows.append({QStringLiteral("保温段"),
                where(record, a, b.holdFirst) + QStringLiteral(" – ") + where(record, a, b.holdLast),
                length(a, b.hold)});
        rows.append({QStringLiteral("带内累计"), length(a, b.inBand), {}});
        rows.append({QStringLiteral("最长连续保温"), length(a, b.longestSoak), {}});
        rows.append({QStringLiteral("超调"), num(b.overshoot, 0),
            QStringLiteral("℃ @ %1，%2").arg(where(record, a, b.overshootAt), length(a, b.overshootTime))});
        rows.append({QStringLiteral("欠温（保温段内）"), num(b.undershoot, 0),
            QStringLiteral("℃ @ %1，%2").arg(where(record, a, b.undershootAt), length(a, b.undershootTime))});
        rows.append({QStringLiteral("越出次数（保温段内）"), QString::number(b.excursions), {}});
        rows.append({QStringLiteral("带外度·分（保温段内）"), num(b.degreeMinutes),
            a.timeAxis ? QStringLiteral("℃·min") : QStringLiteral("℃·读数")});
    }
    for (const CriterionResult &c : a.criteria) {
        // Each in its own unit: a soak as a length, a rate per its axis, the rest in ℃.
        const bool soak = c.key == QLatin1String("minSoak");
        const bool rate = c.key.endsWith(QLatin1String("Rate"));
        auto show = [&](double v) {
            return soak ? length(a, v)
                : rate  ? num(v, 2) + QLatin1Char(' ') + a.rateUnit()
                        : num(v, 0) + QStringLiteral(" ℃");
        };
        rows.append({QStringLiteral("判据 ") + c.title(), c.judged ? show(c.measured) : QStringLiteral("—"),
            QStringLiteral("限值 %1，余量 %2，%3")
                .arg(c.limitText.isEmpty() ? show(c.limit) : c.limitText,
                    c.judged ? show(c.margin) : QStringLiteral("—"),
                    c.pass ? QStringLiteral("合格") : QStringLiteral("不合格"))});
    }
    if (a.pass)
        rows.append({QStringLiteral("结论"), verdictText(a), {}});
    return rows;
}

QString figuresTsv(const QVector<FigureRow> &rows)
{
    QString out;
    for (const FigureRow &r : rows)
        out += r.label + QLatin1Char('\t') + r.value + QLatin1Char('\t') + r.unit + QLatin1Char('\n');
    return out;
}

QString figuresText(const QVector<FigureRow> &rows)
{
    QString out;
    for (const FigureRow &r : rows)
        out += r.label + QStringLiteral("：") + r.value + (r.unit.isEmpty() ? QString() : QLatin1Char(' ') + r.unit)
            + QLatin1Char('\n');
    return out;
}

QStringList csvHeader()
{
    QStringList h{QStringLiteral("file"), QStringLiteral("type"), QStringLiteral("group"), QStringLiteral("first"),
        QStringLiteral("last"), QStringLiteral("axis"), QStringLiteral("elapsed"), QStringLiteral("readings"),
        QStringLiteral("failed"), QStringLiteral("peak"), QStringLiteral("lowest"), QStringLiteral("mean"),
        QStringLiteral("stddev"), QStringLiteral("rate_window"), QStringLiteral("max_heat_rate"),
        QStringLiteral("max_cool_rate"), QStringLiteral("time_to_enter"), QStringLiteral("in_band"),
        QStringLiteral("longest_soak"), QStringLiteral("overshoot"), QStringLiteral("excursions"),
        QStringLiteral("degree_minutes")};
    for (int k = 1; k <= 4; ++k)
        h << QStringLiteral("threshold_%1").arg(k) << QStringLiteral("first_reached_%1").arg(k)
          << QStringLiteral("total_above_%1").arg(k);
    return h << QStringLiteral("verdict") << QStringLiteral("failed_criteria") << QStringLiteral("problem");
}

QStringList csvRow(const Analysis &a, const QString &file)
{
    auto opt = [](bool present, double v) { return present ? QString::number(v, 'g', 10) : QString(); };
    const bool band = a.band.has_value() && a.band->enteredAt >= 0;
    QStringList row{file, a.type == SequenceData ? QStringLiteral("sequence") : QStringLiteral("time-stamped"),
        QString::number(a.group), QString::number(a.first), QString::number(a.last),
        a.timeAxis ? QStringLiteral("seconds") : QStringLiteral("readings"), opt(true, a.elapsed),
        QString::number(a.readings), QString::number(a.failed), opt(a.peakAt >= 0, a.peak),
        opt(a.lowestAt >= 0, a.lowest), opt(true, a.mean), opt(true, a.stddev), opt(true, a.rateWindow),
        opt(a.maxHeat.measured, a.maxHeat.rate), opt(a.maxCool.measured, a.maxCool.rate),
        opt(band, band ? a.band->timeToEnter : 0), opt(band, band ? a.band->inBand : 0),
        opt(band, band ? a.band->longestSoak : 0), opt(band, band ? a.band->overshoot : 0),
        opt(band, band ? a.band->excursions : 0), opt(band, band ? a.band->degreeMinutes : 0)};
    for (int k = 0; k < 4; ++k) {
        const bool t = k < a.thresholds.size();
        row << opt(t, t ? a.thresholds[k].value : 0)
            << opt(t && a.thresholds[k].firstAt >= 0, t ? a.thresholds[k].firstTime : 0)
            << opt(t, t ? a.thresholds[k].totalAbove : 0);
    }
    QStringList failed;
    for (const CriterionResult &c : a.criteria)
        if (!c.pass)
            failed.append(c.key);
    row << (a.pass ? (*a.pass ? QStringLiteral("PASS") : QStringLiteral("FAIL")) : QString())
        << failed.join(QLatin1Char(' ')) << a.problem;
    return row;
}

} // namespace zq
