// zqcli archive import: files and folders into the archive, each new run
// counted; with a server gone away, the rest waits in the local queue.
#include "archive/archive.h"
#include "cli/cli.h"
#include "core/datafile.h"

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

int importFiles(zq::Archive &archive, const QStringList &paths, const QString &local)
{
    int added = 0, known = 0, skipped = 0, queued = 0;
    bool offline = false;
    zq::Archive queue; // opened once the server is gone
    for (const QString &file : dataFilesUnder(paths)) {
        zq::RunFile run;
        QString error;
        const zq::DataFileRead read = zq::readDataFile(file);
        if (!read.ok || read.noReadings() || !zq::readRunFile(file, &run, &error)) {
            fail(QStringLiteral("%1: not a data file, skipped (%2)")
                     .arg(file, !read.ok ? read.error : read.noReadings() ? read.warning().section(QLatin1Char('\n'), 0, 0) : error));
            ++skipped;
            continue;
        }
        bool isNew = false;
        if (!offline && !archive.addRun(run.bytes, file, &isNew, &error).isEmpty()) {
            isNew ? ++added : ++known;
            continue;
        }
        // A server gone away: this file and the rest wait in the local archive.
        if (!offline && archive.isServer() && !archive.reachable(&error)) {
            offline = true;
            fail(QStringLiteral("%1 cannot be reached (%2): the rest is queued in %3 and sent by zqcli archive sync")
                     .arg(archive.path(), error, local));
            if (!queue.open(local, &error))
                fail(error);
        }
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
    return skipped ? Failed : queued ? Partial : Done;
}
} // namespace cli
