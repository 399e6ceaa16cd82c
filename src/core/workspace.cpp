#include "core/workspace.h"

#include <algorithm>

void Workspace::clearTable()
{
    for (auto &row : wdtab)
        row.fill(WDREC{});
}

const WDREC &Workspace::record(int slot, int group) const
{
    static const WDREC empty{};
    if (group < 0 || group >= zq::kTabGroups || slot < 0 || slot >= zq::kTabSlots)
        return empty;
    return wdtab[slot][group];
}

int Workspace::groupCount(int group) const
{
    if (group < 0 || group >= zq::kTabGroups)
        return 0;
    return std::clamp(grpcount[group], 0, zq::kTabSlots);
}
