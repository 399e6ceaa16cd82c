#pragma once

#include "core/chartview.h"

#include <QColor>
#include <QString>

namespace zq {
class PrintSurface;

struct ReportParams
{
    ChartView view; // scale, first sequence reading and group, as the chart shows them
    QColor groupColour; // the group's palette colour
    QString date; // today's date as the report shows it
};

// Lays out the one-page report of the data held onto the surface, in twips.
void layoutReport(PrintSurface &s, const Record &record, const ReportParams &rp);
} // namespace zq
