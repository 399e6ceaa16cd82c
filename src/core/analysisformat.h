#pragma once

#include "core/analysis.h"
#include "core/reference.h"

#include <QJsonObject>
#include <QStringList>

namespace zq {
// One figure as the window lists it and "复制" copies it: label, value, unit.
struct FigureRow
{
    QString label;
    QString value;
    QString unit;
};

// The figures in reading order, with where and when each happened as the
// list writes a reading; every rate names its window, every time on an
// assumed interval says so.
QVector<FigureRow> figureRows(const Analysis &analysis, const Record &record);

// A stretch of the run: its length and ends, its least-squares rate, then
// every figure of the check over it alone, each labelled "选区".
QVector<FigureRow> rangeRows(const RangeFigures &range, const Analysis &check, const Record &record);

// The run against a reference: how it was laid, the largest difference
// and where, the time more than the tolerance under and over it.
QVector<FigureRow> differenceRows(
    const Difference &d, const Placed &placed, const Alignment &alignment, const Analysis &a, const Record &record);

QJsonObject differenceJson(const Difference &d, const Placed &placed, const Alignment &alignment);
QStringList differenceCsvHeader();
QStringList differenceCsv(const Difference &d, const Placed &placed);

// "PASS", "FAIL：" with the criteria that failed (those not judged say so), or
// empty without criteria: the one wording of a verdict.
QString verdictText(const Analysis &analysis);

// A length along the run's axis, as a person reads it.
QString length(const Analysis &a, double v);
// Where a reading stands: its time stamp, or its number as the list writes it.
QString where(const Record &record, const Analysis &a, int at);

// Tab-separated, one figure a line: pastes into a spreadsheet as a table.
QString figuresTsv(const QVector<FigureRow> &rows);
QString figuresText(const QVector<FigureRow> &rows);

// One row a file, the same columns for every file.
QStringList csvHeader();
QStringList csvRow(const Analysis &analysis, const QString &file);

// The stable machine-readable form ("version": 1), documented in the README.
QJsonObject analysisJson(const Analysis &analysis, const Recipe &recipe, const QString &file);
} // namespace zq
