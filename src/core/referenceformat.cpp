// The figures of a range and of a reference, as the analysis window and
// zqcli list them.
#include "core/analysisformat.h"

namespace zq {
QVector<FigureRow> rangeRows(const RangeFigures &range, const Analysis &check, const Record &record)
{
    const QString tag = QStringLiteral("选区 ");
    QVector<FigureRow> rows;
    rows.append({tag + (check.timeAxis ? QStringLiteral("Δt") : QStringLiteral("Δ读数")), length(check, range.span),
        where(record, check, range.first) + QStringLiteral(" 至 ") + where(record, check, range.last)});
    rows.append({tag + QStringLiteral("ΔT"), QString::number(range.delta, 'f', 0),
        QStringLiteral("℃（%1 → %2）").arg(range.startReading).arg(range.endReading)});
    rows.append({tag + QStringLiteral("平均速率（最小二乘）"),
        range.rateMeasured ? QString::number(range.rate, 'f', 2) : QStringLiteral("—"), check.rateUnit()});
    for (FigureRow row : figureRows(check, record)) {
        row.label.prepend(tag);
        rows.append(row);
    }
    return rows;
}

QVector<FigureRow> differenceRows(
    const Difference &d, const Placed &placed, const Alignment &alignment, const Analysis &a, const Record &record)
{
    const QString tag = QStringLiteral("参考 ");
    if (!placed.problem.isEmpty())
        return {{tag + QStringLiteral("无法对齐"), placed.problem, {}}};
    QString how = alignment.how == Alignment::Cross ? QStringLiteral("首次达到 %1 ℃").arg(alignment.value)
        : alignment.how == Alignment::At ? QStringLiteral("读数 %1").arg(where(record, a, int(alignment.value)))
                                         : QStringLiteral("起点");
    if (placed.interpolated)
        how += QStringLiteral("（两读数间插值）");
    QVector<FigureRow> rows;
    rows.append({tag + QStringLiteral("对齐"), how, QStringLiteral("平移 ") + length(a, placed.shift)});
    const bool whole = d.first <= 0 && d.last < 0;
    const int last = d.last < 0 ? record.count(a.group) - 1 : d.last;
    rows.append({tag + QStringLiteral("比较范围"),
        whole ? QStringLiteral("全程")
              : QStringLiteral("选区 %1 至 %2").arg(where(record, a, d.first), where(record, a, last)),
        {}});
    rows.append({tag + QStringLiteral("比较的读数"), QString::number(d.compared), {}});
    rows.append({tag + QStringLiteral("最大差（本次 − 参考）"),
        d.largestAt < 0 ? QStringLiteral("—") : QString::number(d.largest, 'f', 1),
        QStringLiteral("℃ @ ") + where(record, a, d.largestAt)});
    rows.append({tag + QStringLiteral("低于参考超过 %1 ℃").arg(d.below), length(a, d.belowTime), {}});
    rows.append({tag + QStringLiteral("高于参考超过 %1 ℃").arg(d.above), length(a, d.aboveTime), {}});
    return rows;
}
QJsonObject differenceJson(const Difference &d, const Placed &placed, const Alignment &alignment)
{
    if (!placed.problem.isEmpty())
        return {{QStringLiteral("problem"), placed.problem}};
    return {{QStringLiteral("align"), alignment.text()}, {QStringLiteral("shift"), placed.shift},
        {QStringLiteral("interpolated"), placed.interpolated}, {QStringLiteral("compared"), d.compared},
        {QStringLiteral("largest"), d.largest}, {QStringLiteral("largestAt"), d.largestAt},
        {QStringLiteral("belowTime"), d.belowTime}, {QStringLiteral("aboveTime"), d.aboveTime},
        {QStringLiteral("below"), d.below}, {QStringLiteral("above"), d.above}};
}

QStringList differenceCsvHeader()
{
    return {QStringLiteral("reference_shift"), QStringLiteral("largest_difference"),
        QStringLiteral("largest_difference_at"), QStringLiteral("time_below_reference"),
        QStringLiteral("time_above_reference"), QStringLiteral("reference_problem")};
}

QStringList differenceCsv(const Difference &d, const Placed &placed)
{
    if (!placed.problem.isEmpty())
        return {{}, {}, {}, {}, {}, placed.problem};
    auto n = [](double v) { return QString::number(v, 'g', 10); };
    return {n(placed.shift), d.largestAt < 0 ? QString() : n(d.largest),
        d.largestAt < 0 ? QString() : QString::number(d.largestAt), n(d.belowTime), n(d.aboveTime), QString()};
}
} // namespace zq
