#pragma once

#include "core/analysis.h"

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

// Tab-separated, one figure a line: pastes into a spreadsheet as a table.
QString figuresTsv(const QVector<FigureRow> &rows);
QString figuresText(const QVector<FigureRow> &rows);

// One row a file, the same columns for every file.
QStringList csvHeader();
QStringList csvRow(const Analysis &analysis, const QString &file);

// The stable machine-readable form ("version": 1), documented in the README.
QJsonObject analysisJson(const Analysis &analysis, const Recipe &recipe, const QString &file);
} // namespace zq
