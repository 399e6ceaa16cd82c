#include "core/recipe.h"
#include "core/texts.h"

#include <QRegularExpression>
#include <algorithm>
#include <cmath>
#include <iterator>

namespace zq {
namespace {
QString number(double v)
{
    return QString::number(v, 'g', 10);
}

constexpr qint64 kMsPerHour = 3600000, kMsPerMinute = 60000, kMsPerSecond = 1000;
} // namespace

Span Span::ofSeconds(double seconds)
{
    return Span{qint64(std::llround(seconds * 1000)), false, QString()};
}

QString Span::text() const
{
    if (!source.isEmpty())
        return source;
    if (readings)
        return QString::number(amount) + QLatin1Char('r');
    if (amount >= kMsPerHour && amount % kMsPerHour == 0)
        return QString::number(amount / kMsPerHour) + QLatin1Char('h');
    if (amount >= kMsPerMinute && amount % kMsPerMinute == 0)
        return QString::number(amount / kMsPerMinute) + QLatin1Char('m');
    return number(amount / 1000.0) + QLatin1Char('s');
}

std::optional<Span> parseSpan(const QString &text)
{
    static const QRegularExpression form(QStringLiteral("^\\s*([0-9]{1,9})(?:\\.([0-9]{1,9}))?\\s*([smhr])\\s*$"));
    const QRegularExpressionMatch m = form.match(text);
    if (!m.hasMatch())
        return std::nullopt;
    const QChar unit = m.captured(3).at(0);
    const qint64 scale = unit == QLatin1Char('h') ? kMsPerHour
        : unit == QLatin1Char('m')                ? kMsPerMinute
        : unit == QLatin1Char('s')                ? kMsPerSecond
                                                  : 1;
    // Decimal digits by integers: 1.1 h is 3 960 000 ms, not 3 960 000.000 000 5.
    const QString fraction = m.captured(2);
    qint64 denominator = 1;
    for (int i = 0; i < fraction.size(); ++i)
        denominator *= 10;
    const qint64 scaled
        = m.captured(1).toLongLong() * scale + (fraction.isEmpty() ? 0 : fraction.toLongLong() * scale / denominator);
    if (!fraction.isEmpty() && fraction.toLongLong() * scale % denominator != 0)
        return std::nullopt; // finer than a millisecond, or part of a reading
    return Span{scaled, unit == QLatin1Char('r'), text.trimmed()};
}

qint64 exactAmount(double value, bool readings)
{
    return std::llround(readings ? value : value * 1000);
}

QString plainNumber(double v)
{
    // The fixed form the parsers read back, never an exponent.
    QString digits = QString::number(v, 'f', 9);
    while (digits.endsWith(QLatin1Char('0')))
        digits.chop(1);
    if (digits.endsWith(QLatin1Char('.')))
        digits.chop(1);
    return digits == QLatin1String("-0") ? QStringLiteral("0") : digits;
}

QString Rate::text() const
{
    return perReading ? plainNumber(value) + QLatin1Char('r') : plainNumber(value);
}

std::optional<Rate> parseRate(const QString &text)
{
    static const QRegularExpression form(QStringLiteral("^\\s*([0-9]{1,9}(?:\\.[0-9]{1,9})?)\\s*(r?)\\s*$"));
    const QRegularExpressionMatch m = form.match(text);
    if (!m.hasMatch())
        return std::nullopt;
    return Rate{m.captured(1).toDouble(), !m.captured(2).isEmpty()};
}

QString Recipe::problem() const
{
    // nan passes every comparison's "not over" test: no such value is judged by.
    const double values[] = {setpoint, below, above, intervalSec, maxOvershoot.value_or(0), minPeak.value_or(0),
        maxPeak.value_or(0), maxHeatRate ? maxHeatRate->value : 0, maxCoolRate ? maxCoolRate->value : 0};
    if (!std::all_of(std::begin(values), std::end(values), [](double v) { return std::isfinite(v); })
        || !std::all_of(thresholds.begin(), thresholds.end(), [](double v) { return std::isfinite(v); }))
        return words::kNotFinite;
    auto reading = [](double v) { return v >= -999 && v <= 2303; };
    if (thresholds.size() > 4)
        return words::kTooManyThresholds;
    for (double t : thresholds)
        if (!reading(t))
            return words::kThresholdOutOfRange.arg(number(t));
    if (hasBand && (!reading(setpoint) || below < 0 || above < 0 || below > 1000 || above > 1000))
        return words::kBandOutOfRange;
    if ((minSoak || maxOvershoot) && !hasBand)
        return words::kSoakNeedsBand;
    if ((minSoak && minSoak->amount < 0) || (maxOvershoot && *maxOvershoot < 0))
        return words::kNegativeCriterion;
    if ((maxHeatRate && maxHeatRate->value > 100000) || (maxCoolRate && maxCoolRate->value > 100000))
        return words::kRateOutOfRange;
    if (rateWindow && rateWindow->amount <= 0)
        return words::kRateWindowNotPositive;
    if (intervalSec < 0 || intervalSec > 86400)
        return words::kIntervalOutOfRange;
    if (bandFollowsSchedule && (schedule.isEmpty() || !hasBand))
        return words::kScheduleBandNeedsSchedule;
    return QString();
}
} // namespace zq
