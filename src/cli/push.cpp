// zqcli archive push: a PC's own archive into the shared one, with all it
// holds, so moving to a shared archive loses nothing the user recorded.
#include "archive/archive.h"
#include "cli/cli.h"
#include "core/datafile.h"

#include <QHash>
#include <cstdio>

namespace cli {
namespace {
bool filled(const zq::RunFields &f)
{
    return !(f.operatorName + f.equipment + f.load + f.thermocouple + f.comment).isEmpty();
}

// One run and what the local archive holds of it; every step is one the
// server takes only once, so pushing again adds nothing.
bool pushRun(zq::Archive &server, const zq::Archive &local, const zq::RunRow &run,
    const QVector<zq::Archive::DownloadRow> &downloads, bool *isNew, QString *error)
{
    zq::RunFile file;
    const QString path = local.findFile(run.sha256, error);
    if (path.isEmpty() || !zq::readRunFile(path, &file, error)) {
        *error = QStringLiteral("no file here holds its bytes any more");
        return false;
    }
    bool ok = !server.addRun(file.bytes, path, isNew, error).isEmpty();
    for (const zq::Archive::DownloadRow &d : downloads)
        ok = ok
            && server.recordDownload(
                run.sha256, QDateTime::fromString(d.endedAt, Qt::ISODate), d.device, d.outcome, d.keptPath, error);
    if (ok && filled(run.fields))
        ok = server.setFields(run.sha256, run.fields, error);
    if (ok && !run.verdict.isEmpty())
        ok = server.setVerdict(run.sha256, run.verdict, run.recipe, error);
    for (const zq::RunNote &n : local.notes(run.sha256, error))
        ok = ok && server.addNoteOnce(run.sha256, n, error);
    for (const zq::NamedRange &r : local.ranges(run.sha256, error))
        ok = ok && server.saveRange(run.sha256, r, error);
    return ok;
}
} // namespace

int push(zq::Archive &server, const QString &from)
{
    zq::Archive local;
    QString error;
    if (!local.open(from, &error, nullptr, zq::Archive::Access::ReadOnly))
        return fail(error);
    const QVector<zq::RunRow> runs = local.list({}, &error);
    QHash<QString, QVector<zq::Archive::DownloadRow>> downloads;
    for (const zq::Archive::DownloadRow &d : local.downloads(&error))
        downloads[d.sha256].append(d);
    if (!error.isEmpty())
        return fail(QStringLiteral("%1: %2").arg(from, error));
    int added = 0, known = 0, skipped = 0;
    for (const zq::RunRow &run : runs) {
        bool isNew = false;
        error.clear();
        if (pushRun(server, local, run, downloads.value(run.sha256), &isNew, &error)) {
            isNew ? ++added : ++known;
            continue;
        }
        fail(QStringLiteral("run %1: %2, not sent").arg(run.sha256.left(16), error));
        ++skipped;
    }
    std::printf("%d new on the server, %d already there (brought up to date), %d skipped\n", added, known, skipped);
    return skipped ? Failed : Done;
}
} // namespace cli
