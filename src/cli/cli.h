#pragma once

#include <QJsonObject>
#include <QString>
#include <QStringList>
#include <memory>

class QCommandLineOption;
class QCommandLineParser;
#include "archive/archive.h"
#include "archive/outbox.h"
// namespace zq
struct DownloadResult;
namespace zq {
struct ReadingRange;
}
class Instrument;

namespace cli {
// 4: a partial record was kept (cut, lost line, interrupted, time limit, not whole).
// 3: an analysis whose verdict is FAIL.
enum ExitCode { Done = 0, Failed = 1, BadUsage = 2, Unmet = 3, Partial = 4 };

// Cells as one CSV line (RFC 4180 quoting), without its line end.
QString csvLine(const QStringList &cells);

// One line on stderr naming what failed and why; returns Failed.
int fail(const QString &what);

// Parses a subcommand's arguments; returns -1 to go on, or the exit code
// (0 after --help, 2 on bad usage).
int parse(QCommandLineParser &parser, const QString &command, const QStringList &arguments);

// A data file as a record, read as the window reads it; false with a
// message naming it and why. A file without readings is said so and refused.
bool load(const QString &path, zq::Record *record);
bool sameFile(const QString &a, const QString &b);
// A range of readings (group ≥ 0) cut to the file's record, said on stderr;
// false, said, when no reading of it is there: a usage error.
bool fitRange(const QString &file, const zq::Record &record, zq::ReadingRange *range, const char *command);
// A folder for outputs, made (with its parents) when missing and said so; false, told, when it cannot be.
bool makeOutDir(const QString &dir);

int download(const QStringList &arguments);
// What a download is doing, in words on stderr (in place on a terminal); with
// `verbose` the window's status texts too. Holds the last count said.
std::shared_ptr<int> tellProgress(Instrument &instrument, bool terminal, bool verbose);
int live(const QStringList &arguments);
int exportFiles(const QStringList &arguments);
int report(const QStringList &arguments);
// zqcli report --process: the process report as a PDF/A file.
int processReport(const QStringList &arguments);
int info(const QStringList &arguments);
int analyze(const QStringList &arguments);
int archive(const QStringList &arguments);
// A run as zqcli archive list and show give it; show adds its notes, ranges
// and downloads, each with the PC it was made on (null: not known).
QJsonObject runJson(const zq::RunRow &r);
int showRun(zq::Archive &archive, const zq::RunRow &run);
int verify(const QStringList &arguments);
int calibration(const QStringList &arguments);
// The devices a run was measured with (a null string: left as it is), with
// warnings for a worn or overheated thermocouple.
int linkDevices(zq::Archive &archive, const zq::RunRow &run, const QString &instrument, const QString &thermocouple,
    const QString &reason);

// zqcli archive's options, each described; why a named range cannot be kept on a
// run of `readings` readings (empty when it can).
void addArchiveOptions(QCommandLineParser &parser);
QString rangeProblem(bool okFirst, bool okLast, const zq::NamedRange &range, int readings);

// --archive PATH, defaulting to the user's archive; opening it says why it failed.
// The archive may be a server's URL: then it first gets what waited for it
// in the local archive's queue (--local PATH).
QCommandLineOption archiveOption();
QCommandLineOption localOption();
// Reading commands (list, show, verify, the report) open it ReadOnly: they never write.
bool openArchive(zq::Archive &archive, const QCommandLineParser &parser,
    zq::Archive::Access access = zq::Archive::Access::ReadWrite);
QString localPath(const QCommandLineParser &parser);
// An edit (set, approve, note, range) with a server that does not answer is
// made in the local archive, whose queue sends it as the window's edits are
// sent (*kept says so); a command that only reads, or one on a run the local
// archive does not hold, fails while the server is down.
bool openFor(
    zq::Archive &archive, const QCommandLineParser &parser, const QString &command, const QString &sha256, bool *kept);
// Files and folders (recursively) into the archive; exit 4 when some wait for the server.
// An archive not open is a server that could not be reached (why: unreachable): all is queued.
int importFiles(zq::Archive &archive, const QStringList &paths, const QString &local, const QString &unreachable = {});
// zqcli archive import: into the archive --archive names; a server that
// cannot be reached gets it all through the local queue.
int importInto(const QCommandLineParser &parser, const QStringList &paths);
// zqcli archive push: every run of the local archive `from`, with its fields,
// verdict, notes, ranges and downloads, into the server's; again adds nothing.
int push(zq::Archive &server, const QString &from);
// zqcli archive's commands, as its help lists them.
QString archiveCommands();
// A run's history as text or JSON; every chain checked (Unmet naming each break).
int historyOf(zq::Archive &archive, const QString &sha256, const QString &format);
int checkHistories(zq::Archive &archive);
// The state a word names (draft, reviewed, approved); another word is an error.
std::optional<zq::RunState> stateNamed(const QString &word, QString *error);
// A signature on a run: --as NAME --meaning review|approve [--comment T].
int approveRun(zq::Archive &archive, const QCommandLineParser &parser, const QString &sha256);
// The local queue (runs, then edits) sent to the server; how many went, or -1 (told) when it stopped.
int sendQueued(zq::Archive &server, const QString &local);
// zqcli archive sync, once the queue went: the server's runs and history taken into the local archive, and
// what is still queued (runs and edits); Done only when nothing is.
int tellQueued(zq::Archive &server, const QString &local);
// "2 runs and 1 edits": what is queued or was sent, in the words sync prints.
QString pendingText(const zq::Pending &pending);

// A kept download in the run archive; a failure is said, never fatal.
void recordDownload(
    const QString &archivePath, const QString &local, const DownloadResult &result, const QString &keptPath);
// One run into the local archive's queue for the server.
bool queueLocally(const QString &local, const zq::Archive::Queued &run, QString *error);
} // namespace cli
