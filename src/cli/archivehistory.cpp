// zqcli archive history and check: a run's rows as kept, and every chain verified.
#include "archive/archive.h"
#include "cli/cli.h"

#include <QCommandLineParser>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <cstdio>

namespace cli {
namespace {
QJsonObject rowJson(const zq::HistoryRow &h)
{
    return {{QStringLiteral("position"), h.position}, {QStringLiteral("at"), h.at}, {QStringLiteral("user"), h.osUser},
        {QStringLiteral("signer"), h.signer}, {QStringLiteral("what"), h.what}, {QStringLiteral("old"), h.oldValue},
        {QStringLiteral("new"), h.newValue}, {QStringLiteral("reason"), h.reason},
        {QStringLiteral("previous_hash"), h.previousHash}, {QStringLiteral("hash"), h.hash}};
}
} // namespace

int historyOf(zq::Archive &archive, const QString &sha256, const QString &format)
{
    QString error;
    const QVector<zq::HistoryRow> rows = archive.history(sha256, &error);
    if (!error.isEmpty())
        return fail(error);
    if (format == QLatin1String("json")) {
        QJsonArray out;
        for (const zq::HistoryRow &h : rows)
            out.append(rowJson(h));
        std::printf("%s", QJsonDocument(out).toJson().constData());
        return Done;
    }
    QString out;
    for (const zq::HistoryRow &h : rows) {
        QStringList cells{QString::number(h.position), h.at, h.osUser, h.signer, h.what,
            h.oldValue.isEmpty() && h.newValue.isEmpty() ? QString() : h.oldValue + QStringLiteral(" -> ") + h.newValue,
            h.reason};
        for (QString &c : cells)
            c.replace(QLatin1Char('\n'), QLatin1Char(' ')).replace(QLatin1Char('\t'), QLatin1Char(' '));
        out += cells.join(QLatin1Char('\t')) + QLatin1Char('\n');
    }
    const QByteArray bytes = out.toLocal8Bit();
    std::fwrite(bytes.constData(), 1, size_t(bytes.size()), stdout);
    return Done;
}

std::optional<zq::RunState> stateNamed(const QString &word, QString *error)
{
    const QStringList words{"draft", "reviewed", "approved"};
    if (words.contains(word))
        return zq::RunState(words.indexOf(word));
    *error = QStringLiteral("--state %1: draft, reviewed or approved").arg(word);
    return std::nullopt;
}

int approveRun(zq::Archive &archive, const QCommandLineParser &parser, const QString &sha256)
{
    const QString meaning = parser.value(QStringLiteral("meaning"));
    if (parser.value(QStringLiteral("as")).trimmed().isEmpty() || !QStringList{"review", "approve"}.contains(meaning)) {
        std::fputs("zqcli archive approve: --as NAME and --meaning review|approve are needed\n", stderr);
        return BadUsage;
    }
    QString error;
    const auto m = meaning == QLatin1String("approve") ? zq::Archive::Meaning::Approve : zq::Archive::Meaning::Review;
    return archive.sign(sha256, parser.value(QStringLiteral("as")), m, parser.value(QStringLiteral("comment")), &error)
        ? Done
        : fail(error);
}

int checkHistories(zq::Archive &archive)
{
    QString error;
    const QVector<zq::ChainBreak> broken = archive.checkHistory(&error);
    if (!error.isEmpty())
        return fail(error);
    for (const zq::ChainBreak &b : broken)
        std::printf("%s: %s\n", qPrintable(b.sha256), qPrintable(b.why));
    if (broken.isEmpty())
        std::printf("every run's history is intact\n");
    return broken.isEmpty() ? Done : Unmet;
}
} // namespace cli
