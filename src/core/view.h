#pragma once

#include "core/chartview.h"

#include <QString>

namespace zq {
// The reading under chart column x, as the list writes it: sequence data
// "0123  0456" (reading seqStart + round(x / 6)); time-stamped data the record
// of the hour shown nearest to x within two pixels. Empty for none.
QString readoutAt(const Record &record, const ChartView &view, int x);

// The reading under chart column x (as the readout finds it), or -1.
int readingAt(const Record &record, const ChartView &view, int x);
// The reading in view nearest to column x, however far; -1 with none in view.
int nearestReadingAt(const Record &record, const ChartView &view, int x);
// The first and last reading in view; {-1, -1} with none.
std::pair<int, int> readingsInView(const Record &record, const ChartView &view);
// The column a reading stands at in the view, or -1 when it is not in view.
int columnOf(const Record &record, const ChartView &view, int index);

// The lowest chart base (a step of the scale bar) that puts the highest
// drawable reading of the view at or below the top edge; -1 with none.
int fitBase(const Record &record, const ChartView &view);
} // namespace zq
