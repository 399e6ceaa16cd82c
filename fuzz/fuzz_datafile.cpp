// Any bytes as a data file, fast: read both layouts, check the round trip,
// then list and export what they gave. The chart and the report have a
// target of their own.
#include "core/datafile.h"
#include "core/listlines.h"
#include "core/textexport.h"

#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QByteArray bytes = QByteArray::fromRawData(reinterpret_cast<const char *>(data), int(size));
    const zq::Record record = zq::recordFromFileBytes(bytes);
    const int group = size ? data[size - 1] % 8 : 0;
    if (record.count() < 0 || record.count() > (record.isSequence() ? zq::kSeqReadings : zq::kFileRecords))
        std::abort();
    // What a file gave is what it saves back, slot for slot.
    const QByteArray saved = zq::dataFileBytes(record);
    const qint64 same = qMin<qint64>(saved.size(), bytes.size());
    if (record.isSequence() && saved != bytes.left(int(same)))
        std::abort();
    if (!(zq::recordFromFileBytes(saved) == record))
        std::abort();
    // Listing and exporting do the same for every record: a few hundred of
    // them keep each input quick, while the whole file has been parsed.
    const zq::Record few = record.isSequence() ? zq::Record::sequence(record.readings().mid(0, 256))
                                               : zq::Record::timeStamped(record.records().mid(0, 256));
    (void)zq::readingLines(few, group);
    (void)zq::exportText(few);
    (void)zq::exportCsv(few);
    return 0;
}
