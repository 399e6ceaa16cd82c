#pragma once

#include "core/runinfo.h"

#include <QString>
#include <QVector>
#include <optional>

class QSqlQuery;

namespace zq {

// One change to a run, as the archive keeps it: only ever added, chained to
// the run's previous row by its hash so a rewritten or missing row shows.
struct HistoryRow
{
    QString sha256;
    int position = 0; // 0, 1, 2 … within the run
    QString at; // UTC, ISO 8601
    QString osUser;
    QString signer; // where one signs
    QString what; // "operator", "verdict", "note", "range", "found" …
    QString oldValue;
    QString newValue;
    QString reason;
    QString previousHash; // empty for a run's first row
    QString hash;
};

// A change to append; the archive fills in its place, time, user and hashes.
HistoryRow changeOf(const QString &sha256, const QString &what, const QString &oldValue, const QString &newValue,
    const QString &reason = QString(), const QString &signer = QString());

// A check of a run: its verdict and the recipe it was judged by.
struct Check
{
    QString verdict;
    QString recipe;
};
// The latest among a run's rows, oldest first; an older archive's run was
// found with one.
Check latestCheck(const QVector<HistoryRow> &rows);
// The check that is the run's verdict: the approved one while an approval
// stands, else the latest.
Check standingCheck(const QVector<HistoryRow> &rows);
// Who signed a run and where it stands, from its rows, oldest first.
Signatures signaturesOf(const QVector<HistoryRow> &rows);

// Whether a row changes what a signature covers (a field, note, range or link).
bool isChange(const HistoryRow &row);
// Whether the change at rows[i] (one run's rows in chain order) was made on a
// signed run: the withdrawal it caused follows it, after the rest of that edit.
bool madeSigned(const QVector<HistoryRow> &rows, int i);

// A history table's columns in the order historyFrom reads them.
extern const QString kHistoryColumns;
HistoryRow historyFrom(const QSqlQuery &q);

// The SHA-256 a row must carry: of its content and its predecessor's hash.
QString historyHash(const HistoryRow &row);

// Where a run's chain first fails, in words naming the row.
struct ChainBreak
{
    QString sha256;
    int position = 0;
    QString why;
};
// The first break of a run's rows (in position order), if any.
std::optional<ChainBreak> firstBreak(const QVector<HistoryRow> &rows);

} // namespace zq
