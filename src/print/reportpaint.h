#pragma once

#include "print/report.h"

#include <QString>

class QPagedPaintDevice;

namespace zq {
// The report onto any paged device, a printer or a PDF writer, at the
// device's own resolution and printable area; false when it failed.
bool paintReport(QPagedPaintDevice &device, const Record &record, const ReportParams &params);

// The report as a PDF on A4: what PRINT offers without a printer, and what
// the command line writes.
bool writeReportPdf(const QString &path, const Record &record, const ReportParams &params, QString *error);

// The view and date a report is printed with.
ReportParams reportParams(const ChartView &view);
} // namespace zq
