#pragma once

#include "core/record.h"

#include <QString>

namespace zq {
// Figures for a record as a whole: for sequence data all readings held, for
// time-stamped data the given group. Failed readings (8888) are counted but
// take no part in the minimum, maximum and mean.
struct Summary
{
    int datatype = NoData;
    int readings = 0;
    int failed = 0;
    int valid = 0;
    int minimum = 0;
    int maximum = 0;
    double mean = 0;
    QString minimumAt; // where it occurs, as the list writes it
    QString maximumAt;
    QString first; // time-stamped data: the first and last time stamps
    QString last;
};

Summary summarize(const Record &record, int group);

// One line for the window: empty with no data.
QString summaryLine(const Summary &s);

} // namespace zq
