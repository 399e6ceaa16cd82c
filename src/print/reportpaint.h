#pragma once

#include "core/workspace.h"
#include "print/report.h"

#include <QString>

class QPagedPaintDevice;

namespace zq {
// The report onto any paged device, a printer or a PDF writer, at the
// device's own resolution and printable area; false when it failed.
bool paintReport(QPagedPaintDevice &device, const Workspace &ws, const ReportParams &params);

// The report as a PDF on A4: what PRINT offers without a printer, and what
// the command line writes.
bool writeReportPdf(const QString &path, const Workspace &ws, const ReportParams &params, QString *error);

// The group palette (the list's, the time curve's and the report's colours).
QColor groupColour(int group);

// The view and date a report is printed with.
ReportParams reportParams(int group);
} // namespace zq
