// Pushing a PC's own archive into the shared one, with all it holds, so
// moving to a shared archive loses nothing the user recorded. One
// implementation for zqcli and the window.
#include "archive/archive.h"
#include "core/datafile.h"

#include <QHash>

namespace zq {
namespace {
bool filled(const RunFields &f)
{
    return !(f.operatorName + f.equipment + f.load + f.thermocouple + f.comment).isEmpty();
}

// What the latest check here was judged on, as its history row says.
QString judgedOn(const Archive &local, const QString &sha256)
{
    QString ignored;
    const QVector<HistoryRow> rows = local.history(sha256, &ignored);
    for (auto r = rows.crbegin(); r != rows.crend(); ++r)
        if (r->what == QLatin1String("verdict"))
            return r->reason;
    return QString();
}

// One run and what the local archive holds of it; every step is one the
// server takes only once, so pushing again adds nothing.
bool pushRun(Archive &server, Archive &local, const RunRow &run, const QVector<Archive::DownloadRow> &downloads,
    bool *isNew, QString *error)
{
    RunFile file;
    const QString path = local.findFile(run.sha256, error);
    if (path.isEmpty() || !readRunFile(path, &file, error)) {
        *error = QStringLiteral("no file here holds its bytes any more");
        return false;
    }
    bool ok = !server.addRun(file.bytes, path, isNew, error).isEmpty();
    for (const Archive::DownloadRow &d : downloads)
        ok = ok && server.recordDownload(d, error);
    // Its history row by row, as the queue sends it; then what an older archive knew only as values found.
    const QVector<HistoryRow> rows = ok ? local.travellingHistory(run.sha256, error) : QVector<HistoryRow>();
    for (int i = 0; i < rows.size(); ++i) {
        const HistoryRow &row = rows.at(i);
        ok = ok && server.receive(row, error, madeSigned(rows, i));
        // Remembered where the archive may be written; else the queue finds the server has it already.
        QString readOnly;
        if (ok)
            local.markSent(row, &readOnly);
    }
    if (ok && filled(run.fields))
        ok = server.setFields(run.sha256, run.fields, error);
    // A verdict is a check in the history: sent again, it would count twice.
    const std::optional<RunRow> there = ok ? server.run(run.sha256, error) : std::nullopt;
    if (ok && !run.verdict.isEmpty() && !(there && there->verdict == run.verdict && there->recipe == run.recipe))
        ok = server.setVerdict(run.sha256, run.verdict, run.recipe, error, judgedOn(local, run.sha256));
    for (const RunNote &n : local.notes(run.sha256, error))
        ok = ok && server.addNoteOnce(run.sha256, n, error);
    for (const NamedRange &r : local.ranges(run.sha256, error))
        ok = ok && server.saveRange(run.sha256, r, error);
    return ok;
}
} // namespace

Archive::PushCount Archive::pushInto(
    Archive &server, const std::function<void(const QString &)> &skipped, QString *error)
{
    PushCount count;
    const QVector<RunRow> runs = list({}, error);
    QHash<QString, QVector<DownloadRow>> downloads;
    for (const DownloadRow &d : this->downloads(error))
        downloads[d.sha256].append(d);
    if (!error->isEmpty())
        return count;
    for (const RunRow &run : runs) {
        bool isNew = false;
        QString why;
        if (pushRun(server, *this, run, downloads.value(run.sha256), &isNew, &why)) {
            isNew ? ++count.added : ++count.known;
            continue;
        }
        skipped(QStringLiteral("run %1: %2, not sent").arg(run.sha256.left(16), why));
        ++count.skipped;
    }
    return count;
}
} // namespace zq
