#pragma once

#include <array>
#include <cstdint>

// One time-stamped reading; seven bytes in a data file, in this field order.
struct WDREC
{
    int16_t wd = 0;
    uint8_t month = 0;
    uint8_t day = 0;
    uint8_t hour = 0;
    uint8_t minute = 0;
    uint8_t second = 0;

    bool isEmpty() const { return wd == 0 && month == 0 && day == 0 && hour == 0 && minute == 0 && second == 0; }
    bool operator==(const WDREC &o) const
    {
        return wd == o.wd && month == o.month && day == o.day && hour == o.hour && minute == o.minute
            && second == o.second;
    }
    bool operator!=(const WDREC &o) const { return !(*this == o); }
};

namespace zq {
constexpr int kFailedReading = 8888;
constexpr int kSeqSlots = 3841; // wdseq 0..3840
constexpr int kSeqReadings = 3840; // a full sequence download
constexpr int kTabSlots = 4033; // wdtab readings 0..4032
constexpr int kTabGroups = 2; // wdtab groups 0..1
constexpr int kGroupCounts = 9; // grpcount 0..8
constexpr int kSelectorGroups = 8; // the group selector offers 0..7
constexpr int kFileRecords = 4032; // records of a time-stamped data file
constexpr int kProgressMax = 4032;
constexpr int kSeqStartMax = 3720;

enum DataType { NoData = 0, SequenceData = 1, TimeData = 2 };
} // namespace zq

// The program's one in-memory state. Plain data: the window owns it and every
// handler works on it directly.
struct Workspace
{
    int datatype = zq::NoData;
    uint8_t havedata = 0;
    std::array<int16_t, zq::kSeqSlots> wdseq{};
    int wdnum = 0;
    std::array<std::array<WDREC, zq::kTabGroups>, zq::kTabSlots> wdtab{};
    std::array<int, zq::kGroupCounts> grpcount{};
    int recnum = 0;
    WDREC wdrec{};
    int workidx = 0;
    int16_t livewd = 0;
    int16_t xstart = 0;
    int seqstart = 0;
    int ybase = 800;
    int wdlow = 0;
    int wdhigh = 2000;

    void clearTable();
    void clearCounts() { grpcount.fill(0); }

    // The selector offers groups the table does not hold; those read as empty.
    const WDREC &record(int slot, int group) const;
    int groupCount(int group) const;
};
