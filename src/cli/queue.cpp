// zqcli and a shared archive: the local queue of what the server has not
// yet got, filled when it cannot be reached and sent when it answers.
#include "archive/archive.h"
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
    return parser.value(QStringLiteral("local"));
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
    const QVector<zq::Archive::Queued> waiting = queue.queued(&error);
    int sent = 0;
    for (const zq::Archive::Queued &run : waiting) {
        if (!zq::Archive::send(server, run, &error)) {
            fail(QStringLiteral("%1: %2 (%3 runs still queued in %4)")
                     .arg(server.path(), error)
                     .arg(waiting.size() - sent)
                     .arg(local));
            return -1;
        }
        queue.unqueue(run.id, &error);
        ++sent;
    }
    if (sent)
        std::fprintf(stderr, "zqcli: %d queued runs sent to %s\n", sent, qPrintable(server.path()));
    return sent;
}
} // namespace cli
