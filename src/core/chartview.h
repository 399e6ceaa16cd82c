#pragma once

#include "core/record.h"

namespace zq {
constexpr int kChartWidth = 720;
constexpr int kChartHeight = 400;

// What the chart shows of a record, and the chart's geometry in one place:
// the scroll position (tens of sequence readings, or the hour of
// time-stamped data), the reading at the top edge, and the selected group.
struct ChartView
{
    static constexpr int kReadingsPerView = 121; // sequence readings across the chart
    static constexpr int kPixelsPerReading = 6;
    static constexpr int kSeqScrollMax = 372; // tens of readings
    static constexpr int kHourMax = 23;
    static constexpr int kBaseMin = 400;
    static constexpr int kBaseMax = 2000;
    static constexpr int kDefaultBase = 800;
    // Only readings strictly between these are drawn.
    static constexpr int kLow = 0;
    static constexpr int kHigh = 2000;

    int start = 0;
    int ybase = kDefaultBase;
    int group = 0;

    int seqStart() const { return 10 * start; }
    int hour() const { return start; }
    static bool drawable(int v) { return kLow < v && v < kHigh; }
    int yOf(int v) const { return ybase - v; }
    // Time-stamped data: the record's column, truncated to its pixel so
    // hh:59:59 stands at 719, inside the chart.
    static int timeColumn(const WDREC &r) { return r.minute * 12 + r.second / 5; }
    bool inView(const WDREC &r) const { return r.hour == hour(); }
    static int scrollMax(DataType type) { return type == TimeData ? kHourMax : kSeqScrollMax; }
    static int seqStartMax() { return 10 * kSeqScrollMax; }
};
} // namespace zq
