// Any bytes as a data file, fast: read both layouts, check the round trip,
// then list and export what they gave. The chart and the report have a
// target of their own.
#include "core/datafile.h"
#include "core/listlines.h"
#include "core/textexport.h"

#include <cstdint>
#include <cstdlib>
#include <memory>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    auto ws = std::make_unique<Workspace>();
    const QByteArray bytes = QByteArray::fromRawData(reinterpret_cast<const char *>(data), int(size));
    zq::loadDataFileBytes(*ws, bytes);
    const int group = size ? data[size - 1] % 8 : 0;
    if (ws->wdnum < 0 || ws->wdnum > zq::kSeqReadings || ws->grpcount[0] < 0 || ws->grpcount[0] > zq::kFileRecords)
        std::abort();
    // What a file gave is what it saves back, slot for slot.
    const QByteArray saved = zq::dataFileBytes(*ws);
    const qint64 same = qMin<qint64>(saved.size(), bytes.size());
    if (ws->datatype == zq::SequenceData && saved != bytes.left(int(same)))
        std::abort();
    // Listing and exporting do the same for every record: a few hundred of
    // them keep each input quick, while the whole file has been parsed.
    ws->wdnum = qMin(ws->wdnum, 256);
    ws->grpcount[0] = qMin(ws->grpcount[0], 256);
    (void)zq::readingLines(*ws, group);
    (void)zq::exportText(*ws);
    (void)zq::exportCsv(*ws);
    return 0;
}
