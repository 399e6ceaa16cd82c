// Runs waiting for the shared archive: kept in the local archive while the
// server cannot be reached, sent when it answers again.
#include "archive/archive.h"
#include "archive/sql.h"

#include <QSet>
#include <QSqlQuery>
#include <QVariant>

namespace zq {
using sql::exec;

bool Archive::queue(const Queued &run, QString *error)
{
    QSqlQuery q(QSqlDatabase::database(m_connection, false));
    q.prepare(QStringLiteral("INSERT INTO upload_queue (bytes, seen_at, ended_at, device, outcome, host, queued_at)"
                             " VALUES (?, ?, ?, ?, ?, ?, ?)"));
    // Only downloads made here are queued here: this PC made it.
    const bool download = run.ended.isValid();
    for (const QVariant &v : {QVariant(run.bytes), QVariant(run.seenAt),
             download ? QVariant(run.ended.toString(Qt::ISODate)) : QVariant(), QVariant(run.device),
             QVariant(run.outcome), download ? QVariant(hostName()) : QVariant(), QVariant(sql::now())})
        q.addBindValue(v);
    return exec(q, error);
}

QVector<Archive::Queued> Archive::queued(QString *error) const
{
    QSqlQuery q(QSqlDatabase::database(m_connection, false));
    q.setForwardOnly(true);
    q.prepare(
        QStringLiteral("SELECT id, bytes, seen_at, ended_at, device, outcome, host FROM upload_queue ORDER BY id"));
    QVector<Queued> out;
    if (!exec(q, error))
        return out;
    while (q.next())
        out.append({q.value(0).toLongLong(), q.value(1).toByteArray(), q.value(2).toString(),
            QDateTime::fromString(q.value(3).toString(), Qt::ISODate), q.value(4).toString(), q.value(5).toString(),
            q.value(6).toString()});
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
    return !run.ended.isValid()
        || server.recordDownload(
            {sha, run.ended.toString(Qt::ISODate), run.device, run.outcome, run.seenAt, run.host}, error);
}

bool Archive::queueEdit(const Edit &edit, QString *error)
{
    QSqlQuery q(QSqlDatabase::database(m_connection, false));
    q.prepare(QStringLiteral("INSERT INTO edit_queue (sha256, what, operator, equipment, load, thermocouple, comment,"
                             " verdict, recipe, queued_at) VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?, ?)"));
    const RunFields &f = edit.fields;
    for (const QString &v : {edit.sha256, edit.verdict ? QStringLiteral("verdict") : QStringLiteral("fields"),
             f.operatorName, f.equipment, f.load, f.thermocouple, f.comment, edit.verdictText, edit.recipe, sql::now()})
        q.addBindValue(v);
    return exec(q, error);
}

QVector<Archive::Edit> Archive::queuedEdits(QString *error) const
{
    QSqlQuery q(QSqlDatabase::database(m_connection, false));
    q.prepare(QStringLiteral("SELECT id, sha256, what, operator, equipment, load, thermocouple, comment, verdict,"
                             " recipe FROM edit_queue ORDER BY id"));
    QVector<Edit> out;
    if (exec(q, error))
        while (q.next())
            out.append(
                {q.value(0).toLongLong(), q.value(1).toString(), q.value(2).toString() == QLatin1String("verdict"),
                    {q.value(3).toString(), q.value(4).toString(), q.value(5).toString(), q.value(6).toString(),
                        q.value(7).toString()},
                    q.value(8).toString(), q.value(9).toString()});
    return out;
}

bool Archive::unqueueEdit(qint64 id, QString *error)
{
    QSqlQuery q(QSqlDatabase::database(m_connection, false));
    q.prepare(QStringLiteral("DELETE FROM edit_queue WHERE id = ?"));
    q.addBindValue(id);
    return exec(q, error);
}

bool Archive::send(Archive &server, const Edit &edit, QString *error)
{
    QString ignored;
    // A run the server has not got (its upload still queued) takes the edit once it has.
    if (!server.run(edit.sha256, &ignored))
        return false;
    return edit.verdict ? server.setVerdict(edit.sha256, edit.verdictText, edit.recipe, error)
                        : server.setFields(edit.sha256, edit.fields, error);
}

bool Archive::merge(const QVector<RunRow> &rows, QString *error)
{
    // A run approved here keeps what it was approved with while that approval stands: the server's
    // fields and verdict win only once its chain withdrew it (a later change made elsewhere).
    QString why;
    const QSet<QString> kept = approvedHere(&why);
    if (!why.isEmpty()) {
        *error = why;
        return false;
    }
    QSqlDatabase db = QSqlDatabase::database(m_connection, false);
    db.transaction();
    QSqlQuery q(db);
    QString update;
    for (const char *column : {"verdict", "recipe", "operator", "equipment", "load", "thermocouple", "comment"})
        update += QStringLiteral(" %1 = CASE WHEN ? THEN runs.%1 ELSE excluded.%1 END,").arg(QLatin1String(column));
    q.prepare(QStringLiteral(
        "INSERT INTO runs (sha256, data_type, readings, failed, first_stamp, last_stamp, peak, verdict, recipe,"
        " operator, equipment, load, thermocouple, comment, added_at, downloaded_at)"
        " VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?) ON CONFLICT (sha256) DO UPDATE SET%1"
        " downloaded_at = COALESCE(excluded.downloaded_at, runs.downloaded_at)")
                  .arg(update));
    for (const RunRow &r : rows) {
        const RunFields &f = r.fields;
        for (const QVariant &v : {QVariant(r.sha256), QVariant(r.dataType), QVariant(r.readings), QVariant(r.failed),
                 QVariant(r.firstStamp), QVariant(r.lastStamp), QVariant(r.peak), QVariant(r.verdict),
                 QVariant(r.recipe), QVariant(f.operatorName), QVariant(f.equipment), QVariant(f.load),
                 QVariant(f.thermocouple), QVariant(f.comment), QVariant(r.addedAt),
                 r.downloadedAt.isEmpty() ? QVariant() : QVariant(r.downloadedAt)})
            q.addBindValue(v);
        for (int column = 0; column < 7; ++column)
            q.addBindValue(kept.contains(r.sha256) ? 1 : 0);
        if (!exec(q, error)) {
            db.rollback();
            return false;
        }
    }
    q.finish();
    // A run new here starts its chain with the values it came with, as an older archive's runs did.
    if (!startHistories(error)) {
        db.rollback();
        return false;
    }
    return db.commit();
}

QVector<Archive::DownloadRow> Archive::downloads(QString *error, const QString &sha256) const
{
    QSqlQuery q(QSqlDatabase::database(m_connection, false));
    q.setForwardOnly(true);
    q.prepare(QStringLiteral("SELECT sha256, ended_at, device, outcome, kept_path, host FROM downloads"
                             " WHERE ? = '' OR sha256 = ? ORDER BY ended_at"));
    q.addBindValue(sha256.isNull() ? QStringLiteral("") : sha256);
    q.addBindValue(sha256);
    QVector<DownloadRow> out;
    if (exec(q, error))
        while (q.next())
            out.append({q.value(0).toString(), q.value(1).toString(), q.value(2).toString(), q.value(3).toString(),
                q.value(4).toString(), q.value(5).toString()});
    return out;
}

bool Archive::mergeDownloads(const QVector<DownloadRow> &rows, QString *error)
{
    QSqlDatabase db = QSqlDatabase::database(m_connection, false);
    db.transaction();
    QSqlQuery q(db);
    // Only for runs this archive holds; a download already here stays as it is.
    q.prepare(QStringLiteral(
        "INSERT INTO downloads (sha256, ended_at, device, outcome, host) SELECT ?, ?, ?, ?, ?"
        " WHERE EXISTS (SELECT 1 FROM runs WHERE sha256 = ?) ON CONFLICT (sha256, ended_at) DO NOTHING"));
    for (const DownloadRow &d : rows) {
        for (const QVariant &v : {QVariant(d.sha256), QVariant(d.endedAt), QVariant(d.device), QVariant(d.outcome),
                 d.host.isEmpty() ? QVariant() : QVariant(d.host), QVariant(d.sha256)})
            q.addBindValue(v);
        if (!exec(q, error)) {
            db.rollback();
            return false;
        }
    }
    const bool dated = exec(db,
        QStringLiteral(
            "UPDATE runs SET downloaded_at = (SELECT MAX(ended_at) FROM downloads d WHERE d.sha256 = runs.sha256)"
            " WHERE EXISTS (SELECT 1 FROM downloads d WHERE d.sha256 = runs.sha256)"),
        error);
    if (dated && db.commit())
        return true;
    db.rollback();
    return false;
}
} // namespace zq
