#pragma once

#include "core/filewrite.h"
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
    qint64 size = 0; // the file's size
    bool noReadings() const { return ok && record.count() == 0; }
    // A size neither layout has: not a file this program wrote whole.
    bool oddSize() const { return ok && size != kSeqFileBytes && size != kTimeFileBytes; }
    // What to say of it when it opened, or empty when it is a file like ours.
    QString warning() const;
};
DataFileRead readDataFile(const QString &path);

// A download kept on disk: the data file as SAVE writes it, and beside it
// the bytes as they came off the line (answer byte and packets), so a
// questionable download can be examined and decoded again.
struct KeptCopy
{
    QString dataPath; // empty when there was no record to keep
    QString rawPath;
    QString error; // why something was not kept
};

// Keeps a download in `dir` (made when missing), named after the local time
// it ended: 20261206-213000-STYLE0.ZQ and .raw, then -2, -3 … claimed
// atomically, so no file is ever overwritten, not even by another process.
// `tag` ("-incomplete") goes before the extension.
KeptCopy keepDownload(const QString &dir, const Record &record, const QByteArray &raw, DataType type,
    const QDateTime &when, const QString &tag = QString());

// Non-empty records a file of this program could not hold: a time stamp
// outside the calendar and clock, or a reading outside what the instrument
// sends (−999..2047 time-stamped, −999..2303 sequence; 8888 is a failed
// reading). Nothing is refused for it: the format has no signature.
int implausibleRecords(const Record &record);

// Reads at most maxBytes of a file: a huge file costs no more than a small one.
// Only a regular file is read: a pipe, device or socket is refused at once,
// since reading one could wait forever.
bool readFileHead(const QString &path, qint64 maxBytes, QByteArray *bytes, QString *error);

// The largest file taken as a run: far above either layout, so a data file
// with a few bytes appended (a text-mode copy adds CR LF) is still one.
constexpr qint64 kMaxRunFileBytes = 1 << 20;
// A run's identity is the SHA-256 of its file's exact bytes on disk, as
// sha256sum prints it; every front end and the archive take it from here.
struct RunFile
{
    QByteArray bytes; // the whole file
    QString sha256;
};
bool readRunFile(const QString &path, RunFile *file, QString *error);
// The same for bytes at hand (a download about to be kept, a server's copy).
QString sha256Hex(const QByteArray &bytes);
} // namespace zq
