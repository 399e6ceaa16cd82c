// What a user pins to a run: notes at a reading, and named ranges.
#include "archive/archive.h"
#include "archive/sql.h"

#include <QSqlQuery>

namespace zq {
using sql::exec;

bool Archive::addNote(const QString &sha256, const RunNote &note, QString *error, const QString &reason)
{
    QSqlQuery q(QSqlDatabase::database(m_connection, false));
    q.prepare(QStringLiteral("INSERT INTO notes (sha256, at_reading, text, created_at) VALUES (?, ?, ?, ?)"));
    q.addBindValue(sha256);
    q.addBindValue(note.atReading);
    q.addBindValue(note.text);
    q.addBindValue(sql::now());
    if (!beginWrite(error))
        return false;
    const bool ok = exec(q, error)
        && appendHistory(changeOf(sha256, QStringLiteral("note"), {},
                             QStringLiteral("%1: %2").arg(note.atReading).arg(note.text), reason),
            error)
        && withdrawSignatures(sha256, reason, error);
    return endWrite(ok, error);
}

bool Archive::addNoteOnce(const QString &sha256, const RunNote &note, QString *error)
{
    QSqlQuery q(QSqlDatabase::database(m_connection, false));
    q.prepare(QStringLiteral("SELECT COUNT(*) FROM notes WHERE sha256 = ? AND at_reading = ? AND text = ?"));
    q.addBindValue(sha256);
    q.addBindValue(note.atReading);
    q.addBindValue(note.text);
    if (!exec(q, error) || !q.next())
        return false;
    return q.value(0).toInt() > 0 || addNote(sha256, note, error);
}

QVector<RunNote> Archive::notes(const QString &sha256, QString *error) const
{
    QSqlQuery q(QSqlDatabase::database(m_connection, false));
    q.prepare(QStringLiteral("SELECT at_reading, text FROM notes WHERE sha256 = ? ORDER BY at_reading, created_at"));
    q.addBindValue(sha256);
    QVector<RunNote> out;
    if (exec(q, error))
        while (q.next())
            out.append({q.value(0).toInt(), q.value(1).toString()});
    return out;
}

bool Archive::saveRange(const QString &sha256, const NamedRange &range, QString *error, const QString &reason)
{
    // A name given again moves that range: one range a name.
    QSqlQuery q(QSqlDatabase::database(m_connection, false));
    q.prepare(QStringLiteral("INSERT INTO ranges (sha256, name, first_reading, last_reading) VALUES (?, ?, ?, ?)"
                             " ON CONFLICT (sha256, name) DO UPDATE SET first_reading = excluded.first_reading,"
                             " last_reading = excluded.last_reading"));
    q.addBindValue(sha256);
    q.addBindValue(range.name);
    q.addBindValue(range.first);
    q.addBindValue(range.last);
    QString was;
    for (const NamedRange &r : ranges(sha256, error))
        if (r.name == range.name)
            was = QStringLiteral("%1-%2").arg(r.first).arg(r.last);
    const QString now = QStringLiteral("%1-%2").arg(range.first).arg(range.last);
    if (was == now)
        return true; // given again as it stands: nothing changes, nothing to record
    if (!beginWrite(error))
        return false;
    const bool ok = exec(q, error)
        && appendHistory(changeOf(sha256, QStringLiteral("range ") + range.name, was, now, reason), error)
        && withdrawSignatures(sha256, reason, error);
    return endWrite(ok, error);
}

QVector<NamedRange> Archive::ranges(const QString &sha256, QString *error) const
{
    QSqlQuery q(QSqlDatabase::database(m_connection, false));
    q.prepare(QStringLiteral(
        "SELECT name, first_reading, last_reading FROM ranges WHERE sha256 = ? ORDER BY first_reading, name"));
    q.addBindValue(sha256);
    QVector<NamedRange> out;
    if (exec(q, error))
        while (q.next())
            out.append({q.value(0).toString(), q.value(1).toInt(), q.value(2).toInt()});
    return out;
}
} // namespace zq
