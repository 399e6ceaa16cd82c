// The commands over the serial line: download and live. Both run the same
// machines as the window, driven by the port's notifications and timers.
#include "archive/archive.h"
#include "cli/cli.h"
#include "core/datafile.h"
#include "core/format.h"
#include "link/instrument.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QDir>
#include <QSocketNotifier>
#include <QTime>
#include <QTimer>
#include <csignal>
#include <cstdio>
#include <memory>
#include <sys/socket.h>
#include <unistd.h>

namespace cli {
namespace {
QCommandLineOption portOption()
{
    return QCommandLineOption(
        QStringLiteral("port"), QStringLiteral("The serial device, e.g. /dev/ttyUSB0."), QStringLiteral("device"));
}

int interruptPipe[2] = {-1, -1};

void onInterrupt(int)
{
    const char c = 1;
    (void)::write(interruptPipe[1], &c, 1);
}

// Ctrl+C ends the event loop through a notifier, so the port is closed by
// the ordinary way out.
void quitOnInterrupt(QObject *context, const std::function<void()> &quit)
{
    if (::socketpair(AF_UNIX, SOCK_STREAM, 0, interruptPipe) != 0)
        return;
    auto *notifier = new QSocketNotifier(interruptPipe[0], QSocketNotifier::Read, context);
    QObject::connect(notifier, &QSocketNotifier::activated, context, [quit] {
        char c = 0;
        (void)::read(interruptPipe[0], &c, 1);
        quit();
    });
    std::signal(SIGINT, onInterrupt);
    std::signal(SIGTERM, onInterrupt);
}

QString portFailure(const Instrument &instrument, const QString &reason)
{
    return QStringLiteral("%1: %2").arg(instrument.deviceName(), reason);
}

QString oneLine(QString text)
{
    return text.replace(QLatin1Char('\n'), QLatin1Char(' '));
}

// Why a kept record is partial, in a word a script's log can hold.
QString partialReason(const DownloadResult &result)
{
    if (!result.note.isEmpty())
        return oneLine(result.note);
    return result.outcome == ReadComMachine::Aborted ? QStringLiteral("interrupted") : QStringLiteral("cut short");
}

// The record written where asked, then what the window would tell, on
// stderr; the exit code. Nothing is said to be kept before it is.
int keep(const DownloadResult &result, const Instrument &line, const QString &output, const QString &rawOutput,
    const QString &archivePath, const QString &local = QString())
{
    if (result.outcome == ReadComMachine::NoReply)
        return fail(portFailure(line, QStringLiteral("no reply (COM ERR)")));
    QString error = result.keepError;
    if (!rawOutput.isEmpty() && !result.raw.isEmpty() && !zq::writeFileWhole(rawOutput, result.raw, &error))
        return fail(QStringLiteral("%1: %2").arg(rawOutput, error));
    if (result.record.count() == 0) {
        QString why
            = result.note.isEmpty() ? portFailure(line, QStringLiteral("no readings came")) : oneLine(result.note);
        if (!result.rawPath.isEmpty())
            why += QStringLiteral(" [%1]").arg(QDir::current().relativeFilePath(result.rawPath));
        return fail(why);
    }
    QString path = result.keptPath;
    if (!output.isEmpty())
        path = zq::writeFileWhole(output, zq::dataFileBytes(result.record), &error) ? output : QString();
    if (path.isEmpty())
        return fail(QStringLiteral("%1: %2").arg(output.isEmpty() ? QDir::currentPath() : output, error));
    std::printf("%s\n", qPrintable(output.isEmpty() ? QDir::current().relativeFilePath(path) : output));
    std::fflush(stdout);
    if (!archivePath.isEmpty())
        recordDownload(archivePath, local, result, path);
    if (!result.partial())
        return Done;
    std::fprintf(stderr, "zqcli: partial record kept: %s\n", qPrintable(partialReason(result)));
    return Partial;
}
} // namespace

int download(const QStringList &arguments)
{
    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral(
        "Downloads the instrument's record with the window's handshake and writes it as a .ZQ data file.\n"
        "Exit codes: 0 a whole record kept, 1 nothing kept, 2 bad usage, 4 a partial record kept."));
    const QCommandLineOption port = portOption();
    const QCommandLineOption output(QStringList{QStringLiteral("o"), QStringLiteral("output")},
        QStringLiteral("The data file (default: a new name from the local time, here, with its .raw beside it)."),
        QStringLiteral("file"));
    const QCommandLineOption raw(QStringLiteral("raw"),
        QStringLiteral("Also write the bytes as they came off the line to this file."), QStringLiteral("file"));
    const QCommandLineOption archive(QStringLiteral("archive"),
        QStringLiteral("The run archive to record it in: a file, or a server's postgresql:// URL."),
        QStringLiteral("PATH"), zq::Archive::defaultPath());
    const QCommandLineOption local = localOption();
    const QCommandLineOption serial(QStringLiteral("instrument"),
        QStringLiteral("The registered instrument on the port (its serial number): the run is linked to it, and a "
                       "certificate past its due date is told."),
        QStringLiteral("SERIAL"));
    const QCommandLineOption verbose(QStringLiteral("verbose"),
        QStringLiteral("Also print the window's status texts as they come (COM Test Begin, the count, COM ERR)."));
    parser.addOptions({port, output, raw, archive, local, serial, verbose});
    if (const int rc = parse(parser, QStringLiteral("download"), arguments); rc >= 0)
        return rc;
    if (!parser.isSet(port) || !parser.positionalArguments().isEmpty()) {
        std::fputs(qPrintable(parser.helpText()), stderr);
        return BadUsage;
    }
    Instrument instrument;
    instrument.setDevices(parser.value(port), parser.value(port));
    instrument.setInstrumentFor(1, parser.value(serial));
    const QString named = parser.value(output);
    // Without -o the download is kept here under a new name, as the window keeps its copies.
    if (named.isEmpty())
        instrument.setKeepDir(QDir::currentPath());
    const bool terminal = ::isatty(STDERR_FILENO);
    const std::shared_ptr<int> shown = tellProgress(instrument, terminal, parser.isSet(verbose));
    int rc = Done;
    QObject::connect(&instrument, &Instrument::downloadEnded, &instrument, [&](const DownloadResult &result) {
        if (result.record.count() != *shown && result.record.count() > 0)
            std::fprintf(stderr, terminal ? "\r%d readings received" : "%d readings received\n", result.record.count());
        if (terminal)
            std::fputc('\n', stderr);
    });
    // Kept, told and recorded once it is settled: a silence ends a transfer,
    // but it is whole only if nothing comes while the line is watched.
    QObject::connect(&instrument, &Instrument::downloadSettled, &instrument, [&](const DownloadResult &result) {
        rc = keep(result, instrument, named, parser.value(raw), parser.value(archive),
            zq::archivePlace(parser.value(archive), parser.value(local)).local);
        QCoreApplication::exit(rc);
    });
    quitOnInterrupt(&instrument, [&instrument] { instrument.abort(); });
    QString message;
    if (instrument.startDownload(&message) != Instrument::Started)
        return fail(oneLine(message));
    std::fprintf(stderr, "asking the instrument on %s for its record…\n", qPrintable(parser.value(port)));
    QCoreApplication::exec();
    return rc;
}

int live(const QStringList &arguments)
{
    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral(
        "Prints the instrument's live reading, one line a poll: local time, then the reading as the window shows it."));
    const QCommandLineOption port = portOption();
    const QCommandLineOption count(QStringLiteral("count"), QStringLiteral("Stop after N polls (default: Ctrl+C)."),
        QStringLiteral("N"), QStringLiteral("0"));
    const QCommandLineOption interval(QStringLiteral("interval"), QStringLiteral("Time between polls (1000)."),
        QStringLiteral("ms"), QStringLiteral("1000"));
    parser.addOptions({port, count, interval});
    if (const int rc = parse(parser, QStringLiteral("live"), arguments); rc >= 0)
        return rc;
    bool okCount = false, okInterval = false;
    const int polls = parser.value(count).toInt(&okCount);
    const int every = parser.value(interval).toInt(&okInterval);
    if (!parser.isSet(port) || !okCount || !okInterval || polls < 0 || every < 1) {
        std::fputs(qPrintable(parser.helpText()), stderr);
        return BadUsage;
    }
    Instrument instrument;
    instrument.setDevices(parser.value(port), parser.value(port));
    QString shown;
    QObject::connect(&instrument, &Instrument::status, &instrument, [&shown](const QString &text) { shown = text; });
    int done = 0;
    int rc = Done;
    QObject::connect(&instrument, &Instrument::pollEnded, &instrument, [&] {
        std::printf(
            "%s\t%s\n", qPrintable(QTime::currentTime().toString(QStringLiteral("HH:mm:ss"))), qPrintable(shown));
        std::fflush(stdout);
        if (polls > 0 && ++done >= polls)
            QCoreApplication::exit(Done);
    });
    QObject::connect(&instrument, &Instrument::pollLineLost, &instrument, [&](const QString &message) {
        rc = fail(oneLine(message));
        QCoreApplication::exit(rc);
    });
    QTimer tick;
    tick.setInterval(every);
    auto start = [&] {
        QString message;
        if (instrument.startPoll(&message) == Instrument::Failed) {
            rc = fail(oneLine(message));
            QCoreApplication::exit(rc);
        }
    };
    QObject::connect(&tick, &QTimer::timeout, &instrument, start);
    quitOnInterrupt(&instrument, [&instrument] {
        instrument.stopPoll();
        QCoreApplication::exit(Done);
    });
    tick.start();
    QTimer::singleShot(0, &instrument, start);
    const int loop = QCoreApplication::exec();
    instrument.stopPoll();
    return rc != Done ? rc : loop;
}
} // namespace cli
