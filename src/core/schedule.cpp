// The planned curve of a recipe: ramps and holds from a start temperature.
#include "core/recipe.h"
#include "core/reference.h"
#include "core/texts.h"

#include <QRegularExpression>
#include <QStringList>
#include <cmath>

namespace zq {
namespace {
QString number(double v)
{
    return plainNumber(v);
}
} // namespace

QString Schedule::text() const
{
    QStringList parts{number(start)};
    for (const ScheduleStep &s : steps)
        parts.append(s.hold
                ? Span::ofSeconds(s.seconds).text()
                : QStringLiteral("%1%2/min→%3").arg(s.rate > 0 ? "+" : "", number(s.rate), number(s.target)));
    return parts.join(QStringLiteral("; "));
}

std::optional<Schedule> parseSchedule(const QString &text, QString *error)
{
    static const QRegularExpression ramp(
        QStringLiteral(R"(^([+-]?\d+(?:\.\d+)?)\s*/\s*min\s*(?:→|->)\s*(-?\d+(?:\.\d+)?)$)"));
    const QStringList parts = text.split(QLatin1Char(';'), Qt::SkipEmptyParts);
    Schedule s;
    bool ok = !parts.isEmpty();
    if (ok)
        s.start = parts.first().trimmed().toDouble(&ok);
    ok = ok && std::isfinite(s.start);
    if (!ok) {
        *error = words::kScheduleStart;
        return std::nullopt;
    }
    double level = s.start;
    for (int i = 1; i < parts.size(); ++i) {
        const QString part = parts[i].trimmed();
        ScheduleStep step;
        if (const QRegularExpressionMatch m = ramp.match(part); m.hasMatch()) {
            step.rate = m.captured(1).toDouble();
            step.target = m.captured(2).toDouble();
            // A ramp has to head for its target.
            if (step.rate == 0 || (step.target - level) * step.rate <= 0) {
                *error = words::kScheduleUnreachable.arg(i).arg(number(step.rate), number(step.target));
                return std::nullopt;
            }
            level = step.target;
        } else if (const std::optional<Span> hold = parseSpan(part); hold && !hold->readings && hold->amount > 0) {
            step.hold = true;
            step.seconds = hold->value();
        } else {
            *error = words::kScheduleBadSegment.arg(i).arg(part);
            return std::nullopt;
        }
        s.steps.append(step);
    }
    return s;
}

Curve scheduleCurve(const Schedule &schedule)
{
    Curve c;
    double t = 0, level = schedule.start;
    c.x.append(t);
    c.y.append(level);
    for (const ScheduleStep &s : schedule.steps) {
        t += s.hold ? s.seconds : (s.target - level) / s.rate * 60;
        level = s.hold ? level : s.target;
        c.x.append(t);
        c.y.append(level);
        c.joined.append(true);
    }
    return c;
}
} // namespace zq
