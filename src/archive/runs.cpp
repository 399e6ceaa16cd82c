// The archive's runs: adding, recording, editing and finding them.
#include "archive/archive.h"

#include "core/datafile.h"
#include "core/listlines.h"
#include "core/summary.h"

#include <QFileInfo>
#include <QSqlError>
#include <QSqlQuery>
#include <QVariant>

namespace zq {
namespace {
QString now()
{
    return QDateTime::currentDateTime().toString(Qt::ISODate);
}

bool execQuery(QSqlQuery &q, QString *error)
{
    if (q.exec())
        return true;
    *error = q.lastError().text();
    return false;
}

const QString kColumns = QStringLiteral(
    "r.sha256, r.data_type, r.readings, r.failed, r.first_stamp, r.last_stamp, r.peak, r.verdict, r.recipe,"
    " r.operator, r.equipment, r.load, r.thermocouple, r.comment, r.added_at,"
    " r.downloaded_at");

RunRow rowFrom(const QSqlQuery &q)
{
    RunRow r;
    r.sha256 = q.value(0).toString();
    r.dataType = q.value(1).toInt();
    r.readings = q.value(2).toInt();
    r.failed = q.value(3).toInt();
    r.firstStamp = q.value(4).toString();
    r.lastStamp = q.value(5).toString();
    r.peak = q.value(6).toInt();
    r.verdict = q.value(7).toString();
    r.recipe = q.value(8).toString();
    r.fields = {q.value(9).toString(), q.value(10).toString(), q.value(11).toString(), q.value(12).toString(),
        q.value(13).toString()};
    r.addedAt = q.value(14).toString();
    r.downloadedAt = q.value(15).toString();
    return r;
}
} // namespace

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
             QVariant(s.first), QVariant(s.last), s.valid ? QVariant(s.maximum) : QVariant(), QVariant(now())})
        q.addBindValue(v);
    if (!execQuery(q, error)) {
        db.rollback();
        return QString();
    }
    *isNew = q.numRowsAffected() > 0;
    if (!seenAt.isEmpty()) {
        QSqlQuery p(db);
        p.prepare(QStringLiteral(
            "INSERT INTO paths (sha256, path, seen_at) VALUES (?, ?, ?) ON CONFLICT (sha256, path) DO NOTHING"));
        p.addBindValue(sha);
        p.addBindValue(QFileInfo(seenAt).absoluteFilePath());
        p.addBindValue(now());
        if (!execQuery(p, error)) {
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

bool Archive::recordDownload(const QString &sha256, const QDateTime &ended, const QString &device,
    const QString &outcome, const QString &keptPath, QString *error)
{
    QSqlQuery q(QSqlDatabase::database(m_connection, false));
    q.prepare(
        QStringLiteral("INSERT INTO downloads (sha256, ended_at, device, outcome, kept_path) VALUES (?, ?, ?, ?, ?)"
                       " ON CONFLICT (sha256, ended_at) DO NOTHING"));
    for (const QVariant &v : {QVariant(sha256), QVariant(ended.toString(Qt::ISODate)), QVariant(device),
             QVariant(outcome), QVariant(QFileInfo(keptPath).absoluteFilePath())})
        q.addBindValue(v);
    if (!execQuery(q, error))
        return false;
    // The latest download's time on the run itself: lists need no lookup a row.
    QSqlQuery latest(QSqlDatabase::database(m_connection, false));
    latest.prepare(
        QStringLiteral("UPDATE runs SET downloaded_at = (SELECT MAX(ended_at) FROM downloads WHERE sha256 = ?)"
                       " WHERE sha256 = ?"));
    latest.addBindValue(sha256);
    latest.addBindValue(sha256);
    return execQuery(latest, error);
}

bool Archive::setVerdict(const QString &sha256, const QString &verdict, const QString &recipe, QString *error)
{
    QSqlQuery q(QSqlDatabase::database(m_connection, false));
    q.prepare(QStringLiteral("UPDATE runs SET verdict = ?, recipe = ? WHERE sha256 = ?"));
    q.addBindValue(verdict);
    q.addBindValue(recipe);
    q.addBindValue(sha256);
    return execQuery(q, error);
}

bool Archive::setFields(const QString &sha256, const RunFields &f, QString *error)
{
    // One row, one statement: of two users' edits the later one stands whole.
    QSqlQuery q(QSqlDatabase::database(m_connection, false));
    q.prepare(QStringLiteral(
        "UPDATE runs SET operator = ?, equipment = ?, load = ?, thermocouple = ?, comment = ? WHERE sha256 = ?"));
    for (const QString &v : {f.operatorName, f.equipment, f.load, f.thermocouple, f.comment, sha256})
        q.addBindValue(v);
    if (!execQuery(q, error))
        return false;
    if (q.numRowsAffected() == 0)
        *error = QStringLiteral("记录库中没有这个记录");
    return q.numRowsAffected() > 0;
}

bool Archive::addNote(const QString &sha256, const RunNote &note, QString *error)
{
    QSqlQuery q(QSqlDatabase::database(m_connection, false));
    q.prepare(QStringLiteral("INSERT INTO notes (sha256, at_reading, text, created_at) VALUES (?, ?, ?, ?)"));
    q.addBindValue(sha256);
    q.addBindValue(note.atReading);
    q.addBindValue(note.text);
    q.addBindValue(now());
    return execQuery(q, error);
}

namespace {
// The WHERE clause of a filter and its values.
QString whereOf(const RunFilter &filter, QVariantList *values)
{
    QStringList where;
    const QString day = QStringLiteral("substr(COALESCE(r.downloaded_at, r.added_at), 1, 10)");
    if (filter.since.isValid())
        where << day + QStringLiteral(" >= ?"), *values << filter.since.toString(Qt::ISODate);
    if (filter.until.isValid())
        where << day + QStringLiteral(" <= ?"), *values << filter.until.toString(Qt::ISODate);
    if (!filter.equipment.isEmpty())
        where << QStringLiteral("r.equipment = ?"), *values << filter.equipment;
    if (!filter.verdict.isEmpty())
        where << QStringLiteral("r.verdict = ?"), *values << filter.verdict.toUpper();
    if (!filter.search.isEmpty()) {
        const QString like = QLatin1Char('%') + filter.search + QLatin1Char('%');
        QStringList any;
        for (const char *c : {"operator", "equipment", "load", "thermocouple", "comment", "recipe", "sha256"})
            any << QStringLiteral("r.%1 LIKE ?").arg(QLatin1String(c)), *values << like;
        any << QStringLiteral("EXISTS (SELECT 1 FROM notes n WHERE n.sha256 = r.sha256 AND n.text LIKE ?)");
        *values << like;
        where << QLatin1Char('(') + any.join(QStringLiteral(" OR ")) + QLatin1Char(')');
    }
    return where.isEmpty() ? QString() : QStringLiteral(" WHERE ") + where.join(QStringLiteral(" AND "));
}
} // namespace

QVector<RunRow> Archive::list(const RunFilter &filter, QString *error) const
{
    QVariantList values;
    QSqlQuery q(QSqlDatabase::database(m_connection, false));
    q.prepare(QStringLiteral("SELECT %1 FROM runs r%2 ORDER BY r.added_at DESC, r.sha256")
                  .arg(kColumns, whereOf(filter, &values)));
    for (const QVariant &v : values)
        q.addBindValue(v);
    QVector<RunRow> rows;
    if (!execQuery(q, error))
        return rows;
    while (q.next())
        rows.append(rowFrom(q));
    return rows;
}

QSqlQuery Archive::browse(const RunFilter &filter, int orderBy, QString *error) const
{
    QVariantList values;
    QSqlQuery q(QSqlDatabase::database(m_connection, false));
    const int column = qBound(1, qAbs(orderBy), 10);
    q.prepare(
        QStringLiteral("SELECT r.sha256, substr(COALESCE(r.downloaded_at, "
                       "r.added_at), 1, 16) AS day,"
                       " CASE r.data_type WHEN 1 THEN 'STYLE 0' ELSE 'STYLE 1' END, r.readings, r.peak,"
                       " r.equipment, r.load, r.operator, r.verdict, r.comment FROM runs r%1 ORDER BY %2 %3, r.sha256")
            .arg(whereOf(filter, &values))
            .arg(column)
            .arg(orderBy < 0 ? QStringLiteral("DESC") : QStringLiteral("ASC")));
    for (const QVariant &v : values)
        q.addBindValue(v);
    execQuery(q, error);
    return q;
}

QStringList Archive::equipments(QString *error) const
{
    QSqlQuery q(QSqlDatabase::database(m_connection, false));
    q.prepare(QStringLiteral("SELECT DISTINCT equipment FROM runs WHERE equipment <> '' ORDER BY equipment"));
    QStringList out;
    if (execQuery(q, error))
        while (q.next())
            out << q.value(0).toString();
    return out;
}

QString Archive::findFile(const QString &sha256, QString *error) const
{
    QSqlQuery q(QSqlDatabase::database(m_connection, false));
    q.prepare(QStringLiteral("SELECT kept_path FROM downloads WHERE sha256 = ? UNION ALL"
                             " SELECT path FROM paths WHERE sha256 = ?"));
    q.addBindValue(sha256);
    q.addBindValue(sha256);
    if (!execQuery(q, error))
        return QString();
    while (q.next()) {
        QString path = q.value(0).toString();
        QByteArray bytes;
        QString ignored;
        if (readFileHead(path, kTimeFileBytes + 1, &bytes, &ignored) && sha256Of(bytes) == sha256)
            return path;
    }
    return QString();
}

std::optional<RunRow> Archive::run(const QString &sha256OrPrefix, QString *error) const
{
    QSqlDatabase db = QSqlDatabase::database(m_connection, false);
    QSqlQuery q(db);
    q.prepare(QStringLiteral("SELECT %1 FROM runs r WHERE r.sha256 LIKE ? ORDER BY r.sha256 LIMIT 2").arg(kColumns));
    q.addBindValue(sha256OrPrefix.toLower() + QLatin1Char('%'));
    if (!execQuery(q, error) || !q.next()) {
        if (error->isEmpty())
            *error = QStringLiteral("记录库中没有这个记录");
        return std::nullopt;
    }
    RunRow r = rowFrom(q);
    if (q.next()) {
        *error = QStringLiteral("不止一个记录以此开头");
        return std::nullopt;
    }
    QSqlQuery p(db);
    p.prepare(QStringLiteral("SELECT path FROM paths WHERE sha256 = ? ORDER BY seen_at"));
    p.addBindValue(r.sha256);
    if (execQuery(p, error))
        while (p.next())
            r.paths << p.value(0).toString();
    return r;
}

QVector<RunNote> Archive::notes(const QString &sha256, QString *error) const
{
    QSqlQuery q(QSqlDatabase::database(m_connection, false));
    q.prepare(QStringLiteral("SELECT at_reading, text FROM notes WHERE sha256 = ? ORDER BY at_reading, created_at"));
    q.addBindValue(sha256);
    QVector<RunNote> out;
    if (execQuery(q, error))
        while (q.next())
            out.append({q.value(0).toInt(), q.value(1).toString()});
    return out;
}

Provenance Archive::provenance(const QByteArray &fileBytes, const QString &path, QString *error) const
{
    QSqlDatabase db = QSqlDatabase::database(m_connection, false);
    Provenance p;
    QSqlQuery q(db);
    q.prepare(QStringLiteral("SELECT ended_at, device, kept_path FROM downloads WHERE sha256 = ? ORDER BY ended_at"));
    q.addBindValue(sha256Of(fileBytes));
    if (execQuery(q, error) && q.next()) {
        p = {Provenance::Downloaded, QDateTime::fromString(q.value(0).toString(), Qt::ISODate), q.value(1).toString(),
            q.value(2).toString()};
        return p;
    }
    // Not these bytes: was a download kept at this path?
    QSqlQuery k(db);
    k.prepare(QStringLiteral("SELECT ended_at, device, kept_path FROM downloads WHERE kept_path = ?"));
    k.addBindValue(QFileInfo(path).absoluteFilePath());
    if (execQuery(k, error) && k.next())
        p = {Provenance::ChangedSinceDownload, QDateTime::fromString(k.value(0).toString(), Qt::ISODate),
            k.value(1).toString(), k.value(2).toString()};
    return p;
}
} // namespace zq
