#pragma once
// The rows the archive answers with: runs, filters, named ranges and what is
// known of a file's bytes.

#include "core/runinfo.h"

#include <QDate>
#include <QDateTime>
#include <QStringList>
#include <optional>

namespace zq {

// One run: one distinct file content, keyed by the SHA-256 of its .ZQ bytes.
struct RunRow
{
    QString sha256;
    int dataType = 0;
    int readings = 0;
    int failed = 0;
    QString firstStamp;
    QString lastStamp;
    int peak = 0;
    QString verdict; // PASS, FAIL or empty: the approved check's while an approval stands, else the latest
    QString recipe;
    int checks = 0; // every process check recorded, and how many of them failed
    int failedChecks = 0;
    RunFields fields;
    // Local times as ISO 8601 text, as stored: a list of thousands parses none.
    QString addedAt;
    QString downloadedAt; // empty when it never came from a download here
    QStringList paths;
};

} // namespace zq
// Every member moves as its bytes: a list of thousands grows without copying each.
Q_DECLARE_TYPEINFO(zq::RunRow, Q_RELOCATABLE_TYPE);
namespace zq {

struct RunFilter
{
    QDate since; // by the day it was added or downloaded
    QDate until;
    QString equipment;
    QString verdict; // PASS or FAIL
    QString search; // in every text field
    std::optional<RunState> state = std::nullopt; // any
};

// A stretch of a run the user named ("保温段"): readings first…last.
struct NamedRange
{
    QString name;
    int first = 0;
    int last = 0;
};

// What is known of a file's bytes. Only Downloaded vouches for them: a
// whole download, these very bytes.
struct Provenance
{
    enum Kind {
        Downloaded, // a whole download brought these bytes
        IncompleteDownload, // a download brought them, but it was not whole (outcome says how)
        ChangedSinceDownload, // a download was kept at this path, with other bytes
        NotDownloaded, // in the archive (imported, opened, analysed), never downloaded
        Unknown
    } kind
        = Unknown;
    QDateTime when;
    QString device;
    QString keptPath;
    QString outcome; // as stored: "complete", "cut", "paused" …
    QString host; // the PC it was made on; empty when not known (recorded before hosts were)
};
// A stored outcome as a person reads it: "完整", "中途停顿" …
QString outcomeWords(const QString &outcome);

} // namespace zq
