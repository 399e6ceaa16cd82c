// The process report's calibration block: which certificates corrected the
// readings, how they stand, and the figures raw beside corrected, so an
// auditor sees what the correction changed.
#include "core/analysisformat.h"
#include "core/texts.h"
#include "print/sheetflow.h"
#include "print/texts.h"

namespace zq {
namespace {
QString signedNumber(std::optional<double> v)
{
    if (!v)
        return sheet::kOutsidePoints;
    return (*v >= 0 ? QStringLiteral("+") : QString()) + QString::number(*v, 'f', 2) + QStringLiteral(" ℃");
}

// Label, raw, corrected: the peak and the band's figures.
QVector<QStringList> bothWays(const Analysis &raw, const Analysis &corrected)
{
    auto verdict = [](const Analysis &a) {
        return !a.problem.isEmpty() ? a.problem : a.pass ? verdictText(a) : QStringLiteral("—");
    };
    QVector<QStringList> rows{{sheet::kVerdictRow, verdict(raw), verdict(corrected)}};
    if (!raw.problem.isEmpty() || !corrected.problem.isEmpty())
        return rows;
    auto degrees = [](double v) { return QString::number(v, 'f', 2) + QStringLiteral(" ℃"); };
    rows.append({sheet::kPeakRow, degrees(raw.peak), degrees(corrected.peak)});
    rows.append({sheet::kLowestRow, degrees(raw.lowest), degrees(corrected.lowest)});
    if (!raw.band && !corrected.band)
        return rows;
    auto band = [](const Analysis &a, auto figure) {
        return a.band && a.band->enteredAt >= 0 ? figure(a, *a.band) : sheet::kNeverInBand;
    };
    using Figure = QString (*)(const Analysis &, const BandFigures &);
    // In the order of sheet::kBandRows.
    const Figure figures[] = {[](const Analysis &a, const BandFigures &b) { return length(a, b.timeToEnter); },
        [](const Analysis &a, const BandFigures &b) { return length(a, b.inBand); },
        [](const Analysis &a, const BandFigures &b) { return length(a, b.longestSoak); },
        [](const Analysis &, const BandFigures &b) { return QString::number(b.overshoot, 'f', 2) + " ℃"; },
        [](const Analysis &, const BandFigures &b) { return QString::number(b.undershoot, 'f', 2) + " ℃"; },
        [](const Analysis &, const BandFigures &b) { return QString::number(b.excursions); }};
    for (int k = 0; k < int(std::size(figures)); ++k)
        rows.append({QString::fromUtf8(sheet::kBandRows[k]), band(raw, figures[k]), band(corrected, figures[k])});
    return rows;
}

template <size_t N> QStringList utf8(const char *const (&texts)[N])
{
    QStringList cells;
    for (const char *t : texts)
        cells << QString::fromUtf8(t);
    return cells;
}

void row(Flow &f, const QStringList &cells, const QVector<double> &at)
{
    const double h = 7.5 * kLine;
    f.need(h);
    for (int k = 0; k < cells.size(); ++k)
        f.cell(f.width() * at[k], f.width() * ((k + 1 < at.size() ? at[k + 1] : 1.0) - at[k]), cells[k], 7.5);
    f.skip(h);
}
} // namespace

ReportCalibration withFigures(ReportCalibration c, const Record &record, const Recipe &recipe, int group)
{
    c.raw = analyze(record, recipe, group);
    c.corrected = c.correction.isEmpty() ? c.raw : analyze(record, recipe, group, 0, -1, &c.correction);
    return c;
}

void layoutCalibration(Flow &f, const ProcessReport &r)
{
    const ReportCalibration &c = r.calibration;
    if (c.correction.isEmpty())
        return;
    f.heading(sheet::kCalibration);
    f.text(0, f.width(), c.judgedRaw ? words::kJudgedRaw : c.correction.text(), 8, true);
    const QVector<double> columns{0, 0.1, 0.26, 0.42, 0.56, 0.7, 0.8};
    row(f, utf8(sheet::kDeviceColumns), columns);
    const std::pair<const char *, std::pair<QString, std::optional<Certificate>>> devices[]
        = {{sheet::kDeviceKinds[0], {c.instrument, c.correction.instrument}},
            {sheet::kDeviceKinds[1], {c.thermocouple, c.correction.thermocouple}}};
    for (const auto &[kind, device] : devices) {
        const auto &[id, cert] = device;
        if (!cert)
            continue;
        const QString atSetpoint = r.recipe.hasBand && !r.recipe.bandFollowsSchedule
            ? signedNumber(cert->correctionAt(r.recipe.setpoint))
            : QStringLiteral("—");
        row(f,
            {QString::fromUtf8(kind), id, cert->number, cert->calibrated.toString(Qt::ISODate),
                cert->due.toString(Qt::ISODate), dueText(dueState(*cert, r.printed.date())), atSetpoint},
            columns);
    }
    f.skip(4);
    row(f, utf8(sheet::kBothWaysColumns), {0, 0.36, 0.68});
    for (const QStringList &cells : bothWays(c.raw, c.corrected))
        row(f, cells, {0, 0.36, 0.68});
}

QString calibrationFooter(const ProcessReport &r)
{
    return expiryWarnings(r.calibration.correction, r.printed.date()).isEmpty() ? QString()
                                                                                : sheet::kCalibrationExpired;
}
} // namespace zq
