// zqcli archive and zqcli verify: the run archive from a script.
#include "archive/archive.h"
#include "cli/cli.h"
#include "core/datafile.h"
#include "link/instrument.h"

#include <QCommandLineParser>
#include <QDir>
#include <QDirIterator>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QRegularExpression>
#include <cstdio>

namespace cli {
QCommandLineOption archiveOption()
{
    return QCommandLineOption(QStringLiteral("archive"),
        QStringLiteral("The run archive: a file, or a server's postgresql:// URL (default: %1).")
            .arg(zq::Archive::defaultPath()),
        QStringLiteral("PATH"), zq::Archive::defaultPath());
}

namespace {
// A usage error said in one line, without the whole help text.
int usageError(const QString &command, const QString &why)
{
    std::fprintf(stderr, "zqcli archive %s: %s\n", qPrintable(command), qPrintable(why));
    return BadUsage;
}

int listRuns(zq::Archive &archive, const QCommandLineParser &p)
{
    zq::RunFilter filter;
    // A date that is not one is a mistake to say, never a filter to drop.
    for (const auto &[name, into] : {std::pair{"since", &filter.since}, std::pair{"until", &filter.until}}) {
        const QString text = p.value(QString::fromLatin1(name));
        static const QRegularExpression strict(QStringLiteral("^\\d{4}-\\d{2}-\\d{2}$"));
        *into = strict.match(text).hasMatch() ? QDate::fromString(text, QStringLiteral("yyyy-MM-dd")) : QDate();
        if (p.isSet(QString::fromLatin1(name)) && !into->isValid()) {
            std::fprintf(
                stderr, "zqcli archive: --%s %s: not a date (YYYY-MM-DD, e.g. 2026-12-06)\n", name, qPrintable(text));
            return BadUsage;
        }
    }
    filter.equipment = p.value(QStringLiteral("equipment"));
    filter.verdict = p.value(QStringLiteral("verdict"));
    filter.search = p.value(QStringLiteral("search"));
    QString error;
    if (p.isSet(QStringLiteral("state")) && !(filter.state = stateNamed(p.value(QStringLiteral("state")), &error)))
        return fail(error);
    const QVector<zq::RunRow> rows = archive.list(filter, &error);
    if (!error.isEmpty())
        return fail(error);
    const QString format = p.value(QStringLiteral("format"));
    if (format == QLatin1String("json")) {
        QJsonArray out;
        for (const zq::RunRow &r : rows)
            out.append(runJson(r));
        std::printf("%s", QJsonDocument(out).toJson().constData());
        return Done;
    }
    const bool csv = format == QLatin1String("csv");
    // One write for the whole list: thousands of small ones cost more than the query.
    QString out;
    out.reserve(int(rows.size()) * 96 + 80);
    if (csv)
        out += QStringLiteral(
            "sha256,date,type,readings,peak,equipment,load,operator,verdict,comment,checks,failed_checks\r\n");
    for (const zq::RunRow &r : rows) {
        const QString when = (r.downloadedAt.isEmpty() ? r.addedAt : r.downloadedAt)
                                 .left(16)
                                 .replace(QLatin1Char('T'), QLatin1Char(' '));
        const QStringList cells{r.sha256.left(16), when,
            r.dataType == 1 ? QStringLiteral("STYLE0") : QStringLiteral("STYLE1"), QString::number(r.readings),
            QString::number(r.peak), r.fields.equipment, r.fields.load, r.fields.operatorName, r.verdict,
            r.fields.comment, QString::number(r.checks), QString::number(r.failedChecks)};
        out += csv ? csvLine(cells) + QStringLiteral("\r\n") : cells.join(QLatin1Char('\t')) + QLatin1Char('\n');
    }
    const QByteArray bytes = out.toLocal8Bit();
    std::fwrite(bytes.constData(), 1, size_t(bytes.size()), stdout);
    return Done;
}

// A run named by a file (its bytes) or by its hash or a prefix of it.
QString shaOf(const QString &fileOrHash)
{
    zq::RunFile file;
    QString error;
    if (QFileInfo(fileOrHash).isFile() && zq::readRunFile(fileOrHash, &file, &error))
        return file.sha256;
    return fileOrHash;
}

// show, note, range or set, on one run.
int runCommand(zq::Archive &archive, const QCommandLineParser &parser, const QString &command, const zq::RunRow &run)
{
    QString error;
    if (command == QLatin1String("show"))
        return showRun(archive, run);
    if (command == QLatin1String("note")) {
        bool ok = false;
        const int at = parser.value(QStringLiteral("at")).toInt(&ok);
        if (!ok || parser.value(QStringLiteral("text")).isEmpty())
            return usageError(command, QStringLiteral("--at takes a reading number and --text the note"));
        // A note stands at a reading of the run, or nowhere anyone can find it.
        if (at < 0 || at >= run.readings)
            return usageError(command,
                QStringLiteral("--at %1 lies outside the run: it has %2 readings, 0 to %3")
                    .arg(at)
                    .arg(run.readings)
                    .arg(run.readings - 1));
        return archive.addNote(run.sha256, {at, parser.value(QStringLiteral("text"))}, &error,
                   parser.value(QStringLiteral("reason")))
            ? Done
            : fail(error);
    }
    if (command == QLatin1String("range")) {
        bool okFirst = false, okLast = false;
        const zq::NamedRange r{parser.value(QStringLiteral("name")).trimmed(),
            parser.value(QStringLiteral("first")).toInt(&okFirst), parser.value(QStringLiteral("last")).toInt(&okLast)};
        if (const QString why = rangeProblem(okFirst, okLast, r, run.readings); !why.isEmpty())
            return usageError(command, why);
        return archive.saveRange(run.sha256, r, &error, parser.value(QStringLiteral("reason"))) ? Done : fail(error);
    }
    zq::RunFields f = run.fields;
    const std::pair<const char *, QString *> fields[] = {{"equipment", &f.equipment}, {"operator", &f.operatorName},
        {"load", &f.load}, {"thermocouple", &f.thermocouple}, {"comment", &f.comment}};
    for (const auto &[name, into] : fields)
        if (parser.isSet(QString::fromLatin1(name)))
            *into = parser.value(QString::fromLatin1(name));
    if (!archive.setFields(run.sha256, f, &error, parser.value(QStringLiteral("reason"))))
        return fail(error);
    const auto given = [&](const char *name) {
        return parser.isSet(QLatin1String(name)) ? parser.value(QLatin1String(name)) : QString();
    };
    if (parser.isSet(QStringLiteral("instrument")) || parser.isSet(QStringLiteral("thermocouple")))
        return linkDevices(
            archive, run, given("instrument"), given("thermocouple"), parser.value(QStringLiteral("reason")));
    return Done;
}

// BadUsage, told, when the command and its arguments do not go together; -1 when they do.
int usageProblem(const QCommandLineParser &parser, const QString &command, const QStringList &args)
{
    const bool oneRun = QStringList{"show", "history", "approve", "set", "note", "range"}.contains(command);
    if (args.isEmpty() || (command == QLatin1String("import") && args.size() < 2) || (oneRun && args.size() != 2)
        || !(oneRun || QStringList{"list", "import", "sync", "push", "check"}.contains(command))
        || !QStringList{"text", "csv", "json"}.contains(parser.value(QStringLiteral("format")))) {
        std::fputs(qPrintable(parser.helpText()), stderr);
        return BadUsage;
    }
    if (command == QLatin1String("push") && !zq::Archive::isServerUrl(parser.value(QStringLiteral("archive")))) {
        std::fputs("zqcli archive push: give the shared archive as --archive postgresql://…\n", stderr);
        return BadUsage;
    }
    return -1;
}
} // namespace

int archive(const QStringList &arguments)
{
    QCommandLineParser parser;
    parser.setApplicationDescription(archiveCommands());
    parser.addOption(archiveOption());
    parser.addOption(localOption());
    addArchiveOptions(parser);
    parser.addPositionalArgument(QStringLiteral("command"),
        QStringLiteral("list, import, sync, push, check, show, history, approve, set, note or range, then its file, "
                       "hash or paths."),
        QStringLiteral("COMMAND [FILE|HASH|PATH...]"));
    if (const int rc = parse(parser, QStringLiteral("archive"), arguments); rc >= 0)
        return rc;
    const QStringList args = parser.positionalArguments();
    const QString command = args.value(0);
    if (const int rc = usageProblem(parser, command, args); rc >= 0)
        return rc;
    if (command == QLatin1String("import"))
        return importInto(parser, args.mid(1));
    zq::Archive archive;
    bool kept = false; // the server did not answer: the edit waits in the local archive
    if (!openFor(archive, parser, command, shaOf(args.value(1)), &kept))
        return Failed;
    if (command == QLatin1String("sync"))
        return archive.isServer()
            ? tellQueued(archive, localPath(parser))
            : fail(QStringLiteral("sync sends the local queue to a server: give --archive postgresql://…"));
    if (command == QLatin1String("push"))
        return push(archive,
            parser.isSet(QStringLiteral("from")) ? parser.value(QStringLiteral("from")) : zq::Archive::defaultPath());
    if (command == QLatin1String("list"))
        return listRuns(archive, parser);
    if (command == QLatin1String("check"))
        return checkHistories(archive);
    // A registry device's chain, by its key: "instrument:SN-1".
    const QString named = args.value(1);
    if (command == QLatin1String("history") && !QFileInfo(named).exists()
        && (named.startsWith(QLatin1String("instrument:")) || named.startsWith(QLatin1String("thermocouple:"))))
        return historyOf(archive, named, parser.value(QStringLiteral("format")));
    QString error;
    const std::optional<zq::RunRow> run = archive.run(shaOf(args.value(1)), &error);
    if (!run)
        return fail(QStringLiteral("%1: %2").arg(args.value(1), error));
    if (command == QLatin1String("history"))
        return historyOf(archive, run->sha256, parser.value(QStringLiteral("format")));
    const int rc = command == QLatin1String("approve") ? approveRun(archive, parser, run->sha256)
                                                       : runCommand(archive, parser, command, *run);
    if (kept && rc == Done)
        std::fprintf(stderr, "zqcli: kept in %s; zqcli archive sync sends it\n", qPrintable(archive.path()));
    return kept && rc == Done ? Partial : rc;
}

} // namespace cli
