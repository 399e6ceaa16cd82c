#pragma once

#include "core/workspace.h"

#include <QByteArray>
#include <QDateTime>
#include <QString>

namespace zq {
constexpr int kRecordBytes = 7;
constexpr qint64 kTimeFileBytes = qint64(kFileRecords) * kRecordBytes; // 28224
constexpr qint64 kSeqFileBytes = qint64(kSeqReadings) * 2; // 7680

// The file image of the data held, in the layout of its type (empty for no data).
QByteArray dataFileBytes(const Workspace &ws);

// Reads a file image into the workspace: exactly 7680 bytes is sequence data,
// anything else the time-stamped layout. Only as much as the layout holds is
// looked at; a short file reads as empty slots past its end.
void loadDataFileBytes(Workspace &ws, const QByteArray &bytes);

// Keeps a download as SAVE would write it, in `dir` (made when missing), named
// after the local time it ended: 20261206-213000-STYLE0.ZQ, then -2, -3 … so
// no file is ever overwritten. Returns the path, or empty with *error.
QString keepDownload(const QString &dir, const Workspace &ws, const QDateTime &when, QString *error);

// Non-empty records a file of this program could not hold: a time stamp
// outside the calendar and clock, or a reading outside what the instrument
// sends (−999..2047 time-stamped, −999..2303 sequence; 8888 is a failed
// reading). Nothing is refused for it: the format has no signature.
int implausibleRecords(const Workspace &ws);

// Writes bytes so that the old file is replaced whole or not at all.
bool writeFileWhole(const QString &path, const QByteArray &bytes, QString *error);

// Reads at most maxBytes of a file: a huge file costs no more than a small one.
bool readFileHead(const QString &path, qint64 maxBytes, QByteArray *bytes, QString *error);
} // namespace zq
