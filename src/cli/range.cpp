// --first/--last against each file's record: one rule for every command.
#include "cli/cli.h"
#include "core/analysis.h"
#include "core/textexport.h"

#include <cstdio>

namespace cli {
bool fitRange(const QString &file, const zq::Record &record, zq::ReadingRange *range, const char *command)
{
    if (range->group < 0)
        return true;
    const int count = record.count(range->group);
    const zq::RangeFit fit = zq::fitRange(count, range->first, range->last);
    if (fit.outside) {
        std::fprintf(stderr, "zqcli %s: %s: %s\n", command, qPrintable(file),
            qPrintable(
                count == 0 ? QStringLiteral("第 %1 组没有读数").arg(range->group) : zq::rangeOutsideText(count)));
        return false;
    }
    if (fit.cut)
        std::fprintf(stderr, "zqcli %s: %s: 选区截至最后一个读数 %d（记录共 %d 个读数）\n", command, qPrintable(file),
            fit.last, count);
    range->first = fit.first;
    range->last = fit.last;
    return true;
}
} // namespace cli
