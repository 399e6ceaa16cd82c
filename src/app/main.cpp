#include "archive/archive.h"
#include "archive/outbox.h"
#include "link/portnames.h"
#include "print/fonts.h"
#include "window/form1.h"
#include "window/language.h"
#include "window/singleinstance.h"

#include <QApplication>
#include <QCommandLineParser>
#include <QSettings>
#include <cstdio>

namespace {
// The options zqtemp takes, and Qt's own that QApplication reads from the
// same command line.
void describe(QCommandLineParser &parser)
{
    parser.setApplicationDescription(QStringLiteral("TQRM_ZQ温度数据管理软件: download, view, keep and print the "
                                                    "readings of a TQRM-ZQ1 temperature instrument."));
    parser.setSingleDashWordOptionMode(QCommandLineParser::ParseAsLongOptions);
    parser.addHelpOption();
    parser.addVersionOption();
    parser.addOptions({
        {QStringLiteral("com1"), QStringLiteral("Device behind \"COM 1\"."), QStringLiteral("device")},
        {QStringLiteral("com2"), QStringLiteral("Device behind \"COM 2\"."), QStringLiteral("device")},
        {QStringLiteral("archive"),
            QStringLiteral("The run archive: a file, or a shared archive's postgresql:// URL "
                           "(default: the setting archive.url, else the user's archive file)."),
            QStringLiteral("path-or-url")},
        {QStringLiteral("keep-dir"),
            QStringLiteral("Folder where every download is kept (default: the user's data folder)."),
            QStringLiteral("folder")},
    });
    for (const char *qt : {"platform", "style", "display", "qwindowgeometry", "qwindowtitle"}) {
        QCommandLineOption option(QString::fromLatin1(qt), QString(), QStringLiteral("value"));
        option.setFlags(QCommandLineOption::HiddenFromHelp);
        parser.addOption(option);
    }
    parser.addPositionalArgument(
        QStringLiteral("file"), QStringLiteral("A .ZQ data file to open."), QStringLiteral("[file]"));
}

// Read before the application exists: --help and --version need no display.
// -1 to go on, else the exit code.
int parse(QCommandLineParser &parser, int argc, char *argv[])
{
    QStringList arguments;
    for (int i = 0; i < argc; ++i)
        arguments.append(QString::fromLocal8Bit(argv[i]));
    if (!parser.parse(arguments)) {
        std::fprintf(stderr, "zqtemp: %s\n", qPrintable(parser.errorText()));
        return 2;
    }
    if (parser.isSet(QStringLiteral("help")) || parser.isSet(QStringLiteral("help-all"))) {
        std::fputs(qPrintable(parser.helpText().replace(QStringLiteral("<executable_name>"), QStringLiteral("zqtemp"))),
            stdout);
        return 0;
    }
    if (parser.isSet(QStringLiteral("version"))) {
        std::printf("zqtemp %s\n", PROJECT_VERSION);
        return 0;
    }
    return -1;
}
} // namespace

int main(int argc, char *argv[])
{
    // These name the settings and the downloads folder: never change them.
    QApplication::setOrganizationName(QStringLiteral("Lorvant"));
    QApplication::setApplicationName(QStringLiteral("zqtemp"));
    QApplication::setApplicationVersion(QStringLiteral(PROJECT_VERSION));
    QCommandLineParser parser;
    describe(parser);
    if (const int rc = parse(parser, argc, argv); rc >= 0)
        return rc;

    QApplication app(argc, argv);
    QApplication::setDesktopFileName(QStringLiteral("zqtemp"));
    zq::installFontSubstitutes();
    installChineseTranslations();
    Form1 window;
    window.choosePorts(
        zq::defaultPortDevices(), parser.value(QStringLiteral("com1")), parser.value(QStringLiteral("com2")));
    if (parser.isSet(QStringLiteral("keep-dir")))
        window.setKeepDir(parser.value(QStringLiteral("keep-dir")));
    const zq::ArchivePlace archive = zq::archivePlace(parser.value(QStringLiteral("archive")));
    if (parser.isSet(QStringLiteral("archive")) && archive.server.isEmpty())
        window.setArchivePath(archive.local);

    SingleInstance single(SingleInstance::defaultLockPath());
    if (!showAsSingleCopy(window, single))
        return 0;
    // The shared archive once this is the one window: its thread syncs at once.
    window.setSharedArchive(
        !archive.server.isEmpty() ? archive.server : window.settings().value(QStringLiteral("archive.url")).toString());
    if (!parser.positionalArguments().isEmpty())
        window.openDataFile(parser.positionalArguments().constFirst());
    return QApplication::exec();
}
