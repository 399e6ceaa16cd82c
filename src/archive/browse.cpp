// Finding runs: lists and filters, the browsing query, and where a run's
// bytes can still be found.
#include "archive/archive.h"
#include "archive/sql.h"
#include "core/datafile.h"

#include <QHash>
#include <QRegularExpression>
#include <QSqlQuery>
#include <QVariant>

namespace zq {
using sql::exec;

namespace {
// The WHERE clause of a filter and its values.
QString whereOf(const RunFilter &filter, QVariantList *values, const QString &history)
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
    if (filter.state)
        where << sql::runState(history) + QStringLiteral(" = ?"), *values << int(*filter.state);
    if (!filter.search.isEmpty()) {
        // Lower case on both sides: SQLite and PostgreSQL then match alike.
        // The term is the user's letters: % and _ in it match themselves.
        const QString term = sql::likeEscaped(filter.search.toLower());
        const QString like = QLatin1Char('%') + term + QLatin1Char('%');
        QStringList any;
        for (const char *c : {"operator", "equipment", "load", "thermocouple", "comment", "recipe"})
            any << QStringLiteral("LOWER(r.%1) LIKE ? ESCAPE '!'").arg(QLatin1String(c)), *values << like;
        any << QStringLiteral(
            "EXISTS (SELECT 1 FROM notes n WHERE n.sha256 = r.sha256 AND LOWER(n.text) LIKE ? ESCAPE '!')");
        *values << like;
        // Eight hex digits or more name a run by its hash's beginning; fewer
        // would match by chance.
        static const QRegularExpression hex(QStringLiteral("^[0-9a-f]{8,64}$"));
        if (hex.match(filter.search.toLower()).hasMatch())
            any << QStringLiteral("r.sha256 LIKE ?"), *values << filter.search.toLower() + QLatin1Char('%');
        where << QLatin1Char('(') + any.join(QStringLiteral(" OR ")) + QLatin1Char(')');
    }
    return where.isEmpty() ? QString() : QStringLiteral(" WHERE ") + where.join(QStringLiteral(" AND "));
}
} // namespace

QVector<RunRow> Archive::list(const RunFilter &filter, QString *error) const
{
    QVariantList values;
    QSqlQuery q(QSqlDatabase::database(m_connection, false));
    // Read once, front to back: no copy of every row kept for going back.
    q.setForwardOnly(true);
    q.prepare(QStringLiteral("SELECT %1 FROM runs r%2 ORDER BY r.added_at DESC, r.sha256")
                  .arg(sql::runColumns(historySource()), whereOf(filter, &values, historySource())));
    for (const QVariant &v : values)
        q.addBindValue(v);
    QVector<RunRow> rows;
    if (!exec(q, error))
        return rows;
    rows.reserve(256);
    QHash<QString, qsizetype> at;
    while (q.next()) {
        rows.append(sql::rowFrom(q));
        at.insert(rows.last().sha256, rows.size() - 1);
    }
    // Every path a run was seen at, as show gives them: one query for the whole list.
    QSqlQuery p(QSqlDatabase::database(m_connection, false));
    p.setForwardOnly(true);
    if (!rows.isEmpty() && p.exec(QStringLiteral("SELECT sha256, path FROM paths ORDER BY seen_at, path")))
        while (p.next())
            if (const auto row = at.constFind(p.value(0).toString()); row != at.constEnd())
                rows[*row].paths << p.value(1).toString();
    return rows;
}

QSqlQuery Archive::browse(const RunFilter &filter, int orderBy, QString *error) const
{
    QVariantList values;
    QSqlQuery q(QSqlDatabase::database(m_connection, false));
    const int column = qBound(1, qAbs(orderBy), 13);
    // The run's own time: its first stamp, in the latest year that puts it
    // not after the download (or, with none, its adding), since stamps carry
    // no year; sequence data has only the download's end. ISO text, so the
    // order by it is the order of time.
    const QString ref = QStringLiteral("COALESCE(r.downloaded_at, r.added_at)");
    const QString runAt = QStringLiteral(
        "CASE WHEN r.data_type = 2 AND length(r.first_stamp) = 14 THEN"
        " CAST(CAST(substr(%1, 1, 4) AS INTEGER) - CASE WHEN substr(r.first_stamp, 1, 5) > substr(%1, 6, 5)"
        " THEN 1 ELSE 0 END AS TEXT) || '-' || substr(r.first_stamp, 1, 5) || 'T' || substr(r.first_stamp, 7, 8)"
        " ELSE %1 END")
                              .arg(ref);
    // The file's name: the latest kept copy, else the first path it was seen at.
    const QString path = QStringLiteral(
        "COALESCE((SELECT d.kept_path FROM downloads d WHERE d.sha256 = r.sha256 ORDER BY d.ended_at DESC LIMIT 1),"
        " (SELECT p.path FROM paths p WHERE p.sha256 = r.sha256 ORDER BY p.seen_at, p.path LIMIT 1), '')");
    q.prepare(QStringLiteral("SELECT r.sha256, %1, CASE r.data_type WHEN 1 THEN 'STYLE 0' ELSE 'STYLE 1' END,"
                             " r.readings, r.peak, r.equipment, r.load, r.operator, r.verdict, r.comment,"
                             " replace(%2, rtrim(%2, replace(%2, '/', '')), ''), r.added_at, %3"
                             " FROM runs r%4 ORDER BY %5 %6, r.sha256")
                  .arg(runAt, path, sql::runState(historySource()), whereOf(filter, &values, historySource()))
                  .arg(column)
                  .arg(orderBy < 0 ? QStringLiteral("DESC") : QStringLiteral("ASC")));
    for (const QVariant &v : values)
        q.addBindValue(v);
    exec(q, error);
    return q;
}

QStringList Archive::equipments(QString *error) const
{
    QSqlQuery q(QSqlDatabase::database(m_connection, false));
    q.prepare(QStringLiteral("SELECT DISTINCT equipment FROM runs WHERE equipment <> '' ORDER BY equipment"));
    QStringList out;
    if (exec(q, error))
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
    if (!exec(q, error))
        return QString();
    while (q.next()) {
        QString path = q.value(0).toString();
        RunFile file;
        QString ignored;
        if (readRunFile(path, &file, &ignored) && file.sha256 == sha256)
            return path;
    }
    return QString();
}

} // namespace zq
