#pragma once
// What both front ends do with a run, each written once: the window and
// zqcli call these and decide none of it themselves.

#include "archive/archive.h"
#include "archive/registry.h"
#include "core/analysis.h"
#include "core/calibration.h"
#include "core/datafile.h"
#include "core/textexport.h"
#include "print/processreport.h"

struct DownloadResult;

namespace zq {

// The bytes a run is known by: the file's as they are on disk while it
// still holds `record`, else the record as SAVE would write it.
RunFile runBytes(const Record &record, const QString &path, bool *fromFile = nullptr);

// The bytes a download or an opened file is kept by: the file's as they
// are on disk (a copy with a line end appended is its own run, as sha256sum
// says); no file, the record as SAVE would write it.
RunFile keptBytes(const Record &record, const QString &path);

// A run kept in the archive, with the download it came from when there is
// one: its SHA-256, or empty with the reason. A download from a port the
// user said an instrument is on links the run to it (unless the run names
// one already); `warnings` gets what the user should hear of that: an
// unregistered instrument, a certificate past its due date. None refuses.
QString keepRun(Archive &archive, const RunFile &run, const QString &path, const DownloadResult *download,
    QString *error, QStringList *warnings = nullptr);
// The same run, as it waits in the local queue for a shared archive.
Archive::Queued queuedRun(const RunFile &run, const QString &path, const DownloadResult *download);

// The run linked to the instrument the user said is on the download's port
// (a run that names one already keeps it); what the user should hear of it.
QStringList linkDownloadInstrument(Archive &archive, const QString &sha256, const DownloadResult &download);

// The devices a run is to be linked to: one not given stays as it is, an
// empty one is unlinked.
struct DeviceChoice
{
    std::optional<QString> instrument;
    std::optional<QString> thermocouple;
    bool isEmpty() const { return !instrument && !thermocouple; }
};
// The run linked to the devices chosen: an instrument must be registered; a
// thermocouple that is not is only the field's text and corrects nothing; a
// worn or overheated one is linked all the same, and said in `warnings`. A
// signed run needs a reason and loses its signatures.
bool linkDevices(Archive &archive, const RunRow &run, const DeviceChoice &chosen, const QString &reason,
    QStringList *warnings, QString *error);
// What is wrong with a thermocouple for the run: used more often than its
// limit allows (counting the run, unless it is linked already), or the
// run's peak above its maximum temperature.
QStringList thermocoupleWarnings(const Device &tc, const RunRow &run, bool linkedAlready);

// A process check recorded as the run's verdict. Only a check of the whole
// run is one: a stretch of it is not what the run did. Its history row is
// what a shared archive is sent.
enum class VerdictKept { Recorded, NoVerdict, NotWholeRun, Failed };
// The check's history row says which certificates corrected its readings
// (`applied`; none: judged raw).
VerdictKept recordVerdict(Archive &archive, const QString &sha256, const Analysis &check, int readings,
    const Recipe &recipe, const Correction *applied, QString *error);

// The process report's part that is the archive's: the fingerprint of the
// bytes the figures come from, the file's name, the run's fields, notes,
// check count and the archive's word on the bytes. No archive: said so.
void fillFromArchive(
    ProcessReport *report, const RunFile &run, const QString &path, bool fromFile, const Archive *archive);
// The recipe's required fields left empty, said as a person reads it; empty when none.
QString missingFieldsText(const ProcessReport &report);

// An export of the run or a range of it, written whole or not at all.
bool exportRun(const Record &record, const QString &path, bool csv, const ReadingRange &range, QString *error);

// The archive at a path or server URL, opened for both front ends alike;
// null with the reason when it cannot be.
std::unique_ptr<Archive> openArchive(const QString &pathOrUrl, Archive::Access access, QString *error, QString *notice);

} // namespace zq
