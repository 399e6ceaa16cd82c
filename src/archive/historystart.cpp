// An archive made before there was history: each run's first row states the
// values it was found with, so later changes have something to start from.
#include "archive/archive.h"
#include "archive/sql.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QSqlQuery>

namespace zq {
namespace {
QJsonObject foundValues(const RunRow &r, const QVector<RunNote> &notes, const QVector<NamedRange> &ranges)
{
    QJsonArray n, g;
    for (const RunNote &note : notes)
        n.append(QJsonObject{{QStringLiteral("at"), note.atReading}, {QStringLiteral("text"), note.text}});
    for (const NamedRange &range : ranges)
        g.append(QJsonObject{{QStringLiteral("name"), range.name}, {QStringLiteral("first"), range.first},
            {QStringLiteral("last"), range.last}});
    const RunFields &f = r.fields;
    return {{QStringLiteral("operator"), f.operatorName}, {QStringLiteral("equipment"), f.equipment},
        {QStringLiteral("load"), f.load}, {QStringLiteral("thermocouple"), f.thermocouple},
        {QStringLiteral("comment"), f.comment}, {QStringLiteral("verdict"), r.verdict},
        {QStringLiteral("recipe"), r.recipe}, {QStringLiteral("notes"), n}, {QStringLiteral("ranges"), g}};
}
} // namespace

bool Archive::startHistories(QString *error)
{
    QSqlQuery q(QSqlDatabase::database(m_connection, false));
    q.prepare(QStringLiteral("SELECT %1 FROM runs r WHERE NOT EXISTS (SELECT 1 FROM history h"
                             " WHERE h.sha256 = r.sha256) ORDER BY r.sha256")
                  .arg(sql::runColumns(historySource())));
    if (!sql::exec(q, error))
        return false;
    QVector<RunRow> runs;
    while (q.next())
        runs.append(sql::rowFrom(q));
    q.finish();
    for (const RunRow &r : runs) {
        HistoryRow row;
        row.sha256 = r.sha256;
        row.what = QStringLiteral("found");
        row.newValue = QString::fromUtf8(QJsonDocument(foundValues(r, notes(r.sha256, error), ranges(r.sha256, error)))
                                             .toJson(QJsonDocument::Compact));
        if (!appendHistory(row, error))
            return false;
    }
    return true;
}
} // namespace zq
