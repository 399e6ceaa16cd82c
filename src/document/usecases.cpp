#include "document/usecases.h"
#include "document/texts.h"

#include "core/filewrite.h"
#include "link/instrument.h"

#include <QFileInfo>

namespace zq {

RunFile runBytes(const Record &record, const QString &path, bool *fromFile)
{
    RunFile file;
    QString error;
    const bool onDisk
        = !path.isEmpty() && readRunFile(path, &file, &error) && recordFromFileBytes(file.bytes) == record;
    if (!onDisk)
        file.sha256 = sha256Hex(file.bytes = dataFileBytes(record));
    if (fromFile)
        *fromFile = onDisk;
    return file;
}

RunFile keptBytes(const Record &record, const QString &path)
{
    RunFile file;
    QString error;
    if (path.isEmpty() || !readRunFile(path, &file, &error))
        file = runBytes(record, QString());
    return file;
}

QString keepRun(Archive &archive, const RunFile &run, const QString &path, const DownloadResult *download,
    QString *error, QStringList *warnings)
{
    bool isNew = false;
    QString sha = archive.addRun(run.bytes, path, &isNew, error);
    if (sha.isEmpty())
        return sha;
    if (download
        && !archive.recordDownload(sha, download->ended, download->device, outcomeName(download->outcome), path, error))
        return QString();
    const QStringList told = download ? linkDownloadInstrument(archive, sha, *download) : QStringList();
    if (warnings)
        *warnings = told;
    return sha;
}

Archive::Queued queuedRun(const RunFile &run, const QString &path, const DownloadResult *download)
{
    Archive::Queued q{0, run.bytes, path, {}, {}, {}};
    if (download) {
        q.ended = download->ended;
        q.device = download->device;
        q.outcome = outcomeName(download->outcome);
    }
    return q;
}

VerdictKept recordVerdict(Archive &archive, const QString &sha256, const Analysis &check, int readings,
    const Recipe &recipe, const Correction *applied, QString *error)
{
    if (!check.pass)
        return VerdictKept::NoVerdict;
    if (check.first != 0 || check.last != readings - 1)
        return VerdictKept::NotWholeRun;
    const QString verdict = *check.pass ? QStringLiteral("PASS") : QStringLiteral("FAIL");
    const QString how = judgedRecipeText(recipe);
    if (sha256.isEmpty() || !archive.setVerdict(sha256, verdict, how, error, judgedOnText(applied)))
        return VerdictKept::Failed;
    return VerdictKept::Recorded;
}

void fillFromArchive(ProcessReport *r, const RunFile &run, const QString &path, bool fromFile, const Archive *archive)
{
    r->fileName = fromFile ? QFileInfo(path).fileName() : unsavedRecordText();
    r->sha256 = run.sha256;
    r->provenance = archiveUnavailableText();
    if (!archive)
        return;
    QString error;
    if (const std::optional<RunRow> row = archive->run(run.sha256, &error)) {
        r->fields = row->fields;
        r->checks = row->checks;
        r->failedChecks = row->failedChecks;
    }
    r->signatures = archive->signatures(run.sha256, &error);
    r->notes = archive->notes(run.sha256, &error);
    r->provenance = archive->provenanceWords(run.bytes, path, &error);
}

QString missingFieldsText(const ProcessReport &report)
{
    return missingFields(report.recipe, report.fields).join(QStringLiteral("、"));
}

bool exportRun(const Record &record, const QString &path, bool csv, const ReadingRange &range, QString *error)
{
    if (!record.holdsData())
        return false;
    const QByteArray bytes = csv ? exportCsv(record, range) : exportText(record, range);
    return writeFileWhole(path, bytes, error);
}

std::unique_ptr<Archive> openArchive(const QString &pathOrUrl, Archive::Access access, QString *error, QString *notice)
{
    auto archive = std::make_unique<Archive>();
    const QString where = pathOrUrl.isEmpty() ? Archive::defaultPath() : pathOrUrl;
    if (!archive->open(where, error, notice, access))
        return nullptr;
    return archive;
}

} // namespace zq
