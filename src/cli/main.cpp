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
const char *const kUsage = "usage: zqcli COMMAND [options]\n"
                           "\n"
                           "  download --port DEVICE [-o FILE.ZQ] [--raw FILE]\n"
                           "                                           download the instrument's record\n"
                           "  live --port DEVICE [--count N] [--interval MS]\n"
                           "                                           print the live reading, one line a poll\n"
                           "  export FILE.ZQ... [--format txt|csv] [-o OUT | --out-dir DIR]\n"
                           "                                           the text (GBK) or CSV export\n"
                           "  report FILE.ZQ -o OUT.pdf [--group G] [--start N] [--base V]\n"
                           "                                           the printed report as a PDF\n"
                           "  info FILE.ZQ...                          what each file holds\n"
                           "  analyze FILE.ZQ... [--recipe NAME | --setpoint S --tol T ...] [--format text|csv|json]\n"
                           "                                           the process check and its verdict\n"
                           "  archive list|import|show|set|note ...    the run archive\n"
                           "  verify FILE.ZQ                           whether these bytes came from a download\n"
                           "  calibration add-instrument|add-thermocouple|list|show ...\n"
                           "                                           instruments, thermocouples, certificates\n"
                           "\n"
                           "zqcli COMMAND --help tells more. Exit codes: 0 done, 1 failed, 2 bad usage;\n"
                           "3 an analysis FAIL, 4 a partial download kept.\n";
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
    const std::pair<const char *, Run> commands[]
        = {{"download", cli::download}, {"live", cli::live}, {"export", cli::exportFiles}, {"report", cli::report},
            {"info", cli::info}, {"analyze", cli::analyze}, {"archive", cli::archive}, {"verify", cli::verify},
              {"calibration", cli::calibration}};
    for (const auto &[name, run] : commands) {
        if (command != QLatin1String(name))
            continue;
        // Only the report paints, and it never needs a screen; a platform the
        // user chose is left as it is.
        std::unique_ptr<QCoreApplication> app;
        int appArgc = 1;
        if (command == QLatin1String("report")) {
            ::setenv("QT_QPA_PLATFORM", "offscreen", 0); // 0: a platform already chosen stands
            app = std::make_unique<QGuiApplication>(appArgc, argv);
        } else {
            app = std::make_unique<QCoreApplication>(appArgc, argv);
        }
        QCoreApplication::setOrganizationName(QStringLiteral("Lorvant"));
        QCoreApplication::setApplicationName(QStringLiteral("zqcli"));
        return run(arguments.mid(1));
    }
    if (!command.isEmpty())
        std::fprintf(stderr, "zqcli: unknown command '%s'\n", qPrintable(command));
    std::fputs(kUsage, stderr);
    return cli::BadUsage;
}
