#pragma once

#include "core/reference.h"

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <QVector>
#include <optional>

namespace zq {
// A length of time or of readings: "90s", "55m", "1.5h", or "300r" for
// sequence data whose sample interval is not known. Held exactly, so a soak
// of 66 minutes meets "1.1h" to the millisecond.
struct Span
{
    qint64 amount = 0; // milliseconds, or readings
    bool readings = false;
    QString source; // as the user wrote it, shown as written
    static Span ofSeconds(double seconds);
    double value() const { return readings ? double(amount) : amount / 1000.0; } // seconds, or readings
    QString text() const;
};
// None for anything but a whole number of milliseconds (or readings) in that form.
std::optional<Span> parseSpan(const QString &text);
// A measured length (seconds or readings) as the same exact amount a Span holds.
qint64 exactAmount(double value, bool readings);

// A number as the recipe's texts write it: fixed, at most nine decimals.
QString plainNumber(double v);

// A rate: ℃/min, or ℃ per reading with "r" ("2r").
struct Rate
{
    double value = 0;
    bool perReading = false;
    QString text() const;
};
std::optional<Rate> parseRate(const QString &text);

// What a run should have done: the figures to work out and what to judge
// them by. Saved as one JSON file a recipe, readable and writable by hand.
struct Recipe
{
    QString name;
    QVector<double> thresholds; // at most four
    bool hasBand = false;
    double setpoint = 0;
    double below = 0; // the band is setpoint − below … setpoint + above
    double above = 0;
    std::optional<Span> minSoak;
    std::optional<double> maxOvershoot; // ℃ above the band's top
    std::optional<Rate> maxHeatRate;
    std::optional<Rate> maxCoolRate;
    std::optional<double> minPeak;
    std::optional<double> maxPeak;
    std::optional<Span> rateWindow; // default: 60 s, or 10 readings
    double intervalSec = 0; // sequence data: seconds per reading, 0 when not known
    QStringList requiredFields; // run fields a process report may not leave empty
    Schedule schedule; // the planned curve, when the recipe has one
    bool bandFollowsSchedule = false; // the band lies around the planned curve, not the setpoint

    bool hasCriteria() const { return minSoak || maxOvershoot || maxHeatRate || maxCoolRate || minPeak || maxPeak; }
    // Empty when the recipe can be used; else why not.
    QString problem() const;
};

QByteArray recipeToJson(const Recipe &recipe);
// Refuses bad JSON, keys it does not know, values of the wrong type and
// values out of range, whole, naming the key: never half-loaded.
bool recipeFromJson(const QByteArray &json, Recipe *recipe, QString *error);
} // namespace zq
