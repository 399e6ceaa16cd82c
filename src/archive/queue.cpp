// Runs waiting for the shared archive: kept in the local archive while the
// server cannot be reached, sent when it answers again.
#include "archive/archive.h"
#include "archive/sql.h"

#include <QSqlQuery>
#include <QVariant>

namespace zq {
using sql::exec;

bool Archive::queue(const Queued &run, QString *error)
{
    QSqlQuery q(QSqlDatabase::database(m_connection, false));
    q.prepare(QStringLiteral("INSERT INTO upload_queue (bytes, seen_at, ended_at, device, outcome, queued_at)"
                             " VALUES (?, ?, ?, ?, ?, ?)"));
    for (const QVariant &v : {QVariant(run.bytes), QVariant(run.seenAt),
             run.ended.isValid() ? QVariant(run.ended.toString(Qt::ISODate)) : QVariant(), QVariant(run.device),
             QVariant(run.outcome), QVariant(sql::now())})
        q.addBindValue(v);
    return exec(q, error);
}

QVector<Archive::Queued> Archive::queued(QString *error) const
{
    QSqlQuery q(QSqlDatabase::database(m_connection, false));
    q.setForwardOnly(true);
    q.prepare(QStringLiteral("SELECT id, bytes, seen_at, ended_at, device, outcome FROM upload_queue ORDER BY id"));
    QVector<Queued> out;
    if (!exec(q, error))
        return out;
    while (q.next())
        out.append({q.value(0).toLongLong(), q.value(1).toByteArray(), q.value(2).toString(),
            QDateTime::fromString(q.value(3).toString(), Qt::ISODate), q.value(4).toString(), q.value(5).toString()});
    return out;
}

int Archive::queuedCount(QString *error) const
{
    QSqlQuery q(QSqlDatabase::database(m_connection, false));
    q.prepare(QStringLiteral("SELECT COUNT(*) FROM upload_queue"));
    return exec(q, error) && q.next() ? q.value(0).toInt() : 0;
}

bool Archive::unqueue(qint64 id, QString *error)
{
    QSqlQuery q(QSqlDatabase::database(m_connection, false));
    q.prepare(QStringLiteral("DELETE FROM upload_queue WHERE id = ?"));
    q.addBindValue(id);
    return exec(q, error);
}

bool Archive::send(Archive &server, const Queued &run, QString *error)
{
    bool isNew = false;
    const QString sha = server.addRun(run.bytes, run.seenAt, &isNew, error);
    if (sha.isEmpty())
        return false;
    return !run.ended.isValid() || server.recordDownload(sha, run.ended, run.device, run.outcome, run.seenAt, error);
}
} // namespace zq
