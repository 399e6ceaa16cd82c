#include "archive/outbox.h"

#include "archive/archive.h"

namespace zq {
Pending pendingFor(const Archive &local, QString *error)
{
    return {local.queuedCount(error), int(local.queuedEdits(error).size())};
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
    const bool done = sendRuns(local, server, &count.sent, error) && sendEdits(local, server, &count.sent, error);
    QString ignored;
    count.left = pendingFor(local, &ignored);
    if (drained)
        *drained = count;
    return done;
}

ArchivePlace archivePlace(const QString &pathOrUrl, const QString &local)
{
    if (Archive::isServerUrl(pathOrUrl))
        return {local.isEmpty() ? Archive::defaultPath() : local, pathOrUrl};
    return {pathOrUrl.isEmpty() ? Archive::defaultPath() : pathOrUrl, QString()};
}
} // namespace zq
