// zqcli and a shared archive: the local queue of what the server has not
// yet got, filled when it cannot be reached and sent when it answers.
#include "archive/archive.h"
#include "archive/outbox.h"
#include "cli/cli.h"

#include <QCommandLineOption>
#include <QCommandLineParser>
#include <cstdio>

namespace cli {
QCommandLineOption localOption()
{
    return QCommandLineOption(QStringLiteral("local"),
        QStringLiteral("With a server: the local archive that queues what the server has not yet got (default: %1).")
            .arg(zq::Archive::defaultPath()),
        QStringLiteral("PATH"), zq::Archive::defaultPath());
}

QString localPath(const QCommandLineParser &parser)
{
    // The queue's file as the window would take it for the same --archive.
    return zq::archivePlace(parser.value(QStringLiteral("archive")), parser.value(QStringLiteral("local"))).local;
}

bool queueLocally(const QString &local, const zq::Archive::Queued &run, QString *error)
{
    zq::Archive archive;
    return archive.open(local, error) && archive.queue(run, error);
}

int sendQueued(zq::Archive &server, const QString &local)
{
    zq::Archive queue;
    QString error;
    if (!queue.open(local, &error)) {
        fail(error);
        return -1;
    }
    zq::Drained drained;
    if (!zq::drainQueue(queue, server, &drained, &error)) {
        fail(QStringLiteral("%1: %2 (%3 still queued in %4)")
                 .arg(server.path(), error, pendingText(drained.left), local));
        return -1;
    }
    if (drained.sent.total())
        std::fprintf(
            stderr, "zqcli: %s sent to %s\n", qPrintable(pendingText(drained.sent)), qPrintable(server.path()));
    return drained.sent.total();
}

int tellQueued(zq::Archive &server, const QString &local)
{
    zq::Archive queue;
    QString error;
    // What the server holds comes back here too: other PCs' runs, edits and history.
    if (!queue.open(local, &error) || !zq::pullFrom(queue, server, &error))
        return fail(error);
    const zq::Pending left = zq::pendingFor(queue, &error);
    std::printf("%s still queued\n", qPrintable(pendingText(left)));
    return left.total() == 0 && error.isEmpty() ? Done : Failed;
}

QString pendingText(const zq::Pending &pending)
{
    return QStringLiteral("%1 runs and %2 edits").arg(pending.runs).arg(pending.edits);
}
} // namespace cli
