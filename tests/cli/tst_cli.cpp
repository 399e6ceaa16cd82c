// zqcli as a script runs it: a separate process with no display, against the
// simulator over a pseudo-terminal, compared with what the window writes.
#include "core/datafile.h"
#include "core/textexport.h"
#include "support/line.h"
#include "support/window.h"

#include <QPushButton>
#include <QSerialPort>
#include <QTemporaryDir>
#include <csignal>

namespace {
struct Run
{
    int code = -1;
    QString out, err;
    qint64 ms = 0;
};

Run zqcli(const QStringList &args, const QString &dir = QString())
{
    QProcess p;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    for (const char *name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"})
        env.remove(QString::fromLatin1(name));
    p.setProcessEnvironment(env);
    p.setWorkingDirectory(dir.isEmpty() ? QDir::currentPath() : dir);
    QElapsedTimer clock;
    clock.start();
    p.start(qEnvironmentVariable("ZQCLI_BIN"), args);
    p.waitForFinished(30000);
    return {p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1, QString::fromUtf8(p.readAllStandardOutput()),
        QString::fromUtf8(p.readAllStandardError()), clock.elapsed()};
}

QByteArray readAll(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

void write(const QString &path, const QByteArray &bytes)
{
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly) && f.write(bytes) == bytes.size());
}
} // namespace

class TstCli : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void download_data();
    void download();
    void exportMatchesTheWindow();
    void reportAndInfo();
    void liveEndsOnCtrlC();
    void badUsage_data();
    void badUsage();
};

void TstCli::download_data()
{
    QTest::addColumn<QStringList>("args");
    QTest::addColumn<int>("code");
    QTest::addColumn<int>("readings");
    QTest::newRow("sequence") << QStringList{} << 0 << 3840;
    QTest::newRow("time-stamped") << QStringList{"--style", "1", "--count", "120"} << 0 << 120;
    QTest::newRow("line cut") << QStringList{"--cut-after", "100"} << 4 << 200; // a partial record, kept
    QTest::newRow("no reply") << QStringList{"--no-reply"} << 1 << 0;
}

void TstCli::download()
{
    QFETCH(QStringList, args);
    QFETCH(int, code);
    QFETCH(int, readings);
    QTemporaryDir dir;
    Simulator sim(args);
    const Run run = zqcli({"download", "--port", sim.device, "-o", dir.filePath("got.ZQ")});
    QVERIFY2(run.code == code, qPrintable(run.err));
    if (code == 1) {
        QVERIFY(run.err.contains(sim.device) && run.err.contains("COM ERR"));
        QVERIFY2(run.ms < 3000, qPrintable(QString::number(run.ms)));
        QVERIFY(!QFile::exists(dir.filePath("got.ZQ")));
        return;
    }
    // The same record through the window, saved with SAVE.
    Simulator again(args);
    TestWindow w(again.device);
    w->setKeepDir(dir.filePath("kept"));
    w->instrument().download().watchMs = 200;
    w->downloadButton->click();
    QTRY_VERIFY_WITH_TIMEOUT(!w->instrument().portOpen() && w->record().holdsData(), 20000);
    QCOMPARE(w->record().count(), readings);
    w.dialogs->paths = {dir.filePath("saved.ZQ")};
    w->onSaveClicked();
    QCOMPARE(readAll(dir.filePath("got.ZQ")), readAll(dir.filePath("saved.ZQ")));
    QVERIFY(readings == zq::kSeqReadings || args.contains("--style")
        || run.err.contains(QStringLiteral("只收到 200 个读数")));
    // Without -o: a new name from the local time, never over another.
    const Run second = zqcli({"download", "--port", again.device}, dir.path());
    QCOMPARE(second.code, code);
    QVERIFY(QFile::exists(dir.filePath(second.out.trimmed())) && second.out.contains("-STYLE"));
}

void TstCli::exportMatchesTheWindow()
{
    QTemporaryDir dir;
    write(dir.filePath("seq.ZQ"), zq::dataFileBytes(sequenceData(3840, 512)));
    QVector<WDREC> records = timeRecords(40);
    records[3].wd = zq::kFailedReading;
    write(dir.filePath("time.ZQ"), zq::dataFileBytes(zq::Record::timeStamped(records)));
    QDir().mkpath(dir.filePath("out"));
    for (const QString &format : {QStringLiteral("txt"), QStringLiteral("csv")}) {
        const Run run = zqcli({"export", dir.filePath("seq.ZQ"), dir.filePath("missing.ZQ"), dir.filePath("time.ZQ"),
            "--format", format, "--out-dir", dir.filePath("out")});
        QCOMPARE(run.code, 1); // one input failed, named; the others are done
        QVERIFY(run.err.contains("missing.ZQ"));
        const QString ext = format == "csv" ? ".csv" : ".Txt";
        for (const QString &name : {QStringLiteral("seq"), QStringLiteral("time")}) {
            // What the window writes for the same file: OPEN, then 导出文本.
            TestWindow w;
            w.dialogs->paths = {dir.filePath(name + ".ZQ"), dir.filePath("window" + ext)};
            w.dialogs->pickFilter = format == "csv" ? zq::kCsvFilter : zq::kTextFilter;
            w->onOpenClicked();
            w->onExportClicked();
            QCOMPARE(readAll(dir.filePath("out/" + name + ext)), readAll(dir.filePath("window" + ext)));
        }
    }
    // Nothing is written over an input.
    const QByteArray before = readAll(dir.filePath("seq.ZQ"));
    QCOMPARE(zqcli({"export", dir.filePath("seq.ZQ"), "-o", dir.filePath("seq.ZQ")}).code, 1);
    QCOMPARE(readAll(dir.filePath("seq.ZQ")), before);
}

void TstCli::reportAndInfo()
{
    QTemporaryDir dir;
    QVector<int16_t> seq(100, 600);
    seq[7] = 250;
    seq[42] = 990;
    seq[50] = zq::kFailedReading;
    write(dir.filePath("seq.ZQ"), zq::dataFileBytes(zq::Record::sequence(seq)));
    const Run report = zqcli({"report", dir.filePath("seq.ZQ"), "-o", dir.filePath("r.pdf"), "--start", "40"});
    QVERIFY2(report.code == 0, qPrintable(report.err));
    QProcess text;
    text.start("pdftotext", {dir.filePath("r.pdf"), "-"});
    QVERIFY(text.waitForFinished());
    const QString content = QString::fromUtf8(text.readAllStandardOutput());
    QVERIFY2(content.contains(QStringLiteral("温度数据曲线")) && content.contains(QStringLiteral("800 ℃"))
            && content.contains(QStringLiteral("042-0990℃"))
            && content.contains(QRegularExpression("\\b40\\s+50\\s+60\\b")),
        qPrintable(content));

    const Run info = zqcli({"info", dir.filePath("seq.ZQ")});
    QCOMPARE(info.code, 0);
    for (const char *line :
        {"type: sequence (STYLE 0)", "readings: 100", "failed: 1", "minimum: 250 at 0007", "maximum: 990 at 0042"})
        QVERIFY2(info.out.contains(QString::fromLatin1(line)), qPrintable(info.out));
    // (97 × 600 + 250 + 990) / 99
    QVERIFY2(info.out.contains("mean: 600.4"), qPrintable(info.out));
}

void TstCli::liveEndsOnCtrlC()
{
    Simulator sim({});
    QProcess p;
    p.start(qEnvironmentVariable("ZQCLI_BIN"), {"live", "--port", sim.device, "--interval", "200"});
    QVERIFY(p.waitForReadyRead(5000));
    const QString line = QString::fromUtf8(p.readLine());
    QVERIFY2(QRegularExpression("^\\d\\d:\\d\\d:\\d\\d\\t\\d{4}\n$").match(line).hasMatch(), qPrintable(line));
    ::kill(pid_t(p.processId()), SIGINT);
    QVERIFY(p.waitForFinished(3000));
    QCOMPARE(p.exitStatus(), QProcess::NormalExit);
    QCOMPARE(p.exitCode(), 0);
    // The port is free again: another program can take it at once.
    QSerialPort port(sim.device);
    QVERIFY(port.open(QIODevice::ReadWrite));
}

void TstCli::badUsage_data()
{
    QTest::addColumn<QStringList>("args");
    QTest::newRow("no command") << QStringList{};
    QTest::newRow("unknown command") << QStringList{"upload"};
    QTest::newRow("download without a port") << QStringList{"download"};
    QTest::newRow("unknown option") << QStringList{"info", "--fast", "x.ZQ"};
    QTest::newRow("export format") << QStringList{"export", "a.ZQ", "--format", "xls"};
    QTest::newRow("-o with two inputs") << QStringList{"export", "a.ZQ", "b.ZQ", "-o", "c.Txt"};
    QTest::newRow("report group") << QStringList{"report", "a.ZQ", "-o", "r.pdf", "--group", "9"};
}

void TstCli::badUsage()
{
    QFETCH(QStringList, args);
    QCOMPARE(zqcli(args).code, 2);
}

QTEST_MAIN(TstCli)
#include "tst_cli.moc"
