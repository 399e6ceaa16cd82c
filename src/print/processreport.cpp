// The process report's pages: what goes where, worked out before anything
// is painted, so every item can be checked against the printable area.
#include "print/processreport.h"
#include "print/sheetflow.h"

#include "core/format.h"
#include "core/listlines.h"
#include "print/fonts.h"

#include <QFontMetricsF>
#include <QImage>
#include <algorithm>

namespace zq {
namespace {
void header(Flow &f, const ProcessReport &r)
{
    if (!r.company.trimmed().isEmpty())
        f.add({SheetItem::Text, 0, QRectF(0, f.y(), f.width(), 16), r.company.trimmed(), 11, false, Qt::AlignCenter});
    f.skip(r.company.trimmed().isEmpty() ? 0 : 16);
    f.add({SheetItem::Text, 0, QRectF(0, f.y(), f.width(), 26), QStringLiteral("工艺报告"), 18, true, Qt::AlignCenter});
    f.skip(30);
    f.heading(QStringLiteral("运行"));
    const Analysis &a = r.check;
    const std::pair<const char *, QString> lines[]
        = {{"设备", r.fields.equipment}, {"工件", r.fields.load}, {"操作员", r.fields.operatorName},
            {"热电偶", r.fields.thermocouple}, {"备注", r.fields.comment}, {"文件", r.fileName},
            {"数据",
                QStringLiteral("%1，第 %2 组，%3 个读数（失败 %4），%5 至 %6")
                    .arg(r.record.isSequence() ? "STYLE 0" : "STYLE 1")
                    .arg(r.group)
                    .arg(a.readings)
                    .arg(a.failed)
                    .arg(where(r.record, a, a.first), where(r.record, a, a.last))}};
    for (const auto &[label, value] : lines) {
        f.add({SheetItem::Text, 0, QRectF(0, f.y(), 60, 8 * kLine), QString::fromUtf8(label), 8, true});
        f.text(64, f.width() - 64, value.isEmpty() ? QStringLiteral("—") : value, 8);
    }
}

void recipe(Flow &f, const ProcessReport &r)
{
    f.heading(QStringLiteral("配方：") + (r.recipe.name.isEmpty() ? QStringLiteral("（未命名）") : r.recipe.name));
    const Recipe &p = r.recipe;
    QStringList what;
    if (p.hasBand)
        what << (p.bandFollowsSchedule
                ? QStringLiteral("公差带：计划曲线 −%1/+%2 ℃").arg(p.below).arg(p.above)
                : QStringLiteral("公差带：%1 ℃ −%2/+%3 ℃").arg(p.setpoint).arg(p.below).arg(p.above));
    QStringList thresholds;
    for (double t : p.thresholds)
        thresholds << QString::number(t, 'g', 6) + QStringLiteral(" ℃");
    if (!thresholds.isEmpty())
        what << QStringLiteral("温度阈值：") + thresholds.join(QStringLiteral("、"));
    if (!p.schedule.isEmpty())
        what << QStringLiteral("计划：") + p.schedule.text();
    for (const QString &line : what)
        f.text(0, f.width(), line, 8);
    // The limits as the recipe states them; what was measured against each is in the figures.
    const QString rate = QStringLiteral(" ℃/min");
    const std::pair<const char *, QString> criteria[] = {{"最短保温 ≥ ", p.minSoak ? p.minSoak->text() : QString()},
        {"最大超调 ≤ ", p.maxOvershoot ? QString::number(*p.maxOvershoot) + QStringLiteral(" ℃") : QString()},
        {"最大升温速率 ≤ ",
            p.maxHeatRate ? p.maxHeatRate->text() + (p.maxHeatRate->perReading ? QString() : rate) : QString()},
        {"最大降温速率 ≤ ",
            p.maxCoolRate ? p.maxCoolRate->text() + (p.maxCoolRate->perReading ? QString() : rate) : QString()},
        {"最低峰值 ≥ ", p.minPeak ? QString::number(*p.minPeak) + QStringLiteral(" ℃") : QString()},
        {"最高峰值 ≤ ", p.maxPeak ? QString::number(*p.maxPeak) + QStringLiteral(" ℃") : QString()}};
    for (const auto &[label, limit] : criteria)
        if (!limit.isEmpty())
            f.text(0, f.width(), QStringLiteral("判据：") + QString::fromUtf8(label) + limit, 8);
    if (r.check.criteria.isEmpty())
        f.text(0, f.width(), QStringLiteral("配方没有判据：不作结论"), 8);
}

void verdict(Flow &f, const ProcessReport &r)
{
    if (!r.check.pass)
        return;
    const bool pass = *r.check.pass;
    f.need(36);
    f.skip(6);
    f.add({SheetItem::Box, 0, QRectF(0, f.y(), f.width(), 28), QString(), 0, false, 0,
        pass ? QColor(220, 245, 220) : QColor(250, 220, 220)});
    f.add({SheetItem::Text, 0, QRectF(8, f.y(), f.width() - 16, 28), verdictText(r.check), 14, true,
        Qt::AlignLeft | Qt::AlignVCenter, pass ? QColor(0, 120, 0) : QColor(180, 0, 0)});
    f.skip(30);
}

void figures(Flow &f, const QString &title, const QVector<FigureRow> &rows)
{
    if (rows.isEmpty())
        return;
    f.heading(title);
    const double w = f.width(), h = 7.5 * kLine;
    for (const FigureRow &row : rows) {
        f.need(h);
        f.cell(0, w * 0.36, row.label, 7.5);
        f.cell(w * 0.37, w * 0.3, row.value, 7.5);
        f.cell(w * 0.68, w * 0.32, row.unit, 7.5);
        f.skip(h);
    }
}
} // namespace

ProcessReport processFigures(const Record &record, int group, const Recipe &recipe,
    std::optional<std::pair<int, int>> range, const Placed &reference, const Alignment &alignment,
    const ReportCalibration &calibration)
{
    ProcessReport r;
    r.record = record;
    r.group = group;
    r.recipe = recipe;
    r.calibration = withFigures(calibration, record, recipe, group);
    const Correction *correction = calibration.judgedRaw ? nullptr : &calibration.correction;
    r.check = correction ? r.calibration.corrected : r.calibration.raw;
    const Curve run = runCurve(record, group, recipe.intervalSec);
    if (range) {
        const Analysis part = analyze(record, recipe, group, range->first, range->second, correction);
        r.rangeRows
            = rangeRows(measureRange(record, group, range->first, range->second, recipe.intervalSec), part, record);
        r.chart.range = std::pair{run.positionOf(range->first), run.positionOf(range->second)};
    }
    if (!reference.curve.isEmpty() || !reference.problem.isEmpty()) {
        // Over the range when there is one, as zqcli analyze compares.
        const Difference d = compareRun(run, reference.curve, range ? range->first : 0, range ? range->second : -1,
            recipe.hasBand ? recipe.below : 0, recipe.hasBand ? recipe.above : 0);
        r.referenceRows = differenceRows(d, reference, alignment, r.check, record);
    }
    r.chart.run = correction && !correction->isEmpty() ? correctedCurve(run, *correction) : run;
    r.chart.reference = reference.curve;
    r.chart.recipe = recipe;
    r.chart.timeAxis = record.isTimeStamped() || recipe.intervalSec > 0;
    return r;
}

QFont sheetFont(double points, bool bold)
{
    return designFont(QStringLiteral("黑体"), points, bold);
}

QFontMetricsF sheetMetrics(double points, bool bold)
{
    // A device of 72 dots an inch: a dot is a point.
    static const QImage probe = [] {
        QImage i(1, 1, QImage::Format_RGB32);
        i.setDotsPerMeterX(qRound(72 / 0.0254));
        i.setDotsPerMeterY(qRound(72 / 0.0254));
        return i;
    }();
    return QFontMetricsF(sheetFont(points, bold), &probe);
}

Sheet layoutProcessReport(const ProcessReport &r, const QSizeF &printable)
{
    Sheet sheet;
    sheet.size = printable;
    Flow f(sheet, isDraft(r) ? kDraftMark : 0);
    header(f, r);
    recipe(f, r);
    verdict(f, r);
    layoutCalibration(f, r);
    figures(f, QStringLiteral("全程"), figureRows(r.check, r.record));
    figures(f, QStringLiteral("选区"), r.rangeRows);
    figures(f, QStringLiteral("参考曲线"), r.referenceRows);
    f.heading(QStringLiteral("曲线"));
    f.need(qMin(220.0, f.room()));
    f.add(SheetItem::chart(QRectF(0, f.y(), f.width(), qMin(220.0, f.room()))));
    f.skip(qMin(220.0, f.room()) + 4);
    if (!r.notes.isEmpty()) {
        f.heading(QStringLiteral("注释"));
        for (const RunNote &n : r.notes)
            f.text(0, f.width(), where(r.record, r.check, n.atReading) + QStringLiteral("  ") + n.text, 8);
    }
    layoutSignatures(f, r);
    if (r.readings)
        layoutReadings(f, r);
    addFooters(sheet, r);
    addDraftMarks(sheet, r);
    return sheet;
}
} // namespace zq
