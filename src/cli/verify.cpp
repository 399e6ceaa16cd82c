// zqcli verify, and a download recorded in the run archive.
#include "archive/archive.h"
#include "cli/cli.h"
#include "core/datafile.h"
#include "document/usecases.h"
#include "link/instrument.h"

#include <QCommandLineParser>
#include <QFileInfo>
#include <cstdio>

namespace cli {
void recordDownload(
    const QString &archivePath, const QString &local, const DownloadResult &result, const QString &keptPath)
{
    QString error, notice;
    const zq::RunFile run = zq::keptBytes(result.record, keptPath);
    // The archive is never needed: a download goes on without it, told why.
    zq::Archive archive;
    if (archive.open(archivePath, &error, &notice) && archive.isServer() && QFileInfo::exists(local))
        (void)sendQueued(archive, local);
    QStringList warnings;
    const bool recorded
        = archive.isOpen() && !zq::keepRun(archive, run, keptPath, &result, &error, &warnings).isEmpty();
    for (const QString &text : QStringList(notice) + warnings)
        if (!text.isEmpty())
            std::fprintf(stderr, "zqcli: %s\n", qPrintable(text));
    if (recorded)
        return;
    // A server that does not answer gets it later, from the local queue.
    QString why;
    if (zq::Archive::isServerUrl(archivePath) && queueLocally(local, zq::queuedRun(run, keptPath, &result), &why)) {
        std::fprintf(stderr, "zqcli: %s: %s; the download is queued in %s for it\n", qPrintable(archive.path()),
            qPrintable(error), qPrintable(local));
        return;
    }
    std::fprintf(stderr, "zqcli: the archive was not updated: %s\n", qPrintable(error.isEmpty() ? why : error));
}

int verify(const QStringList &arguments)
{
    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral(
        "Whether these exact bytes came from a download (when, from which port), changed since a download at that "
        "path, or are unknown. Exit codes: 0 verified, 3 not verified, 1 error, 2 bad usage."));
    parser.addOption(archiveOption());
    parser.addOption(localOption());
    parser.addPositionalArgument(QStringLiteral("file"), QStringLiteral("A data file."), QStringLiteral("FILE.ZQ"));
    if (const int rc = parse(parser, QStringLiteral("verify"), arguments); rc >= 0)
        return rc;
    if (parser.positionalArguments().size() != 1) {
        std::fputs(qPrintable(parser.helpText()), stderr);
        return BadUsage;
    }
    const QString file = parser.positionalArguments().constFirst();
    zq::RunFile run;
    QString error;
    if (!zq::readRunFile(file, &run, &error))
        return fail(QStringLiteral("%1: %2").arg(file, error));
    zq::Archive archive;
    if (!openArchive(archive, parser, zq::Archive::Access::ReadOnly))
        return Failed;
    const zq::Provenance p = archive.provenance(run.bytes, file, &error);
    if (!error.isEmpty())
        return fail(error);
    // The PC too: one recorded before PCs were named is not known, and said so.
    const QString pc = p.host.isEmpty() ? QStringLiteral("an unknown PC") : p.host;
    const QByteArray when = p.when.toString(Qt::ISODate).toUtf8(), device = (p.device + " on " + pc).toUtf8();
    // Only a whole download of these very bytes is vouched for; every other answer says why not.
    switch (p.kind) {
    case zq::Provenance::Downloaded:
        std::printf("verified: downloaded %s from %s\n", when.constData(), device.constData());
        return Done;
    case zq::Provenance::IncompleteDownload:
        std::printf("not verified: 下载不完整：%s (%s), downloaded %s from %s\n",
            qPrintable(zq::outcomeWords(p.outcome)), qPrintable(p.outcome), when.constData(), device.constData());
        return Unmet;
    case zq::Provenance::ChangedSinceDownload:
        std::printf("not verified: changed since it was downloaded %s from %s\n", when.constData(), device.constData());
        return Unmet;
    case zq::Provenance::NotDownloaded:
        std::printf("not verified: in the archive, but not from a download (imported, opened or analysed)\n");
        return Unmet;
    case zq::Provenance::Unknown:
        break;
    }
    std::printf("not verified: unknown to the archive\n");
    return Unmet;
}
} // namespace cli
