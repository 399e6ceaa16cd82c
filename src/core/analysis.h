#pragma once

#include "core/calibration.h"
#include "core/recipe.h"
#include "core/record.h"

#include <QString>
#include <QVector>
#include <optional>

namespace zq {
// Figures of a run against a recipe. Times are measured along the run's own
// axis: seconds from the time stamps (or from the sample interval the user
// gives for sequence data, marked assumed), else reading numbers. Every time
// is counted from the range's first reading. An interval between two
// readings counts as at or above a temperature, or in the band, only when
// both readings are; a failed reading, a gap in time longer than three times
// the median interval, or a broken order ends every span.
struct ThresholdFigures
{
    double value = 0;
    int firstAt = -1; // record index of the first reading at or above it; -1: never
    double firstTime = 0;
    double totalAbove = 0;
    double longestAbove = 0;
};

struct RateFigure
{
    bool measured = false; // a whole window was there to measure over
    double rate = 0; // ℃/min on a time axis, ℃ per reading otherwise
    int at = -1; // the window's first reading
    double time = 0;
};

// The band's figures but the overshoot cover the hold: from the first entry
// into the band to the last exit from it. The overshoot counts from the
// first reading at or over the band's lower edge.
struct BandFigures
{
    int enteredAt = -1; // -1: the run never entered the band
    int holdFirst = -1; // record indices of the hold's first and last readings
    int holdLast = -1;
    double timeToEnter = 0;
    double afterEntry = 0; // time after entry, gaps left out
    double hold = 0; // the hold's time, gaps left out
    double inBand = 0;
    double outside = 0; // within the hold
    double longestSoak = 0;
    double overshoot = 0; // ℃ above the band's top, largest
    int overshootAt = -1;
    double overshootTime = 0;
    double undershoot = 0;
    int undershootAt = -1;
    double undershootTime = 0;
    int excursions = 0;
    double degreeMinutes = 0; // ℃·min outside the band after entry (℃·readings without a time axis)
};

struct CriterionResult
{
    QString key; // minSoak, maxOvershoot, maxHeatRate, maxCoolRate, minPeak, maxPeak
    QString label;
    double measured = 0;
    double limit = 0;
    double margin = 0; // how far inside (+) or outside (−) the limit
    bool judged = true; // false: nothing to measure it by
    bool pass = false;
    QString limitText; // the limit as the recipe wrote it, where it has a form of its own
    QString reason; // why it was not judged
    // "最短保温", or "最短保温（未判定：没有进入公差带）"
    QString title() const { return judged ? label : label + QStringLiteral("（未判定：%1）").arg(reason); }
};

struct Gap
{
    int at = -1; // record index of the failed reading, or of the reading after a time gap
    bool failed = false;
    double length = 0; // a time gap's length
};

struct Analysis
{
    QString problem; // empty when the figures stand
    DataType type = NoData;
    int group = 0;
    int first = 0; // the range, record indices
    int last = -1;
    bool timeAxis = false; // seconds (else reading numbers)
    bool assumedInterval = false; // sequence data timed by the interval the user gave
    double intervalSec = 0;
    double elapsed = 0;
    bool rangeCut = false; // the range asked for ran past the record's end
    int orderBrokenAt = -1; // the first of orderBroken, −1 for none
    QVector<int> orderBroken; // stamps earlier than the one before in the range, outside a year's end
    int readings = 0;
    int failed = 0;
    QVector<Gap> gaps;
    double peak = 0; // corrected readings need not be whole
    int peakAt = -1;
    double lowest = 0;
    int lowestAt = -1;
    double mean = 0;
    double stddev = 0;
    QVector<ThresholdFigures> thresholds;
    double rateWindow = 0; // in the axis's units
    int rateWindows = 0; // windows measured over
    RateFigure maxHeat;
    RateFigure maxCool;
    std::optional<BandFigures> band;
    QVector<CriterionResult> criteria;
    std::optional<bool> pass; // none without criteria
    QString correctedBy; // "已修正：…" when the readings were corrected
    int leftRaw = 0; // readings outside a certificate's points, judged raw
    QString unit() const { return timeAxis ? QStringLiteral("s") : QStringLiteral("读数"); }
    QString rateUnit() const { return timeAxis ? QStringLiteral("℃/min") : QStringLiteral("℃/读数"); }
};

// The figures of a group's readings first..last (−1: to the end) against a
// recipe; with a correction, of the readings it corrects (the record itself
// never changes).
Analysis analyze(const Record &record, const Recipe &recipe, int group = 0, int first = 0, int last = -1,
    const Correction *correction = nullptr);

// The verdict of the measured figures against the recipe's criteria.
void judge(const Recipe &recipe, Analysis &analysis);

// Each reading's place on the run's axis (seconds or reading numbers), and
// every stamp earlier than the one before it (a year's end aside).
QVector<double> runAxis(const Record &record, int group, double intervalSec, QVector<int> *broken);

// A range of readings against a group of `count`: cut to the record when it
// runs past it, or `outside` when no reading of it is there.
struct RangeFit
{
    int first = 0;
    int last = -1;
    bool cut = false;
    bool outside = false;
};
RangeFit fitRange(int count, int first, int last);
QString rangeOutsideText(int count);
} // namespace zq
