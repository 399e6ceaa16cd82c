// The process report's pages: what goes where, worked out before anything
// is painted, so every item can be checked against the printable area.
#include "print/processreport.h"
#include "print/sheetflow.h"

#include "core/format.h"
#include "core/listlines.h"
#include "print/fonts.h"
#include "print/texts.h"

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
    f.add({SheetItem::Text, 0, QRectF(0, f.y(), f.width(), 26), sheet::kTitle, 18, true, Qt::AlignCenter});
    f.skip(30);
    f.heading(sheet::kRun);
    const Analysis &a = r.check;
    const QString values[] = {r.fields.equipment, r.fields.load, r.fields.operatorName, r.fields.thermocouple,
        r.fields.comment, r.fileName,
        sheet::dataLine(r.record.isSequence() ? QStringLiteral("STYLE 0") : QStringLiteral("STYLE 1"), r.group,
            a.readings, a.failed, where(r.record, a, a.first), where(r.record, a, a.last))};
    for (int k = 0; k < int(std::size(values)); ++k) {
        f.add({SheetItem::Text, 0, QRectF(0, f.y(), 60, 8 * kLine), QString::fromUtf8(sheet::kRunLabels[k]), 8, true});
        f.text(64, f.width() - 64, values[k].isEmpty() ? QStringLiteral("—") : values[k], 8);
    }
}

void recipe(Flow &f, const ProcessReport &r)
{
    f.heading(sheet::recipeHeading(r.recipe.name));
    const Recipe &p = r.recipe;
    QStringList what;
    if (p.hasBand)
        what << (p.bandFollowsSchedule ? sheet::scheduleBand(p.below, p.above)
                                       : sheet::fixedBand(p.setpoint, p.below, p.above));
    QStringList thresholds;
    for (double t : p.thresholds)
        thresholds << QString::number(t, 'g', 6) + QStringLiteral(" ℃");
    if (!thresholds.isEmpty())
        what << sheet::kThresholds + thresholds.join(QStringLiteral("、"));
    if (!p.schedule.isEmpty())
        what << sheet::kSchedule + p.schedule.text();
    for (const QString &line : what)
        f.text(0, f.width(), line, 8);
    // The limits as the recipe states them; what was measured against each is in the figures.
    const QString rate = QStringLiteral(" ℃/min");
    // In the order of sheet::kCriterionLabels.
    const QString limits[] = {p.minSoak ? p.minSoak->text() : QString(),
        p.maxOvershoot ? QString::number(*p.maxOvershoot) + QStringLiteral(" ℃") : QString(),
        p.maxHeatRate ? p.maxHeatRate->text() + (p.maxHeatRate->perReading ? QString() : rate) : QString(),
        p.maxCoolRate ? p.maxCoolRate->text() + (p.maxCoolRate->perReading ? QString() : rate) : QString(),
        p.minPeak ? QString::number(*p.minPeak) + QStringLiteral(" ℃") : QString(),
        p.maxPeak ? QString::number(*p.maxPeak) + QStringLiteral(" ℃") : QString()};
    for (int k = 0; k < int(std::size(limits)); ++k)
        if (!limits[k].isEmpty())
            f.text(0, f.width(), sheet::kCriterion + QString::fromUtf8(sheet::kCriterionLabels[k]) + limits[k], 8);
    if (r.check.criteria.isEmpty())
        f.text(0, f.width(), sheet::kNoCriteria, 8);
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
    figures(f, sheet::kWholeRun, figureRows(r.check, r.record));
    figures(f, sheet::kRange, r.rangeRows);
    figures(f, sheet::kReference, r.referenceRows);
    f.heading(sheet::kCurve);
    f.need(qMin(220.0, f.room()));
    f.add(SheetItem::chart(QRectF(0, f.y(), f.width(), qMin(220.0, f.room()))));
    f.skip(qMin(220.0, f.room()) + 4);
    if (!r.notes.isEmpty()) {
        f.heading(sheet::kNotes);
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
