#pragma once

#include "core/workspace.h"

#include <QColor>
#include <QString>

namespace zq {
class PrintSurface;

struct ReportParams
{
    int group = 0; // the selected group, for time-stamped data
    QColor groupColour; // its palette colour
    QString date; // today's date as the report shows it
};

// Lays out the one-page report of the data held onto the surface, in twips.
void layoutReport(PrintSurface &s, const Workspace &ws, const ReportParams &rp);
} // namespace zq
