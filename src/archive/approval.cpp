// Review and approval: signatures kept as history rows, and the state of a
// run read back from them.
#include "archive/archive.h"

namespace zq {

Signatures signaturesOf(const QVector<HistoryRow> &rows)
{
    Signatures s;
    for (const HistoryRow &r : rows) {
        if (r.what == QLatin1String("withdrawn"))
            s = Signatures();
        else if (r.what == QLatin1String("review"))
            s.review = {r.signer, r.at}, s.state = RunState::Reviewed;
        else if (r.what == QLatin1String("approve"))
            s.approval = {r.signer, r.at}, s.state = RunState::Approved;
    }
    return s;
}

bool Archive::withdrawSignatures(const QString &sha256, const QString &reason, QString *error)
{
    const Signatures now = signaturesOf(history(sha256, error));
    if (now.state == RunState::Draft)
        return true;
    if (reason.trimmed().isEmpty()) {
        *error = QStringLiteral("记录已%1：修改须写明理由（--reason），修改后记录退回草稿")
                     .arg(now.state == RunState::Approved ? QStringLiteral("批准") : QStringLiteral("审核"));
        return false;
    }
    return appendHistory(changeOf(sha256, QStringLiteral("withdrawn"),
                             now.state == RunState::Approved ? QStringLiteral("已批准") : QStringLiteral("已审核"),
                             QStringLiteral("草稿"), reason),
        error);
}

bool Archive::sign(const QString &sha256, const QString &name, Meaning meaning, const QString &comment, QString *error)
{
    const QString signer = name.trimmed();
    if (signer.isEmpty()) {
        *error = QStringLiteral("签名须写明签名人");
        return false;
    }
    if (!beginWrite(error))
        return false;
    const Signatures now = signaturesOf(history(sha256, error));
    const bool approve = meaning == Meaning::Approve;
    QString why;
    if (approve && now.state == RunState::Draft)
        why = QStringLiteral("批准前须先由另一人审核");
    else if (approve && now.review.name == signer)
        why = QStringLiteral("审核人 %1 不能再批准同一记录：批准须由另一人签名").arg(signer);
    else if (now.state == RunState::Approved)
        why = QStringLiteral("记录已批准");
    if (!why.isEmpty()) {
        *error = why;
        return endWrite(false, error);
    }
    const bool ok
        = appendHistory(changeOf(sha256, approve ? QStringLiteral("approve") : QStringLiteral("review"), QString(),
                            approve ? QStringLiteral("已批准") : QStringLiteral("已审核"), comment, signer),
            error);
    return endWrite(ok, error);
}
} // namespace zq
