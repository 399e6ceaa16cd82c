#pragma once

#include "chart/runchart.h"
#include "core/analysisformat.h"
#include "core/runinfo.h"

#include <QColor>
#include <QDateTime>
#include <QFontMetricsF>
#include <QPageSize>
#include <QRectF>

class QPagedPaintDevice;
class QPainter;

namespace zq {
// The certificates a linked run is corrected by, and its figures both ways,
// so the report can set raw beside corrected whichever was judged.
struct ReportCalibration
{
    QString instrument; // the devices' IDs
    QString thermocouple;
    Correction correction; // empty: the run is linked to no certificate
    bool judgedRaw = false; // the user asked for the raw readings
    Analysis raw;
    Analysis corrected;
};

// Everything a process report says, gathered by whoever prints it.
struct ProcessReport
{
    QString company; // the line above the title; may be empty
    QString fileName;
    QString sha256; // of the file's bytes, hex
    QString provenance; // the archive's word on those bytes
    int checks = 0; // process checks the archive recorded of the run, and how many failed
    int failedChecks = 0;
    Signatures signatures; // unless approved, every page is marked 草稿
    RunFields fields;
    QVector<RunNote> notes;
    Record record;
    int group = 0;
    Recipe recipe;
    Analysis check; // the whole run
    QVector<FigureRow> rangeRows; // labelled 选区; none without a range
    QVector<FigureRow> referenceRows;
    RunChartContent chart;
    bool readings = false; // all readings on the following pages
    QDateTime printed;
    ReportCalibration calibration;
};

// One thing on a page, in points from the top-left of the printable area.
struct SheetItem
{
    enum Kind { Text, Line, Box, Chart };
    Kind kind = Text;
    int page = 0;
    QRectF rect;
    QString text;
    double size = 8; // points
    bool bold = false;
    int align = Qt::AlignLeft | Qt::AlignVCenter;
    QColor colour = Qt::black;

    static SheetItem rule(const QRectF &at, int page = 0)
    {
        SheetItem i;
        i.kind = Line;
        i.rect = at;
        i.page = page;
        return i;
    }
    static SheetItem chart(const QRectF &at)
    {
        SheetItem i;
        i.kind = Chart;
        i.rect = at;
        return i;
    }
};

struct Sheet
{
    QVector<SheetItem> items;
    int pages = 1;
    QSizeF size;
};

// The figures, rows and chart of a run against its recipe, a range of it
// and a reference already laid on its axis (an empty curve and no problem:
// none), judged on the readings `calibration` corrects unless it says raw.
// Fields, notes, file, fingerprint and the rest are the caller's.
ProcessReport processFigures(const Record &record, int group, const Recipe &recipe,
    std::optional<std::pair<int, int>> range, const Placed &reference, const Alignment &alignment,
    const ReportCalibration &calibration = {});

// The report laid out on pages of the printable size given (points).
Sheet layoutProcessReport(const ProcessReport &report, const QSizeF &printable);
// The face every text of the report is set in, so layout and paint agree.
QFont sheetFont(double points, bool bold = false);
// Its measures in points, whatever the screen's resolution.
QFontMetricsF sheetMetrics(double points, bool bold = false);

void paintSheetPage(QPainter &p, const Sheet &sheet, int page, const ProcessReport &report);
// Onto a printer or a PDF writer, at its resolution and printable area.
bool printProcessReport(QPagedPaintDevice &device, const ProcessReport &report);
// A PDF/A-1b file with its fonts embedded, the whole SHA-256 in its title.
bool writeProcessReportPdf(
    const QString &path, const ProcessReport &report, QPageSize::PageSizeId size, QString *error);

// "2026-12-07 05:30:00 UTC+08:00": local time with its offset.
QString printedAt(const QDateTime &when);
} // namespace zq
