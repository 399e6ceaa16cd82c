// The commands over the serial line: download and live. Both run the same
// machines as the window, driven by the port's notifications and timers.
#include "cli/cli.h"
#include "core/datafile.h"
#include "core/format.h"
#include "link/commport.h"
#include "link/download.h"
#include "link/onlinepoll.h"

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

QString portFailure(const CommPort &port, const QString &reason)
{
    return QStringLiteral("%1: %2").arg(port.deviceName(), reason);
}
} // namespace

int download(const QStringList &arguments)
{
    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral(
        "Downloads the instrument's record with the window's handshake and writes it as a .ZQ data file."));
    const QCommandLineOption port = portOption();
    const QCommandLineOption output(QStringList{QStringLiteral("o"), QStringLiteral("output")},
        QStringLiteral("The data file (default: a new name from the local time, here)."), QStringLiteral("file"));
    parser.addOptions({port, output});
    if (const int rc = parse(parser, QStringLiteral("download"), arguments); rc >= 0)
        return rc;
    if (!parser.isSet(port) || !parser.positionalArguments().isEmpty()) {
        std::fputs(qPrintable(parser.helpText()), stderr);
        return BadUsage;
    }
    CommPort line;
    line.setDevices(parser.value(port), parser.value(port));
    auto ws = std::make_unique<Workspace>();
    ReadComMachine machine(*ws, line);
    QString lost;
    QObject::connect(&line, &CommPort::onComm, &machine, [&machine](int event) {
        if (event == CommPort::kReceive)
            machine.receive();
    });
    QObject::connect(&line, &CommPort::lineLost, &machine, [&](const QString &reason) {
        lost = reason;
        machine.lineLost();
    });
    const bool terminal = ::isatty(STDERR_FILENO);
    QObject::connect(&machine, &ReadComMachine::status, &machine, [terminal](const QString &text) {
        // One line that updates in place on a terminal; plain lines otherwise.
        std::fprintf(stderr, terminal ? "\r%-16s" : "%s\n", qPrintable(text));
    });
    int rc = Done;
    QObject::connect(&machine, &ReadComMachine::finished, &machine, [&](ReadComMachine::Outcome outcome) {
        if (terminal)
            std::fputc('\n', stderr);
        const int count = machine.received();
        if (outcome == ReadComMachine::NoReply) {
            rc = fail(portFailure(line, lost.isEmpty() ? QStringLiteral("no reply (COM ERR)") : lost));
        } else if (count == 0) {
            rc = fail(portFailure(line, QStringLiteral("no readings came")));
        } else {
            if (outcome == ReadComMachine::Cut || outcome == ReadComMachine::TimedOut || !lost.isEmpty())
                std::fprintf(stderr, "zqcli: transfer cut short: %d readings came; they are kept\n", count);
            QString error;
            QString path = parser.value(output);
            if (path.isEmpty())
                path = zq::keepDownload(QDir::currentPath(), *ws, QDateTime::currentDateTime(), &error);
            else if (!zq::writeFileWhole(path, zq::dataFileBytes(*ws), &error))
                path.clear();
            if (path.isEmpty())
                rc = fail(QStringLiteral("%1: %2").arg(parser.value(output), error));
            else
                std::printf("%s\n", qPrintable(QDir::current().relativeFilePath(path)));
        }
        QCoreApplication::exit(rc);
    });
    quitOnInterrupt(&machine, [&machine] { machine.abort(); });
    QString error;
    if (machine.start(&error) != ReadComMachine::Started)
        return fail(portFailure(line, error));
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
    CommPort line;
    line.setDevices(parser.value(port), parser.value(port));
    auto ws = std::make_unique<Workspace>();
    OnlinePollMachine poll(*ws, line);
    QObject::connect(&line, &CommPort::onComm, &poll, [&poll](int event) {
        if (event == CommPort::kReceive)
            poll.receive();
    });
    QString shown;
    QObject::connect(&poll, &OnlinePollMachine::status, &poll, [&shown](const QString &text) { shown = text; });
    int done = 0;
    int rc = Done;
    QObject::connect(&poll, &OnlinePollMachine::finished, &poll, [&] {
        std::printf(
            "%s\t%s\n", qPrintable(QTime::currentTime().toString(QStringLiteral("HH:mm:ss"))), qPrintable(shown));
        std::fflush(stdout);
        if (polls > 0 && ++done >= polls)
            QCoreApplication::exit(Done);
    });
    QObject::connect(&line, &CommPort::lineLost, &poll, [&](const QString &reason) {
        poll.abort();
        rc = fail(portFailure(line, reason));
        QCoreApplication::exit(rc);
    });
    QTimer tick;
    tick.setInterval(every);
    auto start = [&] {
        if (poll.active())
            return;
        QString error;
        if (poll.start(&error) == OnlinePollMachine::OpenFailed) {
            rc = fail(portFailure(line, error));
            QCoreApplication::exit(rc);
        }
    };
    QObject::connect(&tick, &QTimer::timeout, &poll, start);
    quitOnInterrupt(&poll, [&poll] {
        poll.abort();
        QCoreApplication::exit(Done);
    });
    tick.start();
    QTimer::singleShot(0, &poll, start);
    const int loop = QCoreApplication::exec();
    poll.abort();
    return rc != Done ? rc : loop;
}
} // namespace cli
