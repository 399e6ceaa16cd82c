// The process report's calibration block: which certificates corrected the
// readings, how they stand, and the figures raw beside corrected, so an
// auditor sees what the correction changed.
#include "core/analysisformat.h"
#include "print/sheetflow.h"

namespace zq {
namespace {
QString signedNumber(std::optional<double> v)
{
    if (!v)
        return QStringLiteral("范围外");
    return (*v >= 0 ? QStringLiteral("+") : QString()) + QString::number(*v, 'f', 2) + QStringLiteral(" ℃");
}

// Label, raw, corrected: the peak and the band's figures.
QVector<QStringList> bothWays(const Analysis &raw, const Analysis &corrected)
{
    auto verdict = [](const Analysis &a) {
        return !a.problem.isEmpty() ? a.problem : a.pass ? verdictText(a) : QStringLiteral("—");
    };
    QVector<QStringList> rows{{QStringLiteral("结论"), verdict(raw), verdict(corrected)}};
    if (!raw.problem.isEmpty() || !corrected.problem.isEmpty())
        return rows;
    auto degrees = [](double v) { return QString::number(v, 'f', 2) + QStringLiteral(" ℃"); };
    rows.append({QStringLiteral("峰值"), degrees(raw.peak), degrees(corrected.peak)});
    rows.append({QStringLiteral("最低"), degrees(raw.lowest), degrees(corrected.lowest)});
    if (!raw.band && !corrected.band)
        return rows;
    auto band = [](const Analysis &a, auto figure) {
        return a.band && a.band->enteredAt >= 0 ? figure(a, *a.band) : QStringLiteral("未进入公差带");
    };
    using Figure = QString (*)(const Analysis &, const BandFigures &);
    const std::pair<const char *, Figure> figures[] = {
        {"进入公差带", [](const Analysis &a, const BandFigures &b) { return length(a, b.timeToEnter); }},
        {"带内时间", [](const Analysis &a, const BandFigures &b) { return length(a, b.inBand); }},
        {"最长保温", [](const Analysis &a, const BandFigures &b) { return length(a, b.longestSoak); }},
        {"超调", [](const Analysis &, const BandFigures &b) { return QString::number(b.overshoot, 'f', 2) + " ℃"; }},
        {"欠调", [](const Analysis &, const BandFigures &b) { return QString::number(b.undershoot, 'f', 2) + " ℃"; }},
        {"超差次数", [](const Analysis &, const BandFigures &b) { return QString::number(b.excursions); }}};
    for (const auto &[label, figure] : figures)
        rows.append({QString::fromUtf8(label), band(raw, figure), band(corrected, figure)});
    return rows;
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
    f.heading(QStringLiteral("校准"));
    f.text(0, f.width(), c.judgedRaw ? QStringLiteral("按原始读数判定（未修正）") : c.correction.text(), 8, true);
    const QVector<double> columns{0, 0.1, 0.26, 0.42, 0.56, 0.7, 0.8};
    row(f, {"器具", "编号", "证书", "校准日期", "到期日", "状态", "设定温度处修正"}, columns);
    const std::pair<const char *, std::pair<QString, std::optional<Certificate>>> devices[]
        = {{"仪表", {c.instrument, c.correction.instrument}}, {"热电偶", {c.thermocouple, c.correction.thermocouple}}};
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
    row(f, {"", "原始读数", "修正后"}, {0, 0.36, 0.68});
    for (const QStringList &cells : bothWays(c.raw, c.corrected))
        row(f, cells, {0, 0.36, 0.68});
}

QString calibrationFooter(const ProcessReport &r)
{
    return expiryWarnings(r.calibration.correction, r.printed.date()).isEmpty() ? QString()
                                                                                : QStringLiteral("    校准已过期");
}
} // namespace zq
