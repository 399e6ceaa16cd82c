#pragma once

#include "core/record.h"

#include <QString>
#include <QVector>
#include <optional>

namespace zq {
// A curve on a run's axis (seconds or reading numbers from its first
// reading), linear between its points; it says nothing outside them.
struct Curve
{
    QVector<double> x;
    QVector<double> y;
    QVector<bool> joined; // joined[k]: the line runs from point k to k + 1
    QVector<int> source; // each point's record index (none for a schedule)
    bool isEmpty() const { return x.isEmpty(); }
    std::optional<double> at(double position) const;
    double length() const { return x.isEmpty() ? 0 : x.last() - x.first(); }
    // Where a record index stands: its own point, or the next valid reading's.
    double positionOf(int index) const;
};

// What a run should do over time: a start temperature, then ramps to a
// target at a rate (℃/min) and holds of a duration.
struct ScheduleStep
{
    bool hold = false;
    double rate = 0; // ℃/min, signed
    double target = 0;
    double seconds = 0; // a hold's length
};

struct Schedule
{
    double start = 0;
    QVector<ScheduleStep> steps;
    bool isEmpty() const { return steps.isEmpty(); }
    // "20; +10/min→850; 60m; -5/min→200"
    QString text() const;
};
// Reads the form text() writes ("->" for "→"); none for anything else,
// a ramp that leads away from its target or a rate of zero among them.
std::optional<Schedule> parseSchedule(const QString &text, QString *error);
// The planned curve in seconds, its points at the start and every step's end.
Curve scheduleCurve(const Schedule &schedule);

// A group's valid readings on its own axis (seconds from the stamps, or from
// the interval when given, else reading numbers), from its first reading.
Curve runCurve(const Record &record, int group, double intervalSec);

// Where a reference is laid against the run.
struct Alignment
{
    enum How { Start, Cross, At };
    How how = Start;
    double value = 0; // the temperature to cross, or the run's reading index
    QString text() const;
};
// "start", "cross:800", "at:120".
std::optional<Alignment> parseAlignment(const QString &text);

// A reference moved onto the run's axis, and how it got there.
struct Placed
{
    Curve curve; // on the run's axis
    double shift = 0;
    bool interpolated = false; // a crossing fell between two readings
    QString problem; // empty when placed
};
Placed placeReference(const Curve &run, const Curve &reference, const Alignment &alignment);
// The same, refused when one is on a time axis and the other counts readings.
Placed layReference(
    const Curve &run, bool runTimed, const Curve &reference, bool referenceTimed, const Alignment &alignment);

// The run against its reference over readings first..last, at the run's
// readings where the reference has a value. Every front end compares over
// the range when one is given, else the whole run, and says which.
struct Difference
{
    int first = 0; // the span compared, record indices (last −1: to the end)
    int last = -1;
    int compared = 0; // readings with a reference value
    double largest = 0; // run − reference, the largest by size
    int largestAt = -1; // record index
    double largestTime = 0;
    double belowTime = 0; // more than `below` under the reference
    double aboveTime = 0; // more than `above` over it
    double below = 0;
    double above = 0;
};
Difference compareRun(const Curve &run, const Curve &reference, int first, int last, double below, double above);

// A stretch of readings measured: from end to end, and the least-squares
// rate over its valid readings.
struct RangeFigures
{
    int first = 0;
    int last = -1;
    double span = 0; // Δt (seconds) or Δ readings
    int startReading = 0; // the first and last valid readings
    int endReading = 0;
    double delta = 0; // ΔT
    bool rateMeasured = false; // two valid readings or more
    double rate = 0; // ℃/min on a time axis, ℃ per reading otherwise
    int valid = 0;
};
RangeFigures measureRange(const Record &record, int group, int first, int last, double intervalSec);
} // namespace zq
