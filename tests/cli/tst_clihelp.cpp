// What a newcomer meets at zqcli's prompt: help that names every command
// and says what each option is for, reasons rather than usage dumps, a
// folder made when asked for, and no noise on stderr.
#include "support/line.h"

#include <QDir>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QRegularExpression>
#include <QTemporaryDir>

namespace {
const QString kSoak = QStringLiteral(ZQ_SOURCE_DIR "/examples/soak.ZQ"); // 135 readings

// A program as a user's shell starts it: no display, no runtime folder.
Run start(const QString &program, const QStringList &args, const QString &dir = QString())
{
    QProcess p;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    for (const char *name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM", "XDG_RUNTIME_DIR"})
        env.remove(QString::fromLatin1(name));
    if (!dir.isEmpty())
        env.insert(QStringLiteral("XDG_DATA_HOME"), dir);
    p.setProcessEnvironment(env);
    p.setWorkingDirectory(dir.isEmpty() ? QDir::currentPath() : dir);
    p.start(program, args);
    p.waitForFinished(30000);
    return {p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1, QString::fromUtf8(p.readAllStandardOutput()),
        QString::fromUtf8(p.readAllStandardError())};
}

Run cli(const QStringList &args, const QString &dir = QString())
{
    return start(qEnvironmentVariable("ZQCLI_BIN"), args, dir);
}
} // namespace

class TstCliHelp : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void everyCommandNamed_data();
    void everyCommandNamed();
    void commandHelp_data();
    void commandHelp();
    void rangeOutsideTheRun_data();
    void rangeOutsideTheRun();
    void outDirMade();
    void optionsBeforeTheCommand();
    void reportQuietWithoutRuntimeDir();
    void snapshotHelpWithoutDisplay();
    void downloadProgressInWords();
};

void TstCliHelp::everyCommandNamed_data()
{
    QTest::addColumn<QString>("command");
    for (const char *c :
        {"download", "live", "export", "report", "report FILE.ZQ --process", "info", "analyze", "archive list",
            "archive import", "archive sync", "archive show", "archive set", "archive note", "archive range", "verify"})
        QTest::newRow(c) << QString::fromLatin1(c);
}

void TstCliHelp::everyCommandNamed()
{
    QFETCH(QString, command);
    const Run run = cli({"--help"});
    QCOMPARE(run.code, 0);
    QVERIFY2(run.out.contains(QStringLiteral("  ") + command + QLatin1Char(' ')), qPrintable(run.out));
}

void TstCliHelp::commandHelp_data()
{
    QTest::addColumn<QStringList>("args");
    QTest::addColumn<QString>("usage");
    for (const char *c : {"download", "live", "export", "report", "info", "analyze", "archive", "verify"})
        QTest::newRow(c) << QStringList{QString::fromLatin1(c), "--help"}
                         << QStringLiteral("Usage: zqcli %1 [options]").arg(QLatin1String(c));
    QTest::newRow("report --process") << QStringList{"report", "--process", "--help"}
                                      << QStringLiteral("Usage: zqcli report --process [options]");
}

void TstCliHelp::commandHelp()
{
    QFETCH(QStringList, args);
    QFETCH(QString, usage);
    const Run run = cli(args);
    QCOMPARE(run.code, 0);
    QVERIFY2(run.out.startsWith(usage), qPrintable(run.out.section(QLatin1Char('\n'), 0, 0)));
    // Every option said in words, not just its own name again.
    static const QRegularExpression option(
        QStringLiteral("^  (-[^ ]*(?:, )?--([a-z-]+)|--([a-z-]+))[^ ]*(?: <[^>]+>)? {2,}(.+)$"),
        QRegularExpression::MultilineOption);
    int options = 0;
    for (auto it = option.globalMatch(run.out); it.hasNext(); ++options) {
        const QRegularExpressionMatch m = it.next();
        const QString name = m.captured(2).isEmpty() ? m.captured(3) : m.captured(2);
        const QString words = m.captured(4).trimmed();
        QVERIFY2(words.split(QLatin1Char(' '), Qt::SkipEmptyParts).size() >= 2
                && words.toLower().remove(QLatin1Char('.'))
                    != name.toLower().replace(QLatin1Char('-'), QLatin1Char(' ')),
            qPrintable(QStringLiteral("--%1: %2").arg(name, words)));
    }
    QVERIFY(options >= 2); // --help at least, and the command's own
}

void TstCliHelp::rangeOutsideTheRun_data()
{
    QTest::addColumn<QStringList>("range");
    QTest::addColumn<QString>("reason");
    QTest::newRow("past the end") << QStringList{"--first", "100", "--last", "135"} << "134";
    QTest::newRow("backwards") << QStringList{"--first", "50", "--last", "40"} << "--first";
    QTest::newRow("negative") << QStringList{"--first", "-1", "--last", "40"} << "--first";
    QTest::newRow("not a number") << QStringList{"--first", "a", "--last", "40"} << "--first";
    QTest::newRow("no name") << QStringList{"--first", "1", "--last", "40"} << "--name";
}

void TstCliHelp::rangeOutsideTheRun()
{
    QFETCH(QStringList, range);
    QFETCH(QString, reason);
    QTemporaryDir dir;
    QCOMPARE(cli({"archive", "import", kSoak}, dir.path()).code, 0);
    const QStringList name
        = QTest::currentDataTag() == QLatin1String("no name") ? QStringList() : QStringList{"--name", "x"};
    const Run run = cli(QStringList{"archive", "range", kSoak} + range + name, dir.path());
    QCOMPARE(run.code, 2);
    // One line naming what is wrong, not the whole usage text.
    QVERIFY2(run.err.contains(reason) && !run.err.contains(QStringLiteral("Usage:"))
            && run.err.trimmed().count(QLatin1Char('\n')) == 0,
        qPrintable(run.err));
    const QJsonObject shown
        = QJsonDocument::fromJson(cli({"archive", "show", kSoak}, dir.path()).out.toUtf8()).object();
    QCOMPARE(shown.value("readings").toInt(), 135);
    QVERIFY(shown.value("ranges").toArray().isEmpty()); // refused whole: nothing kept
}

void TstCliHelp::outDirMade()
{
    QTemporaryDir dir;
    const Run run = cli({"export", kSoak, "--format", "csv", "--out-dir", "csv/deeper/"}, dir.path());
    QVERIFY2(run.code == 0, qPrintable(run.err));
    QVERIFY(QFileInfo(dir.filePath("csv/deeper/soak.csv")).isFile());
    QVERIFY2(run.err.contains(QStringLiteral("csv/deeper/")), qPrintable(run.err));
    // A folder that is there is used as it is, and nothing is said.
    const Run again = cli({"export", kSoak, "--out-dir", "csv/deeper"}, dir.path());
    QCOMPARE(again.code, 0);
    QVERIFY2(again.err.isEmpty(), qPrintable(again.err));
}

void TstCliHelp::optionsBeforeTheCommand()
{
    QTemporaryDir dir;
    const Run run = cli({"--archive", "a.sqlite", "archive", "list"}, dir.path());
    QCOMPARE(run.code, 2);
    QVERIFY2(run.err.startsWith(QStringLiteral("zqcli: options follow the command: zqcli archive --archive")),
        qPrintable(run.err));
}

void TstCliHelp::reportQuietWithoutRuntimeDir()
{
    QTemporaryDir dir;
    const Run run = cli({"report", kSoak, "-o", "soak.pdf"}, dir.path());
    QCOMPARE(run.code, 0);
    QVERIFY(QFileInfo(dir.filePath("soak.pdf")).size() > 0);
    QVERIFY2(run.err.isEmpty(), qPrintable(run.err));
}

void TstCliHelp::snapshotHelpWithoutDisplay()
{
    const QString snapshot = QFileInfo(qEnvironmentVariable("ZQ_INSTRUMENT")).dir().filePath("zq-snapshot");
    if (!QFileInfo(snapshot).isExecutable())
        QSKIP("zq-snapshot is not built beside the simulator");
    const Run run = start(snapshot, {"--help"});
    QVERIFY2(run.code == 0, qPrintable(run.err));
    QVERIFY2(run.out.contains(QStringLiteral("zq-snapshot OUT.png")), qPrintable(run.out));
}

void TstCliHelp::downloadProgressInWords()
{
    QTemporaryDir dir;
    for (const bool verbose : {false, true}) {
        Simulator sim({"--style", "1", "--count", "120"});
        const Run run = cli(QStringList{"download", "--port", sim.device, "-o", "got.ZQ"}
                + (verbose ? QStringList{"--verbose"} : QStringList()),
            dir.path());
        QVERIFY2(run.code == 0, qPrintable(run.err));
        // The window's status texts only when asked for; words otherwise.
        QCOMPARE(run.err.contains(QStringLiteral("COM Test Begin")), verbose);
        QVERIFY2(run.err.contains(QStringLiteral("120 readings received")), qPrintable(run.err));
    }
}

QTEST_GUILESS_MAIN(TstCliHelp)
#include "tst_clihelp.moc"
