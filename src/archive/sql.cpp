#include "archive/sql.h"

#include <QSqlError>
#include <QVariant>

namespace zq::sql {
QString now()
{
    return QDateTime::currentDateTime().toString(Qt::ISODate);
}

bool exec(QSqlQuery &q, QString *error)
{
    if (q.exec())
        return true;
    *error = q.lastError().text();
    return false;
}

QString runColumns(const QString &history)
{
    return QStringLiteral(
        "r.sha256, r.data_type, r.readings, r.failed, r.first_stamp, r.last_stamp, r.peak, r.verdict, r.recipe,"
        " r.operator, r.equipment, r.load, r.thermocouple, r.comment, r.added_at, r.downloaded_at,"
        " (SELECT COUNT(*) FROM %1 h WHERE h.sha256 = r.sha256 AND h.what = 'verdict'),"
        " (SELECT COUNT(*) FROM %1 h WHERE h.sha256 = r.sha256 AND h.what = 'verdict'"
        " AND h.new_value = 'FAIL')")
        .arg(history);
}

QString runState(const QString &history)
{
    return QStringLiteral(
        "COALESCE((SELECT CASE h.what WHEN 'review' THEN 1 WHEN 'approve' THEN 2 ELSE 0 END FROM %1 h"
        " WHERE h.sha256 = r.sha256 AND h.what IN ('review', 'approve', 'withdrawn') ORDER BY h.seq DESC LIMIT 1),"
        " 0)")
        .arg(history);
}

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
    r.checks = q.value(16).toInt();
    r.failedChecks = q.value(17).toInt();
    return r;
}

QString likeEscaped(QString text)
{
    return text.replace(QLatin1Char('!'), QStringLiteral("!!"))
        .replace(QLatin1Char('%'), QStringLiteral("!%"))
        .replace(QLatin1Char('_'), QStringLiteral("!_"));
}

bool exec(const QSqlDatabase &db, const QString &statement, QString *error)
{
    QSqlQuery q(db);
    if (q.exec(statement))
        return true;
    *error = q.lastError().text();
    return false;
}
} // namespace zq::sql
