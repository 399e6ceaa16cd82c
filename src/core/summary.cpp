#include "core/summary.h"

#include "core/format.h"
#include "core/listlines.h"
#include "core/texts.h"

namespace zq {
Summary summarize(const Record &record, int group)
{
    Summary s;
    s.datatype = record.type();
    long long sum = 0;
    int minAt = -1;
    int maxAt = -1;
    auto take = [&](int value, int at) {
        ++s.readings;
        if (value == kFailedReading) {
            ++s.failed;
            return;
        }
        if (s.valid == 0 || value < s.minimum) {
            s.minimum = value;
            minAt = at;
        }
        if (s.valid == 0 || value > s.maximum) {
            s.maximum = value;
            maxAt = at;
        }
        ++s.valid;
        sum += value;
    };
    const int n = record.count(group);
    for (int i = 0; i < n; ++i)
        take(record.reading(i, group), i);
    if (record.isSequence()) {
        if (s.valid > 0) {
            s.minimumAt = formatPadded(minAt, 4);
            s.maximumAt = formatPadded(maxAt, 4);
        }
    } else if (record.isTimeStamped()) {
        if (s.valid > 0) {
            s.minimumAt = timeStamp(record.at(minAt, group));
            s.maximumAt = timeStamp(record.at(maxAt, group));
        }
        if (n > 0) {
            s.first = timeStamp(record.at(0, group));
            s.last = timeStamp(record.at(n - 1, group));
        }
    }
    s.mean = s.valid ? double(sum) / s.valid : 0;
    return s;
}

QString summaryLine(const Summary &s)
{
    if (s.datatype == NoData)
        return QString();
    QString line = words::kSummaryCounts.arg(s.readings).arg(s.failed);
    if (s.valid > 0)
        line += words::kSummaryFigures.arg(s.minimum)
                    .arg(s.minimumAt)
                    .arg(s.maximum)
                    .arg(s.maximumAt)
                    .arg(s.mean, 0, 'f', 1);
    if (!s.first.isEmpty())
        line += words::kSummarySpan.arg(s.first, s.last);
    return line;
}
} // namespace zq
