// A run's history: every change appended as a row, chained by SHA-256, and
// the chains checked.
#include "archive/history.h"
#include "archive/archive.h"
#include "archive/sql.h"
#include "archive/texts.h"
#include "core/datafile.h"

#include <QSqlError>
#include <QSqlQuery>
#include <QVariant>
#include <pwd.h>
#include <unistd.h>

namespace zq {
using sql::exec;
namespace {
QString osUser()
{
    // The account the process runs as, from the system, not from a variable anyone can set.
    const passwd *pw = ::getpwuid(::geteuid());
    return pw ? QString::fromLocal8Bit(pw->pw_name) : QString::number(::geteuid());
}
} // namespace

const QString kHistoryColumns
    = QStringLiteral("sha256, position, at, os_user, signer, what, old_value, new_value, reason, previous_hash, hash");

HistoryRow historyFrom(const QSqlQuery &q)
{
    HistoryRow h;
    h.sha256 = q.value(0).toString();
    h.position = q.value(1).toInt();
    QString *const texts[]
        = {&h.at, &h.osUser, &h.signer, &h.what, &h.oldValue, &h.newValue, &h.reason, &h.previousHash, &h.hash};
    for (int i = 0; i < 9; ++i)
        *texts[i] = q.value(i + 2).toString();
    return h;
}

HistoryRow changeOf(const QString &sha256, const QString &what, const QString &oldValue, const QString &newValue,
    const QString &reason, const QString &signer)
{
    HistoryRow row;
    row.sha256 = sha256;
    row.what = what;
    row.oldValue = oldValue;
    row.newValue = newValue;
    row.reason = reason;
    row.signer = signer;
    return row;
}

QString historyHash(const HistoryRow &row)
{
    // Each part length-prefixed: no two different rows give the same bytes.
    QByteArray bytes;
    for (const QString &part : {row.sha256, QString::number(row.position), row.at, row.osUser, row.signer, row.what,
             row.oldValue, row.newValue, row.reason, row.previousHash}) {
        const QByteArray utf8 = part.toUtf8();
        bytes += QByteArray::number(utf8.size()) + ':' + utf8;
    }
    return sha256Hex(bytes);
}

std::optional<ChainBreak> firstBreak(const QVector<HistoryRow> &rows)
{
    QString previous;
    for (int i = 0; i < rows.size(); ++i) {
        const HistoryRow &r = rows.at(i);
        if (r.position != i)
            return ChainBreak{r.sha256, i, words::kRowMissing.arg(i)};
        if (r.previousHash != previous)
            return ChainBreak{r.sha256, i, words::kRowUnlinked.arg(i)};
        if (historyHash(r) != r.hash)
            return ChainBreak{r.sha256, i, words::kRowChanged.arg(i)};
        previous = r.hash;
    }
    return std::nullopt;
}

bool Archive::beginWrite(QString *error)
{
    // The write lock before reading the chain's end: two writers never take one position.
    return exec(QSqlDatabase::database(m_connection, false),
        m_server ? QStringLiteral("BEGIN") : QStringLiteral("BEGIN IMMEDIATE"), error);
}

bool Archive::endWrite(bool ok, QString *error)
{
    QSqlDatabase db = QSqlDatabase::database(m_connection, false);
    if (ok && exec(db, QStringLiteral("COMMIT"), error))
        return true;
    QString ignored;
    exec(db, QStringLiteral("ROLLBACK"), &ignored);
    return false;
}

bool Archive::lockChain(const QString &sha256, QString *error)
{
    if (!m_server)
        return true; // SQLite's write lock, taken by beginWrite, already holds every chain
    // Held to the transaction's end: another writer waits before it reads the chain's end.
    QSqlQuery q(QSqlDatabase::database(m_connection, false));
    q.prepare(QStringLiteral("SELECT 1 FROM (SELECT pg_advisory_xact_lock(hashtext(?))) AS locked"));
    q.addBindValue(sha256);
    return exec(q, error);
}

bool Archive::appendHistory(const HistoryRow &change, QString *error)
{
    if (!lockChain(change.sha256, error))
        return false;
    QSqlDatabase db = QSqlDatabase::database(m_connection, false);
    QSqlQuery last(db);
    last.prepare(QStringLiteral("SELECT position, hash FROM history WHERE sha256 = ? ORDER BY position DESC LIMIT 1"));
    last.addBindValue(change.sha256);
    if (!exec(last, error))
        return false;
    HistoryRow row = change;
    row.position = last.next() ? last.value(0).toInt() + 1 : 0;
    row.previousHash = row.position > 0 ? last.value(1).toString() : QString();
    last.finish();
    // A row taken from another archive keeps when and by whom the change was made.
    if (row.at.isEmpty())
        row.at = QDateTime::currentDateTimeUtc().toString(Qt::ISODateWithMs);
    if (row.osUser.isEmpty())
        row.osUser = osUser();
    row.hash = historyHash(row);
    QSqlQuery q(db);
    q.prepare(QStringLiteral("INSERT INTO history (%1) VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?)").arg(kHistoryColumns));
    for (const QVariant &v : {QVariant(row.sha256), QVariant(row.position), QVariant(row.at), QVariant(row.osUser),
             QVariant(row.signer), QVariant(row.what), QVariant(row.oldValue), QVariant(row.newValue),
             QVariant(row.reason), QVariant(row.previousHash), QVariant(row.hash)})
        q.addBindValue(v);
    return exec(q, error);
}

QVector<HistoryRow> Archive::chain(const QString &table, const QString &sha256, QString *error) const
{
    QSqlQuery q(QSqlDatabase::database(m_connection, false));
    q.prepare(QStringLiteral("SELECT %1 FROM %2 WHERE sha256 = ? ORDER BY position").arg(kHistoryColumns, table));
    q.addBindValue(sha256);
    QVector<HistoryRow> out;
    if (exec(q, error))
        while (q.next())
            out.append(historyFrom(q));
    return out;
}

QVector<ChainBreak> Archive::breaksIn(const QString &table, QString *error) const
{
    QSqlQuery q(QSqlDatabase::database(m_connection, false));
    q.setForwardOnly(true);
    q.prepare(QStringLiteral("SELECT %1 FROM %2 ORDER BY sha256, position").arg(kHistoryColumns, table));
    QVector<ChainBreak> out;
    if (!exec(q, error))
        return out;
    QVector<HistoryRow> chain;
    const auto close = [&] {
        if (const auto broken = firstBreak(chain))
            out.append(*broken);
        chain.clear();
    };
    while (q.next()) {
        HistoryRow row = historyFrom(q);
        if (!chain.isEmpty() && chain.constFirst().sha256 != row.sha256)
            close();
        chain.append(std::move(row));
    }
    close();
    return out;
}

QVector<ChainBreak> Archive::checkHistory(QString *error) const
{
    QVector<ChainBreak> out = breaksIn(QStringLiteral("history"), error);
    // The server's chains as this PC took them: a copy changed here shows as the server's would.
    if (!m_server && QSqlDatabase::database(m_connection, false).tables().contains(QStringLiteral("server_history")))
        for (ChainBreak b : breaksIn(QStringLiteral("server_history"), error)) {
            b.why = words::kServerCopy + b.why;
            out.append(b);
        }
    // A run whose rows are all gone has no chain to break: it is missing its first row.
    QSqlQuery bare(QSqlDatabase::database(m_connection, false));
    bare.prepare(QStringLiteral("SELECT sha256 FROM runs r WHERE NOT EXISTS (SELECT 1 FROM history h"
                                " WHERE h.sha256 = r.sha256) ORDER BY sha256"));
    if (exec(bare, error))
        while (bare.next())
            out.append({bare.value(0).toString(), 0, words::kFirstRowMissing});
    return out;
}
} // namespace zq
