// zqcli and a shared archive: the local queue of what the server has not
// yet got, filled when it cannot be reached and sent when it answers.
#include "archive/archive.h"
#include "archive/outbox.h"
#include "cli/cli.h"

#include <QCommandLineOption>
#include <QCommandLineParser>
#include <QFileInfo>
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

bool openArchive(zq::Archive &archive, const QCommandLineParser &parser, zq::Archive::Access access)
{
    QString error, notice;
    if (!archive.open(parser.value(QStringLiteral("archive")), &error, &notice, access)) {
        fail(error);
        return false;
    }
    if (!notice.isEmpty())
        std::fprintf(stderr, "zqcli: %s\n", qPrintable(notice));
    // The server answers: what waited for it goes first (not from a command that only reads).
    if (archive.isServer() && access == zq::Archive::Access::ReadWrite && QFileInfo::exists(localPath(parser)))
        (void)sendQueued(archive, localPath(parser));
    return true;
}

// The run is looked up before the server is given up on, so nothing is kept for a run not here.
bool openFor(
    zq::Archive &archive, const QCommandLineParser &parser, const QString &command, const QString &sha256, bool *kept)
{
    const bool reading = QStringList{"list", "show", "history", "check"}.contains(command);
    const bool edit = QStringList{"set", "approve", "note", "range"}.contains(command);
    const QString url = parser.value(QStringLiteral("archive"));
    if (!edit || !zq::Archive::isServerUrl(url))
        return openArchive(archive, parser, reading ? zq::Archive::Access::ReadOnly : zq::Archive::Access::ReadWrite);
    QString why;
    if (archive.open(url, &why)) {
        // The server answers: what waited for it goes first.
        if (QFileInfo::exists(localPath(parser)))
            (void)sendQueued(archive, localPath(parser));
        return true;
    }
    QString error;
    if (!archive.open(localPath(parser), &error) || !archive.run(sha256, &error)) {
        fail(QStringLiteral("%1 cannot be reached (%2), and the local archive %3 does not hold this run")
                 .arg(url, why, localPath(parser)));
        return false;
    }
    std::fprintf(stderr, "zqcli: %s cannot be reached (%s)\n", qPrintable(url), qPrintable(why));
    *kept = true;
    return true;
}

QString pendingText(const zq::Pending &pending)
{
    return QStringLiteral("%1 runs and %2 edits").arg(pending.runs).arg(pending.edits);
}
} // namespace cli
