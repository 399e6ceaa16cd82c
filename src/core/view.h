#pragma once

#include "core/workspace.h"

#include <QString>

namespace zq {
// The reading under chart column x, as the list writes it: sequence data
// "0123  0456" (reading seqstart + round(x / 6)); time-stamped data the record
// of the hour shown nearest to x within two pixels. Empty for none.
QString readoutAt(const Workspace &ws, int x);

// The lowest chart base (a step of the scale bar) that puts the highest
// drawable reading of the view at or below the top edge; -1 with none.
int fitBase(const Workspace &ws);
} // namespace zq
