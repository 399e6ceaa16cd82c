// zqcli: the program's work without a window, for scripts and machines
// without a screen.
#include "cli/cli.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QGuiApplication>
#include <cstdio>
#include <cstdlib>
#include <memory>

namespace {
const char *const kUsage
    = "usage: zqcli COMMAND [options]   (options follow the command)\n"
      "\n"
      "  download --port DEVICE [-o FILE.ZQ] [--raw FILE] [--verbose]\n"
      "                              download the instrument's record, as 接收数据 does\n"
      "  live --port DEVICE [--count N] [--interval MS]\n"
      "                              print the live reading, one line a poll\n"
      "  export FILE.ZQ... [--format txt|csv] [-o OUT | --out-dir DIR] [--first N --last N]\n"
      "                              the text (GBK) or CSV export, whole or a range\n"
      "  report FILE.ZQ -o OUT.pdf [--group G] [--start N] [--base V]\n"
      "                              the designed one-page report as a PDF\n"
      "  report FILE.ZQ --process -o OUT.pdf [--recipe NAME] [analyze's options] [--operator X ...]\n"
      "                              the process report against a recipe (PDF/A)\n"
      "  info FILE.ZQ...             what each file holds\n"
      "  analyze FILE.ZQ... [--recipe NAME | --setpoint S --tol T ...] [--reference FILE.ZQ | --schedule]\n"
      "          [--format text|csv|json]\n"
      "                              the process check and its verdict\n"
      "  archive list [--since DATE] [--until DATE] [--equipment X] [--verdict pass|fail] [--search TEXT]\n"
      "                              the runs in the archive\n"
      "  archive import PATH...      files and folders into the archive\n"
      "  archive sync --archive URL  send what is queued here to the shared archive, and bring its runs and history\n"
      "  archive show FILE|HASH      a run's figures, fields, notes and named ranges\n"
      "  archive set FILE|HASH [--equipment X] [--operator X] [--load X] [--thermocouple X] [--comment X]\n"
      "          [--instrument SERIAL]\n"
      "                              fill in a run's fields; a registered instrument and thermocouple correct it\n"
      "  archive note FILE|HASH --at N --text T\n"
      "                              pin a note to a reading\n"
      "  archive range FILE|HASH --first N --last N --name T\n"
      "                              keep a range of readings under a name\n"
      "  verify FILE.ZQ              whether these bytes came from a download\n"
      "  calibration add-instrument|add-thermocouple SERIAL|ID --cert NO --calibrated DATE --due DATE --points P\n"
      "                              register a certificate (a thermocouple also --type K|N|S|R|B|J|T|E)\n"
      "  calibration list|show [ID] [--format text|json]\n"
      "                              instruments and thermocouples with their certificates and due dates\n"
      "\n"
      "zqcli COMMAND --help tells more. Exit codes: 0 done, 1 failed, 2 bad usage;\n"
      "3 an analysis FAIL (verify: not as downloaded), 4 a partial download kept (or runs queued for the server).\n";

QtMessageHandler previousHandler = nullptr;

// Qt's warnings while the painting platform starts (it looks for a display
// socket under XDG_RUNTIME_DIR, which cron jobs and ssh sessions lack) mean
// nothing to a report that needs no screen; errors still go out.
void startupErrorsOnly(QtMsgType type, const QMessageLogContext &context, const QString &text)
{
    if ((type == QtCriticalMsg || type == QtFatalMsg) && previousHandler)
        previousHandler(type, context, text);
}

// Only the report paints, and it never needs a screen; a platform the user
// chose is left as it is.
std::unique_ptr<QCoreApplication> makeApplication(const QString &command, int &argc, char **argv)
{
    if (command != QLatin1String("report"))
        return std::make_unique<QCoreApplication>(argc, argv);
    ::setenv("QT_QPA_PLATFORM", "offscreen", 0); // 0: a platform already chosen stands
    previousHandler = qInstallMessageHandler(startupErrorsOnly);
    auto app = std::make_unique<QGuiApplication>(argc, argv);
    qInstallMessageHandler(previousHandler);
    return app;
}
} // namespace

int main(int argc, char *argv[])
{
    QStringList arguments;
    for (int i = 1; i < argc; ++i)
        arguments.append(QString::fromLocal8Bit(argv[i]));
    const QString command = arguments.value(0);
    if (command == QLatin1String("--help") || command == QLatin1String("-h")) {
        std::fputs(kUsage, stdout);
        return cli::Done;
    }
    if (command == QLatin1String("--version")) {
        std::printf("zqcli %s\n", PROJECT_VERSION);
        return cli::Done;
    }
    using Run = int (*)(const QStringList &);
    const std::pair<const char *, Run> commands[] = {{"download", cli::download}, {"live", cli::live},
        {"export", cli::exportFiles}, {"report", cli::report}, {"info", cli::info}, {"analyze", cli::analyze},
        {"archive", cli::archive}, {"verify", cli::verify}, {"calibration", cli::calibration}};
    for (const auto &[name, run] : commands) {
        if (command != QLatin1String(name))
            continue;
        int appArgc = 1;
        // Help's usage line names the program by its first argument: "zqcli analyze".
        QByteArray shown = QByteArray("zqcli ") + name;
        if (command == QLatin1String("report") && arguments.contains(QStringLiteral("--process")))
            shown += " --process";
        char *appArgv[] = {shown.data(), nullptr};
        const std::unique_ptr<QCoreApplication> app = makeApplication(command, appArgc, appArgv);
        QCoreApplication::setOrganizationName(QStringLiteral("Lorvant"));
        QCoreApplication::setApplicationName(QStringLiteral("zqcli"));
        return run(arguments.mid(1));
    }
    // Options put before the command: the line as it should be.
    for (int i = 1; command.startsWith(QLatin1Char('-')) && i < arguments.size(); ++i)
        for (const auto &entry : commands)
            if (arguments[i] == QLatin1String(entry.first)) {
                const QStringList fixed = QStringList{arguments[i]} + arguments.mid(0, i) + arguments.mid(i + 1);
                std::fprintf(
                    stderr, "zqcli: options follow the command: zqcli %s\n", qPrintable(fixed.join(QLatin1Char(' '))));
                return cli::BadUsage;
            }
    if (!command.isEmpty())
        std::fprintf(stderr, "zqcli: unknown command '%s'\n", qPrintable(command));
    std::fputs(kUsage, stderr);
    return cli::BadUsage;
}
