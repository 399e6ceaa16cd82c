// History rows on their way to the shared archive: which of this archive's
// rows the server has not got yet, and a row from another archive taken into
// the server's own chain, its change applied, never twice.
#include "archive/archive.h"
#include "archive/registry.h"
#include "archive/sql.h"
#include "archive/texts.h"

#include <QSqlQuery>
#include <QVariant>

namespace zq {
using sql::exec;
namespace {
// A run's arrival in this archive and the values an older one found are this
// archive's events, not the run's: the server has its own.
// A device's chain travels too: its certificates are the same everywhere.
const QString kTravelling
    = QStringLiteral("h.what NOT IN ('added', 'found') AND (EXISTS (SELECT 1 FROM runs r WHERE r.sha256 = h.sha256)"
                     " OR h.sha256 LIKE 'instrument:%' OR h.sha256 LIKE 'thermocouple:%')");
const QString kUnsent = QStringLiteral(
    " AND NOT EXISTS (SELECT 1 FROM history_sent s WHERE s.sha256 = h.sha256 AND s.position = h.position)");
const QStringList kFieldColumns{QStringLiteral("operator"), QStringLiteral("equipment"), QStringLiteral("load"),
    QStringLiteral("thermocouple"), QStringLiteral("comment")};

// NULL never equals anything: a missing text compares as an empty one.
QString text(const QString &s)
{
    return s.isNull() ? QString(QLatin1String("")) : s;
}

QVector<HistoryRow> rowsOf(QSqlQuery &q, QString *error)
{
    QVector<HistoryRow> out;
    if (exec(q, error))
        while (q.next())
            out.append(historyFrom(q));
    return out;
}
} // namespace

bool Archive::startSending(QString *error)
{
    QSqlDatabase db = QSqlDatabase::database(m_connection, false);
    if (db.tables().contains(QStringLiteral("history_sent")))
        return true;
    if (!beginWrite(error))
        return false;
    // Looked at again under the lock: a program that made it meanwhile has marked its own rows.
    QSqlQuery made(db);
    bool ok
        = made.exec(QStringLiteral("SELECT COUNT(*) FROM sqlite_master WHERE name = 'history_sent'")) && made.next();
    if (ok && made.value(0).toInt() == 0)
        // Rows made before rows travelled reached a server as edits, if at all: only later ones go.
        ok = exec(db,
                 QStringLiteral("CREATE TABLE history_sent (sha256 TEXT NOT NULL, position INTEGER NOT NULL,"
                                " PRIMARY KEY (sha256, position))"),
                 error)
            && exec(db,
                QStringLiteral("INSERT INTO history_sent (sha256, position) SELECT sha256, position FROM history"),
                error);
    made.finish();
    return endWrite(ok, error);
}

QVector<HistoryRow> Archive::unsentHistory(QString *error) const
{
    QSqlDatabase db = QSqlDatabase::database(m_connection, false);
    if (!db.tables().contains(QStringLiteral("history_sent")))
        return {}; // opened read-only before it was ever written by a program that sends rows
    QSqlQuery q(db);
    q.prepare(QStringLiteral("SELECT %1 FROM history h WHERE %2%3 ORDER BY h.sha256, h.position")
                  .arg(kHistoryColumns, kTravelling, kUnsent));
    return rowsOf(q, error);
}

QVector<HistoryRow> Archive::travellingHistory(const QString &sha256, QString *error) const
{
    QSqlQuery q(QSqlDatabase::database(m_connection, false));
    q.prepare(QStringLiteral("SELECT %1 FROM history h WHERE h.sha256 = ? AND %2 ORDER BY h.position")
                  .arg(kHistoryColumns, kTravelling));
    q.addBindValue(sha256);
    return rowsOf(q, error);
}

bool Archive::markSent(const HistoryRow &row, QString *error)
{
    QSqlQuery q(QSqlDatabase::database(m_connection, false));
    q.prepare(QStringLiteral("INSERT INTO history_sent (sha256, position) VALUES (?, ?) ON CONFLICT DO NOTHING"));
    q.addBindValue(row.sha256);
    q.addBindValue(row.position);
    return exec(q, error);
}

bool isChange(const HistoryRow &row)
{
    static const QStringList kOthers{
        QStringLiteral("note"), QStringLiteral("linked_instrument"), QStringLiteral("linked_thermocouple")};
    return kFieldColumns.contains(row.what) || kOthers.contains(row.what)
        || row.what.startsWith(QLatin1String("range "));
}

bool madeSigned(const QVector<HistoryRow> &rows, int i)
{
    // One edit's rows share their reason; the withdrawal it caused comes right after them with it.
    const HistoryRow &change = rows.at(i);
    for (int next = i + 1; next < rows.size(); ++next) {
        const HistoryRow &r = rows.at(next);
        if (r.sha256 != change.sha256 || r.position != rows.at(next - 1).position + 1 || r.reason != change.reason)
            return false;
        if (!isChange(r))
            return r.what == QLatin1String("withdrawn");
    }
    return false;
}

bool Archive::receive(const HistoryRow &row, QString *error, bool signedWhereMade)
{
    if (!beginWrite(error))
        return false;
    // A row is known by what it says, when and by whom: one sent again (a
    // drain cut off after the server committed) is found here and not added.
    QSqlQuery known(QSqlDatabase::database(m_connection, false));
    known.prepare(QStringLiteral(
        "SELECT COUNT(*) FROM history WHERE sha256 = ? AND at = ? AND COALESCE(os_user, '') = ?"
        " AND COALESCE(signer, '') = ? AND what = ? AND COALESCE(old_value, '') = ? AND COALESCE(new_value, '') = ?"
        " AND COALESCE(reason, '') = ?"));
    for (const QString &v :
        {row.sha256, row.at, row.osUser, row.signer, row.what, row.oldValue, row.newValue, row.reason})
        known.addBindValue(text(v));
    bool ok = lockChain(row.sha256, error) && exec(known, error) && known.next();
    const bool isNew = ok && known.value(0).toInt() == 0;
    known.finish();
    if (isNew)
        ok = applyRow(row, error) && appendHistory(row, error) && withdrawnBy(row, signedWhereMade, error)
            && settleVerdict(row, error);
    return endWrite(ok, error);
}

bool Archive::applyRow(const HistoryRow &row, QString *error)
{
    if (isRegistryKey(row.sha256))
        return Registry(*this).apply(row, error);
    QSqlQuery q(QSqlDatabase::database(m_connection, false));
    const QString now = text(row.newValue);
    const int colon = int(now.indexOf(QLatin1String(": ")));
    const QString first = now.section(QLatin1Char('-'), 0, 0), last = now.section(QLatin1Char('-'), 1);
    QVariantList values;
    if (kFieldColumns.contains(row.what)) {
        // The later edit to arrive wins the field, as a direct edit would.
        q.prepare(QStringLiteral("UPDATE runs SET %1 = ? WHERE sha256 = ?").arg(row.what));
        values = {now, row.sha256};
    } else if (row.what == QLatin1String("note") && colon > 0) {
        q.prepare(QStringLiteral("INSERT INTO notes (sha256, at_reading, text, created_at) SELECT ?, ?, ?, ?"
                                 " WHERE NOT EXISTS (SELECT 1 FROM notes WHERE sha256 = ? AND at_reading = ?"
                                 " AND text = ?)"));
        const int at = now.left(colon).toInt();
        const QString said = now.mid(colon + 2);
        values = {row.sha256, at, said, row.at, row.sha256, at, said};
    } else if (row.what.startsWith(QLatin1String("range ")) && !last.isEmpty()) {
        q.prepare(QStringLiteral("INSERT INTO ranges (sha256, name, first_reading, last_reading) VALUES (?, ?, ?, ?)"
                                 " ON CONFLICT (sha256, name) DO UPDATE SET first_reading = excluded.first_reading,"
                                 " last_reading = excluded.last_reading"));
        values = {row.sha256, row.what.mid(6), first.toInt(), last.toInt()};
    } else if (row.what == QLatin1String("linked_instrument") || row.what == QLatin1String("linked_thermocouple")) {
        const QString device = row.what.mid(7); // a column named by the known word, never by the row's text
        q.prepare(QStringLiteral("INSERT INTO run_devices (sha256, %1) VALUES (?, ?) ON CONFLICT (sha256)"
                                 " DO UPDATE SET %1 = excluded.%1")
                      .arg(device));
        values = {row.sha256, now.isEmpty() ? QVariant() : QVariant(now)};
    } else {
        return true; // a check, a signature, a withdrawal: the row is the change
    }
    for (const QVariant &v : values)
        q.addBindValue(v);
    return exec(q, error);
}

bool Archive::withdrawnBy(const HistoryRow &row, bool signedWhereMade, QString *error)
{
    // Signed where it was made, that PC's own withdrawal follows the change.
    if (!isChange(row) || signedWhereMade)
        return true;
    // Made where the run was not signed: a signature here no longer covers it.
    return withdrawSignatures(row.sha256, row.reason.isEmpty() ? words::kChangedUnsignedElsewhere : row.reason, error);
}

bool Archive::settleVerdict(const HistoryRow &row, QString *error)
{
    static const QStringList kDeciding{
        QStringLiteral("verdict"), QStringLiteral("recipe"), QStringLiteral("approve"), QStringLiteral("withdrawn")};
    if (!kDeciding.contains(row.what))
        return true;
    // The run's verdict as its chain here says: the approved check while an approval stands, else the latest.
    const Check standing = standingCheck(history(row.sha256, error));
    QSqlQuery q(QSqlDatabase::database(m_connection, false));
    q.prepare(QStringLiteral("UPDATE runs SET verdict = ?, recipe = ? WHERE sha256 = ?"));
    for (const QString &v : {standing.verdict, standing.recipe, row.sha256})
        q.addBindValue(v);
    return exec(q, error);
}
} // namespace zq
