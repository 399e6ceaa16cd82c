// How a download ended, as the archive stores it and both front ends decide by it.
#include "link/instrument.h"

bool DownloadResult::partial() const
{
    return outcome == ReadComMachine::Cut || outcome == ReadComMachine::LineLost || outcome == ReadComMachine::TimedOut
        || outcome == ReadComMachine::Aborted || outcome == ReadComMachine::Paused;
}

namespace zq {
QString outcomeName(ReadComMachine::Outcome outcome)
{
    static const char *const names[] = {"no reply", "complete", "timed out", "cut", "line lost", "interrupted",
        "still sending", "not a record", "paused"};
    return QString::fromLatin1(names[qBound(0, int(outcome), 8)]);
}
} // namespace zq
