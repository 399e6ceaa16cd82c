// The server's chains kept on a PC: each run's rows as the server holds them
// (its positions and hashes), so what other PCs did shows here too. Only
// ever added to, like the history, and never sent back: the server has them.
#include "archive/archive.h"
#include "archive/sql.h"

#include <QSet>
#include <QSqlQuery>
#include <QVariant>
#include <algorithm>

namespace zq {
using sql::exec;
namespace {
const QString kShown = QStringLiteral("shown_history");

const char *const kMirror[] = {
    "CREATE TABLE IF NOT EXISTS server_history (sha256 TEXT NOT NULL, position INTEGER NOT NULL, at TEXT NOT NULL,"
    " os_user TEXT, signer TEXT, what TEXT NOT NULL, old_value TEXT, new_value TEXT, reason TEXT,"
    " previous_hash TEXT, hash TEXT NOT NULL, PRIMARY KEY (sha256, position))",
    "CREATE TRIGGER IF NOT EXISTS server_history_no_update BEFORE UPDATE ON server_history"
    " BEGIN SELECT RAISE(ABORT, 'history rows are never changed'); END",
    "CREATE TRIGGER IF NOT EXISTS server_history_no_delete BEFORE DELETE ON server_history"
    " BEGIN SELECT RAISE(ABORT, 'history rows are never deleted'); END",
    // A run the server's chain is known of reads as that chain, then what
    // this PC did that has not reached it yet; any other run as its own chain.
    "CREATE VIEW IF NOT EXISTS shown_history AS SELECT sha256, position AS seq, what, new_value FROM server_history"
    " UNION ALL SELECT h.sha256, 1000000000 + h.position, h.what, h.new_value FROM history h"
    " WHERE NOT EXISTS (SELECT 1 FROM server_history m WHERE m.sha256 = h.sha256)"
    " OR (h.what NOT IN ('added', 'found') AND NOT EXISTS (SELECT 1 FROM history_sent s"
    " WHERE s.sha256 = h.sha256 AND s.position = h.position))",
};

// The same change: one sent and not yet marked so is not shown twice.
bool sameChange(const HistoryRow &a, const HistoryRow &b)
{
    return a.at == b.at && a.osUser == b.osUser && a.signer == b.signer && a.what == b.what && a.oldValue == b.oldValue
        && a.newValue == b.newValue && a.reason == b.reason;
}
} // namespace

bool Archive::startMirror(QString *error)
{
    QSqlDatabase db = QSqlDatabase::database(m_connection, false);
    if (db.tables(QSql::Views).contains(kShown))
        return true;
    bool ok = beginWrite(error);
    for (const char *statement : kMirror)
        ok = ok && exec(db, QString::fromLatin1(statement), error);
    return endWrite(ok, error);
}

QString Archive::historySource() const
{
    if (!m_server && QSqlDatabase::database(m_connection, false).tables(QSql::Views).contains(kShown))
        return kShown;
    return QStringLiteral("(SELECT sha256, position AS seq, what, new_value FROM history)");
}

QVector<HistoryRow> Archive::history(const QString &sha256, QString *error) const
{
    QVector<HistoryRow> own = chain(QStringLiteral("history"), sha256, error);
    if (historySource() != kShown)
        return own;
    QVector<HistoryRow> shown = chain(QStringLiteral("server_history"), sha256, error);
    if (shown.isEmpty())
        return own;
    QSqlQuery q(QSqlDatabase::database(m_connection, false));
    q.prepare(QStringLiteral("SELECT position FROM history_sent WHERE sha256 = ?"));
    q.addBindValue(sha256);
    QSet<int> sent;
    if (exec(q, error))
        while (q.next())
            sent.insert(q.value(0).toInt());
    for (const HistoryRow &row : own) {
        const bool travels = row.what != QLatin1String("added") && row.what != QLatin1String("found");
        if (travels && !sent.contains(row.position)
            && std::none_of(shown.cbegin(), shown.cend(), [&](const HistoryRow &s) { return sameChange(s, row); }))
            shown.append(row);
    }
    return shown;
}

QHash<QString, int> Archive::chainLengths(QString *error) const
{
    QSqlQuery q(QSqlDatabase::database(m_connection, false));
    q.prepare(QStringLiteral("SELECT sha256, COUNT(*) FROM %1 GROUP BY sha256")
                  .arg(m_server ? QStringLiteral("history") : QStringLiteral("server_history")));
    QHash<QString, int> out;
    if (exec(q, error))
        while (q.next())
            out.insert(q.value(0).toString(), q.value(1).toInt());
    return out;
}

bool Archive::mirror(const QVector<HistoryRow> &rows, QString *error)
{
    if (rows.isEmpty())
        return true;
    bool ok = beginWrite(error);
    QSqlQuery q(QSqlDatabase::database(m_connection, false));
    // Kept exactly as the server holds them: `archive check` then proves the server's chain.
    q.prepare(QStringLiteral("INSERT INTO server_history (sha256, position, at, os_user, signer, what, old_value,"
                             " new_value, reason, previous_hash, hash) VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?)"
                             " ON CONFLICT DO NOTHING"));
    for (const HistoryRow &r : rows) {
        for (const QVariant &v : {QVariant(r.sha256), QVariant(r.position), QVariant(r.at), QVariant(r.osUser),
                 QVariant(r.signer), QVariant(r.what), QVariant(r.oldValue), QVariant(r.newValue), QVariant(r.reason),
                 QVariant(r.previousHash), QVariant(r.hash)})
            q.addBindValue(v);
        ok = ok && exec(q, error);
    }
    q.finish();
    return endWrite(ok, error);
}
QSet<QString> Archive::approvedHere(QString *error) const
{
    QSqlQuery q(QSqlDatabase::database(m_connection, false));
    q.prepare(QStringLiteral("SELECT r.sha256 FROM runs r WHERE %1 = 2").arg(sql::runState(historySource())));
    QStringList approved;
    if (exec(q, error))
        while (q.next())
            approved << q.value(0).toString();
    q.finish();
    QSet<QString> out;
    for (const QString &sha : approved) {
        // The approval that stands, as the server's chain and the rows not yet sent to it say; ours if signed here.
        const QVector<HistoryRow> rows = history(sha, error);
        const auto standing = std::find_if(
            rows.crbegin(), rows.crend(), [](const HistoryRow &r) { return r.what == QLatin1String("approve"); });
        const QVector<HistoryRow> own = chain(QStringLiteral("history"), sha, error);
        if (standing != rows.crend()
            && std::any_of(own.cbegin(), own.cend(), [&](const HistoryRow &r) { return sameChange(r, *standing); }))
            out.insert(sha);
    }
    return out;
}
} // namespace zq
