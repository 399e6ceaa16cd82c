// Where each reading stands in time: from its stamp, or its number.
#include "core/analysis.h"
#include "core/texts.h"

namespace zq {
QVector<double> runAxis(const Record &record, int group, double intervalSec, QVector<int> *broken)
{
    const int n = record.count(group);
    QVector<double> t(n);
    broken->clear();
    if (!record.isTimeStamped()) {
        for (int i = 0; i < n; ++i)
            t[i] = intervalSec > 0 ? i * intervalSec : i;
        return t;
    }
    // No year in a stamp: February has 29 days only when the run shows one.
    bool leap = false;
    for (const WDREC &r : record.records())
        leap = leap || (r.month == 2 && r.day == 29);
    static const int days[12] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    int before[13] = {0};
    for (int m = 0; m < 12; ++m)
        before[m + 1] = before[m] + days[m] + (m == 1 && leap);
    const double year = before[12] * 86400.0;
    double offset = 0;
    for (int i = 0; i < n; ++i) {
        const WDREC &r = record.at(i, group);
        const int m = qBound(1, int(r.month), 12);
        t[i] = offset + (before[m - 1] + r.day - 1) * 86400.0 + r.hour * 3600 + r.minute * 60 + r.second;
        if (i > 0 && t[i] < t[i - 1]) {
            const int previous = record.at(i - 1, group).month;
            if (previous == 12 && r.month == 1) {
                offset += year; // the year turned
                t[i] += year;
            } else {
                broken->append(i);
            }
        }
    }
    return t;
}
} // namespace zq

namespace zq {
RangeFit fitRange(int count, int first, int last)
{
    RangeFit f;
    const int end = last < 0 ? count - 1 : last;
    if (count == 0 || first < 0 || first >= count || end < first) {
        f.outside = true;
        return f;
    }
    f.first = first;
    f.last = qMin(end, count - 1);
    f.cut = end > count - 1;
    return f;
}

QString rangeOutsideText(int count)
{
    return words::kRangeOutside.arg(count).arg(count - 1);
}
} // namespace zq
