#pragma once

#include "core/record.h"

#include <QByteArray>
#include <QDateTime>
#include <QString>

namespace zq {
constexpr int kRecordBytes = 7;
constexpr qint64 kTimeFileBytes = qint64(kFileRecords) * kRecordBytes; // 28224
constexpr qint64 kSeqFileBytes = qint64(kSeqReadings) * 2; // 7680

// The file image of a record, in the layout of its type (empty for no data).
QByteArray dataFileBytes(const Record &record);

// A file image as a record: exactly 7680 bytes is sequence data, anything
// else the time-stamped layout. Only as much as the layout holds is looked
// at; a short file reads as empty slots past its end, and trailing empty
// slots are no readings.
Record recordFromFileBytes(const QByteArray &bytes);

// What reading a data file gave: the record, or why there is none. A file
// with no readings is a record all the same (the window shows it empty),
// and the front ends say so.
struct DataFileRead
{
    bool ok = false;
    Record record;
    QString error; // why it could not be read
    int implausible = 0; // records this program could not have written
    bool noReadings() const { return ok && record.count() == 0; }
};
DataFileRead readDataFile(const QString &path);

// What the front ends say of a file that read but holds nothing, or holds
// records the instrument could not have sent.
QString noReadingsText();
QString implausibleText(int damaged);

// Keeps a download as SAVE would write it, in `dir` (made when missing), named
// after the local time it ended: 20261206-213000-STYLE0.ZQ, then -2, -3 … so
// no file is ever overwritten. Returns the path, or empty with *error.
QString keepDownload(const QString &dir, const Record &record, const QDateTime &when, QString *error);

// Non-empty records a file of this program could not hold: a time stamp
// outside the calendar and clock, or a reading outside what the instrument
// sends (−999..2047 time-stamped, −999..2303 sequence; 8888 is a failed
// reading). Nothing is refused for it: the format has no signature.
int implausibleRecords(const Record &record);

// Writes bytes so that the old file is replaced whole or not at all.
bool writeFileWhole(const QString &path, const QByteArray &bytes, QString *error);

// Reads at most maxBytes of a file: a huge file costs no more than a small one.
bool readFileHead(const QString &path, qint64 maxBytes, QByteArray *bytes, QString *error);
} // namespace zq
