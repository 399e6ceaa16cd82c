#include "archive/outbox.h"

#include "archive/archive.h"
#include "archive/registry.h"

#include <QHash>

namespace zq {
Pending pendingFor(const Archive &local, QString *error)
{
    return {local.queuedCount(error), int(local.queuedEdits(error).size() + local.unsentHistory(error).size())};
}

namespace {
bool sendRuns(Archive &local, Archive &server, Pending *sent, QString *error)
{
    const QVector<Archive::Queued> runs = local.queued(error);
    if (!error->isEmpty())
        return false;
    for (const Archive::Queued &run : runs) {
        if (!Archive::send(server, run, error) || !local.unqueue(run.id, error))
            return false;
        ++sent->runs;
    }
    return true;
}

// Whether the server holds the run; a server that fails to say stops the drain.
bool serverHolds(Archive &server, const QString &sha256, bool *holds, QString *error)
{
    // A device's chain needs no run: the server takes its rows as they come.
    if ((*holds = isRegistryKey(sha256)))
        return true;
    QString none;
    *holds = server.run(sha256, &none).has_value();
    return *holds || none.isEmpty() || server.reachable(error);
}

// This archive's history rows, each run's in order; a run the server does
// not hold yet keeps its rows queued, and the drain goes on.
bool sendHistory(Archive &local, Archive &server, Pending *sent, QString *error)
{
    const QVector<HistoryRow> rows = local.unsentHistory(error);
    if (!error->isEmpty())
        return false;
    QHash<QString, bool> held;
    for (int i = 0; i < rows.size(); ++i) {
        const HistoryRow &row = rows.at(i);
        auto there = held.find(row.sha256);
        if (there == held.end()) {
            bool holds = false;
            if (!serverHolds(server, row.sha256, &holds, error))
                return false;
            there = held.insert(row.sha256, holds);
        }
        if (!*there)
            continue;
        if (!server.receive(row, error, madeSigned(rows, i)) || !local.markSent(row, error))
            return false;
        ++sent->edits;
    }
    return true;
}

bool sendEdits(Archive &local, Archive &server, Pending *sent, QString *error)
{
    const QVector<Archive::Edit> edits = local.queuedEdits(error);
    if (!error->isEmpty())
        return false;
    for (const Archive::Edit &edit : edits) {
        QString none;
        if (!server.run(edit.sha256, &none)) {
            // Not there, or the server failed: only the latter stops the drain.
            if (!none.isEmpty() && !server.reachable(error))
                return false;
            continue;
        }
        if (!Archive::send(server, edit, error) || !local.unqueueEdit(edit.id, error))
            return false;
        ++sent->edits;
    }
    return true;
}
} // namespace

bool drainQueue(Archive &local, Archive &server, Drained *drained, QString *error)
{
    Drained count;
    const bool done = sendRuns(local, server, &count.sent, error) && sendEdits(local, server, &count.sent, error)
        && sendHistory(local, server, &count.sent, error);
    QString ignored;
    count.left = pendingFor(local, &ignored);
    if (drained)
        *drained = count;
    return done;
}

bool pullFrom(Archive &local, Archive &server, QString *error)
{
    const QVector<RunRow> rows = server.list({}, error);
    const QHash<QString, int> there = server.chainLengths(error), here = local.chainLengths(error);
    if (!error->isEmpty())
        return false;
    // Only what each chain gained since the last pull comes.
    QVector<HistoryRow> gained;
    for (auto chain = there.cbegin(); chain != there.cend(); ++chain)
        if (chain.value() > here.value(chain.key()))
            gained += server.history(chain.key(), error).mid(here.value(chain.key()));
    if (!error->isEmpty() || !local.mirror(gained, error) || !local.merge(rows, error))
        return false;
    // The registry with them: a run linked on another PC is corrected here by the same certificates.
    const Registry theirs(server);
    const QVector<Device> devices = theirs.devices(error);
    const QHash<QString, RunDevices> links = theirs.links(error);
    if (!error->isEmpty() || !Registry(local).takeFrom(devices, links, error))
        return false;
    // The runs' downloads with them: where a run came from travels too.
    const QVector<Archive::DownloadRow> downloads = server.downloads(error);
    return error->isEmpty() && local.mergeDownloads(downloads, error);
}

ArchivePlace archivePlace(const QString &pathOrUrl, const QString &local)
{
    if (Archive::isServerUrl(pathOrUrl))
        return {local.isEmpty() ? Archive::defaultPath() : local, pathOrUrl};
    return {pathOrUrl.isEmpty() ? Archive::defaultPath() : pathOrUrl, QString()};
}
} // namespace zq
