// The archive's runs: adding, recording, editing and finding them.
#include "archive/archive.h"
#include "archive/sql.h"

#include "archive/texts.h"
#include "core/datafile.h"
#include "core/listlines.h"
#include "core/summary.h"

#include <QFileInfo>
#include <QSqlError>
#include <QSqlQuery>
#include <QSysInfo>
#include <QVariant>

namespace zq {
using sql::exec;

QString Archive::addRun(const QByteArray &fileBytes, const QString &seenAt, bool *isNew, QString *error)
{
    QSqlDatabase db = QSqlDatabase::database(m_connection, false);
    QString sha = sha256Of(fileBytes);
    const Record record = recordFromFileBytes(fileBytes);
    const Summary s = summarize(record, 0);
    // One statement: two writers adding the same bytes at once make one run;
    // the run and its path go in together or not at all.
    db.transaction();
    QSqlQuery q(db);
    q.prepare(QStringLiteral("INSERT INTO runs (sha256, data_type, readings, failed, first_stamp, last_stamp, peak,"
                             " added_at) VALUES (?, ?, ?, ?, ?, ?, ?, ?) ON CONFLICT (sha256) DO NOTHING"));
    for (const QVariant &v : {QVariant(sha), QVariant(int(record.type())), QVariant(s.readings), QVariant(s.failed),
             QVariant(s.first), QVariant(s.last), s.valid ? QVariant(s.maximum) : QVariant(), QVariant(sql::now())})
        q.addBindValue(v);
    if (!exec(q, error)) {
        db.rollback();
        return QString();
    }
    *isNew = q.numRowsAffected() > 0;
    HistoryRow added;
    added.sha256 = sha;
    added.what = QStringLiteral("added");
    if (*isNew && !appendHistory(added, error)) {
        db.rollback();
        return QString();
    }
    if (m_server) {
        // The bytes themselves, so any PC can open the run.
        QSqlQuery f(db);
        f.prepare(QStringLiteral("INSERT INTO files (sha256, bytes) VALUES (?, ?) ON CONFLICT (sha256) DO NOTHING"));
        f.addBindValue(sha);
        f.addBindValue(fileBytes);
        if (!exec(f, error)) {
            db.rollback();
            return QString();
        }
    }
    if (!seenAt.isEmpty()) {
        QSqlQuery p(db);
        p.prepare(QStringLiteral(
            "INSERT INTO paths (sha256, path, seen_at) VALUES (?, ?, ?) ON CONFLICT (sha256, path) DO NOTHING"));
        p.addBindValue(sha);
        p.addBindValue(QFileInfo(seenAt).absoluteFilePath());
        p.addBindValue(sql::now());
        if (!exec(p, error)) {
            db.rollback();
            return QString();
        }
    }
    if (!db.commit()) {
        *error = db.lastError().text();
        return QString();
    }
    return sha;
}

QString Archive::hostName()
{
    return QSysInfo::machineHostName();
}

bool Archive::recordDownload(const QString &sha256, const QDateTime &ended, const QString &device,
    const QString &outcome, const QString &keptPath, QString *error)
{
    return recordDownload({sha256, ended.toString(Qt::ISODate), device, outcome,
                              keptPath.isEmpty() ? QString() : QFileInfo(keptPath).absoluteFilePath(), hostName()},
        error);
}

bool Archive::recordDownload(const DownloadRow &d, QString *error)
{
    QSqlQuery q(QSqlDatabase::database(m_connection, false));
    q.prepare(QStringLiteral(
        "INSERT INTO downloads (sha256, ended_at, device, outcome, kept_path, host) VALUES (?, ?, ?, ?, ?, ?)"
        " ON CONFLICT (sha256, ended_at) DO NOTHING"));
    // An unknown PC stays unknown: NULL, never a name made up for it.
    for (const QVariant &v :
        {QVariant(d.sha256), QVariant(d.endedAt), QVariant(d.device), QVariant(d.outcome),
            d.keptPath.isEmpty() ? QVariant() : QVariant(d.keptPath), d.host.isEmpty() ? QVariant() : QVariant(d.host)})
        q.addBindValue(v);
    if (!exec(q, error))
        return false;
    // The latest download's time on the run itself: lists need no lookup a row.
    QSqlQuery latest(QSqlDatabase::database(m_connection, false));
    latest.prepare(
        QStringLiteral("UPDATE runs SET downloaded_at = (SELECT MAX(ended_at) FROM downloads WHERE sha256 = ?)"
                       " WHERE sha256 = ?"));
    latest.addBindValue(d.sha256);
    latest.addBindValue(d.sha256);
    return exec(latest, error);
}

std::optional<RunRow> Archive::run(const QString &sha256OrPrefix, QString *error) const
{
    QSqlDatabase db = QSqlDatabase::database(m_connection, false);
    QSqlQuery q(db);
    q.prepare(QStringLiteral("SELECT %1 FROM runs r WHERE r.sha256 LIKE ? ESCAPE '!' ORDER BY r.sha256 LIMIT 2")
                  .arg(sql::runColumns(historySource())));
    q.addBindValue(sql::likeEscaped(sha256OrPrefix.toLower()) + QLatin1Char('%'));
    if (!exec(q, error) || !q.next()) {
        if (error->isEmpty())
            *error = words::kNoSuchRun;
        return std::nullopt;
    }
    RunRow r = sql::rowFrom(q);
    if (q.next()) {
        *error = words::kAmbiguousPrefix;
        return std::nullopt;
    }
    QSqlQuery p(db);
    p.prepare(QStringLiteral("SELECT path FROM paths WHERE sha256 = ? ORDER BY seen_at, path"));
    p.addBindValue(r.sha256);
    if (exec(p, error))
        while (p.next())
            r.paths << p.value(0).toString();
    return r;
}

QString outcomeWords(const QString &outcome)
{
    static const std::pair<const char *, const char *> words[] = {{"complete", "完整"}, {"timed out", "超时未传完"},
        {"cut", "传输中断"}, {"line lost", "连接断开"}, {"interrupted", "被中止"}, {"paused", "测温仪中途停顿过"}};
    for (const auto &[stored, said] : words)
        if (outcome == QLatin1String(stored))
            return QString::fromUtf8(said);
    return outcome;
}

Provenance Archive::provenance(const QByteArray &fileBytes, const QString &path, QString *error) const
{
    QSqlDatabase db = QSqlDatabase::database(m_connection, false);
    Provenance p;
    const QString sha = sha256Of(fileBytes);
    // A whole download vouches before any partial one of the same bytes; the latest first.
    QSqlQuery q(db);
    q.prepare(QStringLiteral("SELECT ended_at, device, kept_path, outcome, host FROM downloads WHERE sha256 = ?"
                             " ORDER BY CASE WHEN outcome = 'complete' THEN 0 ELSE 1 END, ended_at DESC"));
    q.addBindValue(sha);
    auto take = [](const QSqlQuery &row, Provenance::Kind kind) {
        return Provenance{kind, QDateTime::fromString(row.value(0).toString(), Qt::ISODate), row.value(1).toString(),
            row.value(2).toString(), row.value(3).toString(), row.value(4).toString()};
    };
    if (!exec(q, error))
        return p;
    if (q.next())
        return take(q,
            q.value(3).toString() == QLatin1String("complete") ? Provenance::Downloaded
                                                               : Provenance::IncompleteDownload);
    // Not these bytes: was a download kept at this path?
    QSqlQuery k(db);
    k.prepare(QStringLiteral(
        "SELECT ended_at, device, kept_path, outcome, host FROM downloads WHERE kept_path = ? ORDER BY ended_at DESC"));
    k.addBindValue(QFileInfo(path).absoluteFilePath());
    if (exec(k, error) && k.next())
        return take(k, Provenance::ChangedSinceDownload);
    QString none; // not found is an answer here, not a failure
    if (run(sha, &none))
        p.kind = Provenance::NotDownloaded;
    return p;
}

QString Archive::provenanceWords(const QByteArray &fileBytes, const QString &path, QString *error) const
{
    const Provenance p = provenance(fileBytes, path, error);
    const QString when = p.when.toString(QStringLiteral("yyyy-MM-dd HH:mm:ss"));
    switch (p.kind) {
    case Provenance::Downloaded:
        return words::kDownloadedUnchanged.arg(when, p.device);
    case Provenance::IncompleteDownload:
        return words::kDownloadIncomplete.arg(outcomeWords(p.outcome), when, p.device);
    case Provenance::ChangedSinceDownload:
        return words::kChangedSinceDownload;
    case Provenance::NotDownloaded:
        return words::kInArchiveNotDownloaded;
    case Provenance::Unknown:
        break;
    }
    return words::kNotInArchive;
}
} // namespace zq
