// Review and approval: signatures kept as history rows, and the state of a
// run read back from them.
#include "archive/archive.h"
#include "archive/sql.h"
#include "archive/texts.h"

#include <QJsonDocument>
#include <QJsonObject>
#include <QSqlQuery>
#include <algorithm>

namespace zq {
namespace {
void follow(Check &c, const HistoryRow &r)
{
    if (r.what == QLatin1String("verdict"))
        c.verdict = r.newValue;
    else if (r.what == QLatin1String("recipe"))
        c.recipe = r.newValue;
    else if (r.what == QLatin1String("found")) {
        const QJsonObject found = QJsonDocument::fromJson(r.newValue.toUtf8()).object();
        c = {found.value(QStringLiteral("verdict")).toString(), found.value(QStringLiteral("recipe")).toString()};
    }
}
} // namespace

Check latestCheck(const QVector<HistoryRow> &rows)
{
    Check c;
    for (const HistoryRow &r : rows)
        follow(c, r);
    return c;
}

Check standingCheck(const QVector<HistoryRow> &rows)
{
    Check latest;
    std::optional<Check> approved;
    for (const HistoryRow &r : rows) {
        follow(latest, r);
        if (r.what == QLatin1String("approve"))
            approved = latest;
        else if (r.what == QLatin1String("withdrawn"))
            approved.reset();
    }
    return approved.value_or(latest);
}

Signatures signaturesOf(const QVector<HistoryRow> &rows)
{
    Signatures s;
    Check latest;
    for (const HistoryRow &r : rows) {
        follow(latest, r);
        if (r.what == QLatin1String("withdrawn"))
            s = Signatures();
        else if (r.what == QLatin1String("review"))
            s.review = {r.signer, r.at, r.reason}, s.state = RunState::Reviewed;
        else if (r.what == QLatin1String("approve"))
            s.approval = {r.signer, r.at, r.reason}, s.state = RunState::Approved, s.verdict = latest.verdict;
    }
    return s;
}

Signatures Archive::signatures(const QString &sha256, QString *error) const
{
    return signaturesOf(history(sha256, error));
}

bool Archive::withdrawSignatures(const QString &sha256, const QString &reason, QString *error)
{
    const QVector<HistoryRow> rows = history(sha256, error);
    const Signatures now = signaturesOf(rows);
    if (now.state == RunState::Draft)
        return true;
    if (reason.trimmed().isEmpty()) {
        *error = words::kSignedNeedsReason.arg(
            now.state == RunState::Approved ? words::kApprovedWord : words::kReviewedWord);
        return false;
    }
    const bool approved = now.state == RunState::Approved;
    if (!appendHistory(
            changeOf(sha256, QStringLiteral("withdrawn"), stateText(now.state), stateText(RunState::Draft), reason),
            error))
        return false;
    // Checks made while the approval stood were kept aside: the latest of them is the run's verdict again.
    const auto approval = std::find_if(
        rows.crbegin(), rows.crend(), [](const HistoryRow &r) { return r.what == QLatin1String("approve"); });
    const bool checkedSince
        = std::any_of(rows.crbegin(), approval, [](const HistoryRow &r) { return r.what == QLatin1String("verdict"); });
    if (!approved || !checkedSince)
        return true;
    const Check latest = latestCheck(rows);
    QSqlQuery q(QSqlDatabase::database(m_connection, false));
    q.prepare(QStringLiteral("UPDATE runs SET verdict = ?, recipe = ? WHERE sha256 = ?"));
    for (const QString &v : {latest.verdict, latest.recipe, sha256})
        q.addBindValue(v);
    return sql::exec(q, error);
}

bool Archive::sign(const QString &sha256, const QString &name, Meaning meaning, const QString &comment, QString *error)
{
    const QString signer = name.trimmed();
    if (signer.isEmpty()) {
        *error = words::kSignerNeeded;
        return false;
    }
    if (!beginWrite(error))
        return false;
    const Signatures now = signatures(sha256, error);
    const bool approve = meaning == Meaning::Approve;
    QString why;
    if (approve && now.state == RunState::Draft)
        why = words::kReviewBeforeApproval;
    else if (approve && now.review.name == signer)
        why = words::kReviewerCannotApprove.arg(signer);
    else if (now.state == RunState::Approved)
        why = words::kAlreadyApproved;
    if (!why.isEmpty()) {
        *error = why;
        return endWrite(false, error);
    }
    const bool ok
        = appendHistory(changeOf(sha256, approve ? QStringLiteral("approve") : QStringLiteral("review"), QString(),
                            stateText(approve ? RunState::Approved : RunState::Reviewed), comment, signer),
            error);
    return endWrite(ok, error);
}
} // namespace zq
