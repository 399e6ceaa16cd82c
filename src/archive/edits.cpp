// A run's fields and verdict changed, each change written to its history in
// the same transaction.
#include "archive/archive.h"
#include "archive/sql.h"
#include "archive/texts.h"

#include <QSqlQuery>
#include <QVariant>

namespace zq {
using sql::exec;

namespace {
// The run as it stands before a change, by its full hash; none, said, when the archive lacks it.
std::optional<RunRow> knownRun(const Archive &archive, const QString &sha256, QString *error)
{
    QString none;
    std::optional<RunRow> run = archive.run(sha256, &none);
    if (!run || run->sha256 != sha256) {
        *error = words::kNoSuchRun;
        return std::nullopt;
    }
    return run;
}
} // namespace

bool Archive::setVerdict(
    const QString &sha256, const QString &verdict, const QString &recipe, QString *error, const QString &judgedOn)
{
    const std::optional<RunRow> before = knownRun(*this, sha256, error);
    if (!before || !beginWrite(error))
        return false;
    const QVector<HistoryRow> rows = history(sha256, error);
    // While an approval stands its verdict stays the run's; a later check is kept beside it.
    const bool approved = signaturesOf(rows).state == RunState::Approved;
    const Check last = approved ? latestCheck(rows) : Check{before->verdict, before->recipe};
    QSqlQuery q(QSqlDatabase::database(m_connection, false));
    q.prepare(QStringLiteral("UPDATE runs SET verdict = ?, recipe = ? WHERE sha256 = ?"));
    q.addBindValue(verdict);
    q.addBindValue(recipe);
    q.addBindValue(sha256);
    // Every check is a row, even one that finds what the last found.
    HistoryRow check;
    check.sha256 = sha256;
    check.what = QStringLiteral("verdict");
    check.oldValue = last.verdict;
    check.newValue = verdict;
    check.reason = judgedOn;
    bool ok = (approved || exec(q, error)) && appendHistory(check, error);
    if (ok && recipe != last.recipe)
        ok = appendHistory(changeOf(sha256, QStringLiteral("recipe"), last.recipe, recipe), error);
    return endWrite(ok, error);
}

bool Archive::setFields(const QString &sha256, const RunFields &f, QString *error, const QString &reason)
{
    const std::optional<RunRow> before = knownRun(*this, sha256, error);
    if (!before || !beginWrite(error))
        return false;
    // One row, one statement: of two users' edits the later one stands whole.
    QSqlQuery q(QSqlDatabase::database(m_connection, false));
    q.prepare(QStringLiteral(
        "UPDATE runs SET operator = ?, equipment = ?, load = ?, thermocouple = ?, comment = ? WHERE sha256 = ?"));
    for (const QString &v : {f.operatorName, f.equipment, f.load, f.thermocouple, f.comment, sha256})
        q.addBindValue(v);
    bool ok = exec(q, error);
    const RunFields &old = before->fields;
    const std::tuple<const char *, QString, QString> changes[] = {{"operator", old.operatorName, f.operatorName},
        {"equipment", old.equipment, f.equipment}, {"load", old.load, f.load},
        {"thermocouple", old.thermocouple, f.thermocouple}, {"comment", old.comment, f.comment}};
    bool changed = false;
    for (const auto &[name, was, now] : changes)
        if (ok && was != now)
            changed = true, ok = appendHistory(changeOf(sha256, QString::fromLatin1(name), was, now, reason), error);
    if (ok && changed)
        ok = withdrawSignatures(sha256, reason, error);
    return endWrite(ok, error);
}
} // namespace zq
