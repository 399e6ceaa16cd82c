#include "core/calibration.h"
#include "core/reference.h"
#include "core/texts.h"

#include <QRegularExpression>
#include <QStringList>
#include <algorithm>
#include <cmath>

namespace zq {
std::optional<double> Certificate::correctionAt(double reading) const
{
    if (!covers(reading))
        return std::nullopt;
    for (int k = 0; k + 1 < points.size(); ++k) {
        const CalPoint &a = points[k], &b = points[k + 1];
        if (reading <= b.temperature)
            return a.correction
                + (b.correction - a.correction) * (reading - a.temperature) / (b.temperature - a.temperature);
    }
    return points.last().correction; // a single point covers its own temperature only
}

bool Certificate::covers(double temperature) const
{
    return !points.isEmpty() && temperature >= points.first().temperature && temperature <= points.last().temperature;
}

std::optional<QVector<CalPoint>> parseCalPoints(const QString &text, QString *error)
{
    static const QRegularExpression form(QStringLiteral(R"(^\s*(-?\d+(?:\.\d+)?)\s*:\s*([+-]?\d+(?:\.\d+)?)\s*$)"));
    QVector<CalPoint> points;
    for (const QString &part : text.split(QLatin1Char(','), Qt::SkipEmptyParts)) {
        const QRegularExpressionMatch m = form.match(part);
        if (!m.hasMatch()) {
            *error = words::kNotACalPoint.arg(part.trimmed());
            return std::nullopt;
        }
        points.append({m.captured(1).toDouble(), m.captured(2).toDouble()});
    }
    std::sort(points.begin(), points.end(),
        [](const CalPoint &a, const CalPoint &b) { return a.temperature < b.temperature; });
    for (int k = 0; k + 1 < points.size(); ++k)
        if (points[k].temperature == points[k + 1].temperature) {
            *error = words::kTwoCorrections.arg(points[k].temperature);
            return std::nullopt;
        }
    if (points.isEmpty()) {
        *error = words::kNoCalPoints;
        return std::nullopt;
    }
    return points;
}

QString calPointsText(const QVector<CalPoint> &points)
{
    QStringList parts;
    for (const CalPoint &p : points)
        parts << QStringLiteral("%1:%2%3").arg(p.temperature).arg(p.correction >= 0 ? "+" : "").arg(p.correction);
    return parts.join(QLatin1Char(','));
}

const QStringList &thermocoupleTypes()
{
    static const QStringList types{"K", "N", "S", "R", "B", "J", "T", "E"};
    return types;
}

QString certificateProblem(bool thermocouple, const QString &deviceId, const QString &type, const Certificate &c)
{
    if (deviceId.trimmed().isEmpty())
        return words::kFillInId;
    if (c.number.trimmed().isEmpty())
        return words::kFillInCertificate;
    if (!c.calibrated.isValid() || !c.due.isValid())
        return words::kCalDatesFormat;
    if (c.due < c.calibrated)
        return words::kDueBeforeCalibrated;
    if (thermocouple && !thermocoupleTypes().contains(type))
        return words::kThermocoupleTypes.arg(thermocoupleTypes().join(QLatin1Char(' ')));
    if (c.points.isEmpty())
        return words::kNoCalPoints;
    return QString();
}

DueState dueState(const Certificate &c, const QDate &today)
{
    if (today > c.due)
        return DueState::Expired;
    return today.daysTo(c.due) <= 30 ? DueState::DueSoon : DueState::Ok;
}

QString dueText(DueState state)
{
    switch (state) {
    case DueState::Expired:
        return words::kExpired;
    case DueState::DueSoon:
        return words::kDueSoon;
    default:
        return QStringLiteral("OK");
    }
}

std::optional<Certificate> inForce(const QVector<Certificate> &certificates, const QDate &day)
{
    std::optional<Certificate> best;
    for (const Certificate &c : certificates)
        if (c.calibrated <= day && (!best || c.calibrated > best->calibrated))
            best = c;
    return best;
}

std::optional<double> Correction::apply(double reading) const
{
    double sum = 0;
    for (const std::optional<Certificate> *c : {&instrument, &thermocouple}) {
        if (!*c)
            continue;
        const std::optional<double> at = (*c)->correctionAt(reading);
        if (!at)
            return std::nullopt;
        sum += *at;
    }
    return reading + sum;
}

bool Correction::covers(double temperature) const
{
    return (!instrument || instrument->covers(temperature)) && (!thermocouple || thermocouple->covers(temperature));
}

QString Correction::text() const
{
    QStringList parts;
    if (instrument)
        parts << words::kInstrumentPrefix + instrument->number;
    if (thermocouple)
        parts << words::kThermocouplePrefix + thermocouple->number;
    return parts.isEmpty() ? QString() : words::kCorrectedBy + parts.join(QStringLiteral("，"));
}

QString judgedOnText(const Correction *applied)
{
    if (!applied || applied->isEmpty())
        return words::kJudgedRaw;
    QStringList parts;
    const std::pair<const char *, const std::optional<Certificate> *> devices[]
        = {{"仪表", &applied->instrument}, {"热电偶", &applied->thermocouple}};
    for (const auto &[kind, cert] : devices)
        if (*cert)
            parts << QStringLiteral("%1 %2（%3）")
                         .arg(QString::fromUtf8(kind), (*cert)->number, calPointsText((*cert)->points));
    return words::kCorrectedBy + parts.join(QStringLiteral("，"));
}

QStringList expiryWarnings(const Correction &c, const QDate &today)
{
    QStringList warnings;
    for (const std::optional<Certificate> *cert : {&c.instrument, &c.thermocouple})
        if (*cert && dueState(**cert, today) == DueState::Expired)
            warnings << words::kCertificateExpired.arg((*cert)->number, (*cert)->due.toString(Qt::ISODate));
    return warnings;
}

Curve correctedCurve(Curve curve, const Correction &c)
{
    for (double &y : curve.y)
        y = c.apply(y).value_or(y);
    return curve;
}
} // namespace zq
