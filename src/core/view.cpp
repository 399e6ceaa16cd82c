#include "core/view.h"

#include "core/format.h"
#include "core/listlines.h"

#include <cmath>
#include <cstdlib>

namespace zq {
namespace {
bool drawable(const Workspace &ws, int v)
{
    return ws.wdlow < v && v < ws.wdhigh;
}

int timeColumn(const WDREC &r)
{
    return r.minute * 12 + r.second / 5;
}
} // namespace

QString readoutAt(const Workspace &ws, int x)
{
    if (x < 0 || x >= 720)
        return QString();
    if (ws.datatype == SequenceData) {
        const int n = ws.seqstart + int(std::lround(x / 6.0));
        if (n < 0 || n >= qMin(ws.wdnum, kSeqSlots))
            return QString();
        const int v = ws.wdseq[n];
        return formatPadded(n, 4) + QStringLiteral("  ")
            + (v == kFailedReading ? QStringLiteral("ERRDATA!!!") : formatPadded(v, 4));
    }
    if (ws.datatype == TimeData) {
        const int count = ws.groupCount(0);
        int best = -1;
        int bestDistance = 3;
        for (int i = 0; i < count; ++i) {
            const WDREC &r = ws.wdtab[i][0];
            const int distance = std::abs(timeColumn(r) - x);
            if (r.hour == ws.xstart && distance < bestDistance) {
                best = i;
                bestDistance = distance;
            }
        }
        if (best >= 0) {
            const WDREC &r = ws.wdtab[best][0];
            return r.wd == kFailedReading ? timeStamp(r) + QStringLiteral("    ERRDATA!!!") : timeLine(r);
        }
    }
    return QString();
}

int fitBase(const Workspace &ws)
{
    int highest = -1;
    if (ws.datatype == SequenceData) {
        const int end = qMin(qMin(ws.wdnum, kSeqSlots), ws.seqstart + 121);
        for (int i = qMax(ws.seqstart, 0); i < end; ++i)
            if (drawable(ws, ws.wdseq[i]))
                highest = qMax(highest, int(ws.wdseq[i]));
    } else if (ws.datatype == TimeData) {
        const int count = ws.groupCount(0);
        for (int i = 0; i < count; ++i) {
            const WDREC &r = ws.wdtab[i][0];
            if (r.hour == ws.xstart && drawable(ws, r.wd))
                highest = qMax(highest, int(r.wd));
        }
    }
    if (highest < 0)
        return -1;
    // The scale bar moves in hundreds between 400 and 2000.
    return qBound(400, (highest + 99) / 100 * 100, 2000);
}
} // namespace zq
