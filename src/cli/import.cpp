// zqcli archive import: files and folders into the archive, each new run
// counted; with a server gone away, the rest waits in the local queue.
#include "archive/archive.h"
#include "cli/cli.h"
#include "core/datafile.h"

#include <QCommandLineParser>
#include <QDirIterator>
#include <QFileInfo>
#include <cstdio>

namespace cli {
namespace {
QStringList dataFilesUnder(const QStringList &paths)
{
    QStringList files;
    for (const QString &p : paths) {
        if (!QFileInfo(p).isDir()) {
            files << p;
            continue;
        }
        QDirIterator it(p, {QStringLiteral("*.ZQ"), QStringLiteral("*.zq")}, QDir::Files, QDirIterator::Subdirectories);
        while (it.hasNext())
            files << it.next();
    }
    return files;
}
} // namespace

int importFiles(zq::Archive &archive, const QStringList &paths, const QString &local, const QString &unreachable)
{
    int added = 0, known = 0, skipped = 0, queued = 0;
    bool offline = false;
    zq::Archive queue; // opened once the server is gone
    auto goOffline = [&](const QString &why) {
        offline = true;
        fail(QStringLiteral("%1 cannot be reached (%2): the rest is queued in %3 and sent by zqcli archive sync")
                 .arg(archive.path(), why, local));
        QString error;
        if (!queue.open(local, &error))
            fail(error);
    };
    // A server down from the start: everything waits in the local queue.
    if (!archive.isOpen())
        goOffline(unreachable);
    for (const QString &file : dataFilesUnder(paths)) {
        zq::RunFile run;
        QString error;
        const zq::DataFileRead read = zq::readDataFile(file);
        if (!read.ok || read.noReadings() || !zq::readRunFile(file, &run, &error)) {
            fail(QStringLiteral("%1: not a data file, skipped (%2)")
                     .arg(file,
                         !read.ok                ? read.error
                             : read.noReadings() ? read.warning().section(QLatin1Char('\n'), 0, 0)
                                                 : error));
            ++skipped;
            continue;
        }
        bool isNew = false;
        if (!offline && !archive.addRun(run.bytes, file, &isNew, &error).isEmpty()) {
            isNew ? ++added : ++known;
            continue;
        }
        // A server gone away: this file and the rest wait in the local archive.
        if (!offline && archive.isServer() && !archive.reachable(&error))
            goOffline(error);
        if (offline && queue.isOpen()
            && queue.queue({0, run.bytes, QFileInfo(file).absoluteFilePath(), {}, {}, {}}, &error)) {
            ++queued;
            continue;
        }
        fail(QStringLiteral("%1: %2").arg(file, error));
        ++skipped;
    }
    std::printf(
        "%d new, %d already in the archive, %d queued for the server, %d skipped\n", added, known, queued, skipped);
    QString error;
    if (queued)
        std::fprintf(stderr, "zqcli: %d 条待上传 (%s)\n", queue.queuedCount(&error), qPrintable(local));
    return skipped ? Failed : queued ? Partial : Done;
}
int importInto(const QCommandLineParser &parser, const QStringList &paths)
{
    zq::Archive archive;
    const QString where = parser.value(QStringLiteral("archive"));
    if (!zq::Archive::isServerUrl(where))
        return openArchive(archive, parser) ? importFiles(archive, paths, localPath(parser)) : Failed;
    // A server that does not answer takes the import later, from the local queue.
    QString error;
    if (!archive.open(where, &error))
        return importFiles(archive, paths, localPath(parser), error);
    if (QFileInfo::exists(localPath(parser)))
        (void)sendQueued(archive, localPath(parser));
    return importFiles(archive, paths, localPath(parser));
}
} // namespace cli
