// zqcli as a script runs it: a separate process with no display, against the
// simulator over a pseudo-terminal.
#include "archive/archive.h"
#include "core/datafile.h"
#include "core/textexport.h"
#include "support/bench.h"
#include "support/runs.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QSerialPort>
#include <QTemporaryDir>
#include <csignal>
#include <sys/stat.h>

class TstCli : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void initTestCase();
    void download_data();
    void download();
    void reportAndInfo();
    void partialRecords_data();
    void partialRecords();
    void namesNeverCollide();
    void analyze_data();
    void analyze();
    void analyzeAgainstAReference_data();
    void analyzeAgainstAReference();
    void processReportRefusesEmptyRequiredFields();
    void liveEndsOnCtrlC();
    void badUsage_data();
    void badUsage();
};

void TstCli::initTestCase()
{
    ZQ_SKIP_WITHOUT(Need::Simulator, Need::Zqcli);
}

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
    // The same record as the instrument's layer hands it to both front ends.
    Simulator again(args);
    Bench line(again.device);
    line.instrument.download().watchMs = 200;
    QCOMPARE(line.start(), QString());
    QTRY_VERIFY_WITH_TIMEOUT(line.idle() && !line.settled.isEmpty(), 20000);
    QCOMPARE(line.settled[0].record.count(), readings);
    QCOMPARE(readAll(dir.filePath("got.ZQ")), zq::dataFileBytes(line.settled[0].record));
    QVERIFY(readings == zq::kSeqReadings || args.contains("--style")
        || run.err.contains(QStringLiteral("只收到 200 个读数")));
    // Without -o: a new name from the local time, never over another.
    const Run second = zqcli({"download", "--port", again.device}, dir.path());
    QCOMPARE(second.code, code);
    QVERIFY(QFile::exists(dir.filePath(second.out.trimmed())) && second.out.contains("-STYLE"));
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
    const QString content = pdfText(dir.filePath("r.pdf"));
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

void TstCli::partialRecords_data()
{
    QTest::addColumn<QString>("ending");
    QTest::newRow("the line is lost") << "lost";
    QTest::newRow("Ctrl+C") << "SIGINT";
    QTest::newRow("kill") << "SIGTERM";
    QTest::newRow("the instrument answers, then nothing; Ctrl+C") << "nothing";
}

void TstCli::partialRecords()
{
    // What came is kept and said to be partial (exit 4); nothing kept is a failure (exit 1).
    QFETCH(QString, ending);
    QTemporaryDir dir;
    auto inst = std::make_unique<PtyInstrument>();
    inst->respond = [&](uint8_t req) {
        return req ? QByteArray() : ending == "nothing" ? bytes({0x00}) : bytes({0x00, 0x10, 0x01, 0x20, 0x01});
    };
    QProcess p;
    p.start(qEnvironmentVariable("ZQCLI_BIN"), {"download", "--port", inst->path(), "-o", dir.filePath("got.ZQ")});
    QTRY_COMPARE_WITH_TIMEOUT(inst->received, bytes({0x00}), 5000);
    const bool nothing = ending == "nothing";
    // The count shown: the packet is in (or, for nothing, the answer).
    QByteArray shown;
    QTRY_VERIFY((shown += p.readAllStandardError()).contains(nothing ? "STYLE" : "2 readings received") || nothing);
    if (ending == "lost")
        inst.reset();
    else
        ::kill(pid_t(p.processId()), ending == "SIGTERM" ? SIGTERM : SIGINT);
    QVERIFY(p.waitForFinished(15000));
    const QString err = QString::fromUtf8(shown + p.readAllStandardError());
    QCOMPARE(p.exitCode(), nothing ? 1 : 4);
    QCOMPARE(QFile::exists(dir.filePath("got.ZQ")), !nothing);
    QVERIFY2(err.contains(nothing ? "no readings came" : "partial record kept"), qPrintable(err));
    if (!nothing) {
        QCOMPARE(zq::readDataFile(dir.filePath("got.ZQ")).record.count(), 2);
        // Said to be kept only once it was.
        QCOMPARE(QString::fromUtf8(p.readAllStandardOutput()).trimmed(), dir.filePath("got.ZQ"));
    }
}

void TstCli::namesNeverCollide()
{
    QTemporaryDir dir;
    QDir().mkpath(dir.filePath("day1"));
    QDir().mkpath(dir.filePath("day2"));
    write(dir.filePath("day1/run.ZQ"), zq::dataFileBytes(timeData(5)));
    write(dir.filePath("day2/run.ZQ"), zq::dataFileBytes(timeData(9)));
    const Run run
        = zqcli({"export", dir.filePath("day1/run.ZQ"), dir.filePath("day2/run.ZQ"), "--out-dir", dir.path()});
    QCOMPARE(run.code, 0);
    QCOMPARE(readAll(dir.filePath("run.Txt")), zq::exportText(timeData(5)));
    QCOMPARE(readAll(dir.filePath("run-2.Txt")), zq::exportText(timeData(9)));
    QVERIFY2(run.err.contains(dir.filePath("run-2.Txt")), qPrintable(run.err));

    // Never over anything but a regular file: a pipe stays a pipe.
    const QString fifo = dir.filePath("pipe");
    QVERIFY(::mkfifo(QFile::encodeName(fifo).constData(), 0644) == 0);
    Simulator sim({});
    for (const QStringList &args : {QStringList{"export", dir.filePath("day1/run.ZQ"), "-o", fifo},
             QStringList{"download", "--port", sim.device, "-o", fifo}}) {
        const Run refused = zqcli(args);
        QCOMPARE(refused.code, 1);
        QVERIFY2(refused.err.contains(fifo), qPrintable(refused.err));
        QVERIFY(QFileInfo(fifo).exists() && !QFileInfo(fifo).isFile());
    }
    // The report never writes over its input.
    const QByteArray before = readAll(dir.filePath("day1/run.ZQ"));
    QCOMPARE(zqcli({"report", dir.filePath("day1/run.ZQ"), "-o", dir.filePath("day1/run.ZQ")}).code, 1);
    QCOMPARE(readAll(dir.filePath("day1/run.ZQ")), before);

    // A size neither layout has is said, and the file used as it is.
    write(dir.filePath("short.ZQ"), zq::dataFileBytes(timeData(5)).left(4096));
    const Run info = zqcli({"info", dir.filePath("short.ZQ")});
    QCOMPARE(info.code, 0);
    QVERIFY2(info.err.contains(QStringLiteral("文件大小为 4096 字节")), qPrintable(info.err));
}

void TstCli::analyze_data()
{
    QTest::addColumn<QStringList>("options");
    QTest::addColumn<int>("code");
    QTest::addColumn<QString>("verdict"); // in the JSON; "-" for none
    // 800 ×10, 850 ×60, 870 ×5, 850 ×60: longest soak 59 s, overshoot 10 ℃.
    QTest::newRow("no criteria") << QStringList{"--setpoint", "850", "--tol", "10"} << 0 << "-";
    QTest::newRow("a range: its verdict, not the run's")
        << QStringList{"--setpoint", "850", "--tol", "10", "--max-overshoot", "10", "--first", "0", "--last", "100"}
        << 0 << "PASS";
    QTest::newRow("fails") << QStringList{"--setpoint", "850", "--tol-low", "10", "--tol-high", "10", "--min-soak",
        "1m"} << 3 << "FAIL";
    QTest::newRow("a saved recipe") << QStringList{"--recipe", "淬火 850℃"} << 3 << "FAIL";
    QTest::newRow("a recipe with an option on top")
        << QStringList{"--recipe", "淬火 850℃", "--min-soak", "59s"} << 0 << "PASS";
    QTest::newRow("a file that cannot be read")
        << QStringList{"--setpoint", "850", "--tol", "10", "MISSING"} << 1 << "-";
    QTest::newRow("no such recipe") << QStringList{"--recipe", "none"} << 1 << "";
    QTest::newRow("a duration without a unit") << QStringList{"--min-soak", "5", "--setpoint", "850"} << 2 << "";
    QTest::newRow("a soak without a band") << QStringList{"--min-soak", "5m"} << 2 << "";
    QTest::newRow("an unknown format") << QStringList{"--format", "xml"} << 2 << "";
}

void TstCli::analyze()
{
    QFETCH(QStringList, options);
    QFETCH(int, code);
    QFETCH(QString, verdict);
    QTemporaryDir dir;
    write(dir.filePath("run.ZQ"), zq::dataFileBytes(soak()));
    QDir().mkpath(dir.filePath("config/Lorvant/zqtemp/recipes"));
    write(dir.filePath("config/Lorvant/zqtemp/recipes/quench.json"),
        R"({"name": "淬火 850℃", "band": {"setpoint": 850, "below": 10, "above": 10}, "criteria": {"minSoak": "1m"}})");
    options.replaceInStrings("MISSING", dir.filePath("missing.ZQ"));
    if (!options.contains("--format"))
        options << "--format"
                << "json";
    const Run run
        = zqcli(QStringList{"analyze", dir.filePath("run.ZQ"), "--archive", dir.filePath("a.sqlite")} + options,
            QString(), {"XDG_CONFIG_HOME=" + dir.filePath("config")});
    QVERIFY2(run.code == code, qPrintable(run.err));
    // A whole run's verdict goes to the archive with its recipe, as the window's does.
    zq::Archive archive;
    QString error;
    QVERIFY(archive.open(dir.filePath("a.sqlite"), &error));
    const std::optional<zq::RunRow> kept = archive.run(zq::Archive::sha256Of(readAll(dir.filePath("run.ZQ"))), &error);
    const bool whole = !options.contains("--first") && !verdict.isEmpty() && verdict != "-";
    QCOMPARE(kept ? kept->verdict : QStringLiteral("-"), whole ? verdict : QStringLiteral("-"));
    // The recipe as judged, whole, in the form the window records it.
    QVERIFY(!whole || QJsonDocument::fromJson(kept->recipe.toUtf8()).object().contains("band"));
    if (verdict.isEmpty())
        return;
    const QJsonArray files = QJsonDocument::fromJson(run.out.toUtf8()).array();
    QCOMPARE(files.size(), 1); // one object a file read; a file not read is named on stderr
    const QJsonObject o = files.at(0).toObject();
    QCOMPARE(o.value("version").toInt(), 1);
    QCOMPARE(o.value("band").toObject().value("longestSoak").toDouble(), 59.0);
    QCOMPARE(o.value("band").toObject().value("overshoot").toObject().value("value").toDouble(), 10.0);
    QCOMPARE(o.value("verdict").isNull() ? QStringLiteral("-") : o.value("verdict").toString(), verdict);
    QVERIFY(code != 1 || run.err.contains("missing.ZQ"));
}

void TstCli::analyzeAgainstAReference_data()
{
    QTest::addColumn<QStringList>("options");
    QTest::addColumn<int>("code");
    QTest::addColumn<double>("largest");
    QTest::addColumn<int>("largestAt");
    QTest::addColumn<int>("compared");
    QTest::addColumn<double>("aboveTime");
    QTest::addColumn<double>("belowTime");
    // The run rises at 10 s, the reference 5 s later: 50 ℃ over from 10 to
    // 14 s (4 s beyond the 10 ℃ tolerance), and the same at 870 ℃ (70–74 s);
    // 20 under as the reference stays at 870 to 79 s (4 s).
    QTest::newRow("a file, at the start") << QStringList{"--reference", "REF"} << 0 << 50.0 << 10 << 135 << 8.0 << 4.0;
    // Both cross 860 ℃ between two readings, 69.5 and 74.5 s: moved 5 s
    // earlier the reference lies on the run; 130 readings have one.
    QTest::newRow("a file, at 860 ℃") << QStringList{"--reference", "REF", "--align", "cross:860"} << 0 << 0.0 << 0
                                      << 130 << 0.0 << 0.0;
    // Planned 800 to 10 s, 5 ℃/s to 850 at 20 s: the run is 50 over at 10 s
    // and more than 10 over up to 17 s (7 s), and 20 over at 870 (4 s).
    QTest::newRow("the schedule") << QStringList{"--recipe", "plan", "--schedule"} << 0 << 50.0 << 10 << 135 << 11.0
                                  << 0.0;
    QTest::newRow("a recipe without one") << QStringList{"--schedule"} << 1 << 0.0 << 0 << 0 << 0.0 << 0.0;
    QTest::newRow("an alignment not known")
        << QStringList{"--reference", "REF", "--align", "middle"} << 2 << 0.0 << 0 << 0 << 0.0 << 0.0;
}

void TstCli::analyzeAgainstAReference()
{
    QFETCH(QStringList, options);
    QFETCH(int, code);
    QTemporaryDir dir;
    write(dir.filePath("run.ZQ"), zq::dataFileBytes(soak()));
    // The same five seconds later, one a second from 10:00:00.
    const QVector<int> later
        = QVector<int>(15, 800) + QVector<int>(60, 850) + QVector<int>(5, 870) + QVector<int>(55, 850);
    write(dir.filePath("ref.ZQ"), zq::dataFileBytes(timed(later)));
    QDir().mkpath(dir.filePath("config/Lorvant/zqtemp/recipes"));
    write(dir.filePath("config/Lorvant/zqtemp/recipes/plan.json"),
        R"({"name": "plan", "band": {"setpoint": 850, "below": 10, "above": 10}, "schedule": "800; 10s; +300/min→850; 10m"})");
    options.replaceInStrings("REF", dir.filePath("ref.ZQ"));
    const Run run
        = zqcli(QStringList{"analyze", dir.filePath("run.ZQ"), "--setpoint", "850", "--tol", "10", "--format", "json"}
                + options,
            QString(), {"XDG_CONFIG_HOME=" + dir.filePath("config")});
    QVERIFY2(run.code == code, qPrintable(run.err));
    if (code)
        return;
    const QJsonObject d
        = QJsonDocument::fromJson(run.out.toUtf8()).array().at(0).toObject().value("reference").toObject();
    QTEST(d.value("largest").toDouble(), "largest");
    QTEST(d.value("largestAt").toInt(), "largestAt");
    QTEST(d.value("compared").toInt(), "compared");
    QTEST(d.value("aboveTime").toDouble(), "aboveTime");
    QTEST(d.value("belowTime").toDouble(), "belowTime");
}

void TstCli::processReportRefusesEmptyRequiredFields()
{
    QTemporaryDir dir;
    write(dir.filePath("run.ZQ"), zq::dataFileBytes(timeData(60)));
    QDir().mkpath(dir.filePath("config/Lorvant/zqtemp/recipes"));
    write(dir.filePath("config/Lorvant/zqtemp/recipes/q.json"),
        R"({"name": "q", "band": {"setpoint": 220, "below": 30, "above": 30}, "required": ["operator", "thermocouple"]})");
    const QStringList base{"report", dir.filePath("run.ZQ"), "--process", "--archive", dir.filePath("a.sqlite"), "-o",
        dir.filePath("r.pdf"), "--recipe", "q", "--operator", "王"};
    const QStringList env{"XDG_CONFIG_HOME=" + dir.filePath("config")};
    const Run refused = zqcli(base, QString(), env);
    QCOMPARE(refused.code, 1);
    QVERIFY2(refused.err.contains(QStringLiteral("热电偶")) && !refused.err.contains(QStringLiteral("操作员")),
        qPrintable(refused.err));
    QVERIFY(!QFile::exists(dir.filePath("r.pdf")));
    QCOMPARE(zqcli(base + QStringList{"--thermocouple", "K"}, QString(), env).code, 0);
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
