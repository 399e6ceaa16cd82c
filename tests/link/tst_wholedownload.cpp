// A download is what the instrument holds: never the rest of an earlier
// stream, never junk read as a record, never a paused stream passed off as
// whole, never two downloads under one name, never bytes shared with
// another reader. The instrument's layer and zqcli against the simulator.
#include "core/datafile.h"
#include "link/porterrors.h"
#include "support/bench.h"
#include "support/records.h"

namespace {
QStringList filesIn(const QString &dir, const QString &pattern)
{
    return QDir(dir).entryList({pattern}, QDir::Files, QDir::Name);
}
} // namespace

class TstWholeDownload : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void initTestCase();
    void restOfAnEarlierStreamIsDropped();
    void instrumentStillSending();
    void junkBeforeTheAnswer_data();
    void junkBeforeTheAnswer();
    void aPauseMeansIncomplete();
    void anotherReaderIsNamed();
    void concurrentDownloadsNeverShareAName();
};

void TstWholeDownload::initTestCase()
{
    ZQ_SKIP_WITHOUT(Need::Simulator, Need::Zqcli);
}

void TstWholeDownload::restOfAnEarlierStreamIsDropped()
{
    // An instrument that streams its memory to the end, deaf meanwhile: the
    // first download is given up mid-transfer, and a new one asks again at once.
    const QStringList args{"--busy-ignores-requests", "--byte-us", "150"};
    QTemporaryDir keep;
    Simulator sim(args);
    {
        Bench first(sim.device);
        QCOMPARE(first.start(), QString());
        QTRY_VERIFY_WITH_TIMEOUT(first.instrument.download().received() >= 400, 5000);
    }
    Bench line(sim.device);
    QCOMPARE(line.start(), QString());
    QTRY_VERIFY_WITH_TIMEOUT(line.idle() && !line.settled.isEmpty(), 15000);
    // What a fresh instrument sends, byte for byte.
    Simulator fresh(args);
    const Run reference = zqcli({"download", "--port", fresh.device, "-o", keep.filePath("fresh.ZQ")});
    QCOMPARE(reference.code, 0);
    const DownloadResult &result = line.settled.first();
    QCOMPARE(result.record.count(), zq::kSeqReadings);
    QCOMPARE(zq::dataFileBytes(result.record), readAll(keep.filePath("fresh.ZQ")));
    QVERIFY2(result.note.isEmpty(), qPrintable(result.note));
}

void TstWholeDownload::instrumentStillSending()
{
    // At the line's own pace the stream outlasts the five seconds a request waits for quiet.
    Simulator sim({"--busy-ignores-requests", "--byte-us", "2083"});
    QTemporaryDir keep;
    {
        Bench first(sim.device);
        QCOMPARE(first.start(), QString());
        QTRY_VERIFY_WITH_TIMEOUT(first.instrument.download().received() > 0, 5000);
    }
    Bench line(sim.device);
    QCOMPARE(line.start(), QString());
    QTRY_VERIFY_WITH_TIMEOUT(line.idle() && !line.settled.isEmpty(), 8000);
    QCOMPARE(line.status.value(line.status.size() - 1), QStringLiteral("COM BUSY"));
    const DownloadResult &result = line.settled.first();
    QVERIFY2(result.note.contains(QStringLiteral("测温仪仍在发送上一次的数据")), qPrintable(result.note));
    QVERIFY(!result.record.holdsData());
    QVERIFY(filesIn(line.keep.path(), "*").isEmpty());
    const Run cli = zqcli({"download", "--port", sim.device, "-o", keep.filePath("cli.ZQ")});
    QCOMPARE(cli.code, 1);
    QVERIFY2(cli.err.contains(QStringLiteral("测温仪仍在发送上一次的数据")), qPrintable(cli.err));
    QVERIFY(!QFile::exists(keep.filePath("cli.ZQ")));
}

void TstWholeDownload::junkBeforeTheAnswer_data()
{
    QTest::addColumn<QStringList>("args");
    // The 00 passes for a sequence answer; the time-stamped stream behind it, misread.
    QTest::newRow("ff 00 before a time-stamped answer") << QStringList{"--junk-bytes", "ff00", "--style", "1"};
    // The 01 passes for a time-stamped answer; the readings behind it, misread as stamps.
    QTest::newRow("01 before a sequence answer") << QStringList{"--junk-bytes", "01"};
}

void TstWholeDownload::junkBeforeTheAnswer()
{
    QFETCH(QStringList, args);
    QTemporaryDir keep;
    Simulator sim(args);
    Bench line(sim.device);
    QCOMPARE(line.start(), QString());
    QTRY_VERIFY_WITH_TIMEOUT(line.idle() && !line.settled.isEmpty(), 10000);
    const DownloadResult &result = line.settled.first();
    QCOMPARE(result.outcome, ReadComMachine::NotARecord);
    QVERIFY(!result.record.holdsData());
    QCOMPARE(line.status.value(line.status.size() - 1), QStringLiteral("DATA ERR"));
    QVERIFY2(result.note.contains(QStringLiteral("不是测温仪的记录")), qPrintable(result.note));
    // Nothing kept as a download; the bytes kept to be looked at.
    QVERIFY(filesIn(line.keep.path(), "*.ZQ").isEmpty());
    QCOMPARE(filesIn(line.keep.path(), "*.raw"), QStringList{QFileInfo(result.rawPath).fileName()});

    Simulator again(args);
    const Run cli = zqcli({"download", "--port", again.device, "-o", keep.filePath("cli.ZQ")});
    QCOMPARE(cli.code, 1);
    QVERIFY2(cli.err.contains(QStringLiteral("不是测温仪的记录")), qPrintable(cli.err));
    QVERIFY(!QFile::exists(keep.filePath("cli.ZQ")));
}

void TstWholeDownload::aPauseMeansIncomplete()
{
    // 720 records with a pause of 2.5 s after 300: the silence ends the
    // transfer, and the records after the pause show it was not whole.
    const QStringList args{"--style", "1", "--count", "720", "--pause-after", "300", "--pause-ms", "2500"};
    Simulator sim(args);
    Bench line(sim.device);
    QCOMPARE(line.start(), QString());
    QTRY_VERIFY_WITH_TIMEOUT(line.ended.size() == 1, 10000);
    QCOMPARE(line.ended[0].record.count(), 300);
    QVERIFY(line.instrument.watching() && line.settled.isEmpty());
    QTRY_VERIFY_WITH_TIMEOUT(line.idle(), 8000);
    QCOMPARE(line.settled.size(), 1);
    const DownloadResult &result = line.settled.first();
    QCOMPARE(result.outcome, ReadComMachine::Paused);
    QVERIFY(result.partial());
    QVERIFY2(result.note.contains(QStringLiteral("不完整")), qPrintable(result.note));
    const QStringList kept = filesIn(line.keep.path(), "*");
    QCOMPARE(kept.size(), 2);
    QVERIFY2(kept.value(0).endsWith("-incomplete.ZQ") && kept.value(1).endsWith("-incomplete.raw"),
        qPrintable(kept.join(' ')));
    QCOMPARE(QFileInfo(result.keptPath).fileName(), kept.value(0));
    QCOMPARE(QFileInfo(result.rawPath).size(), 1 + 8 * 720); // the answer and every packet, the late ones too

    Simulator again(args);
    QTemporaryDir here;
    const Run cli = zqcli({"download", "--port", again.device}, here.path());
    QCOMPARE(cli.code, 4);
    // Told as the window tells it.
    QVERIFY2(cli.err.contains("partial record kept") && cli.err.contains(QStringLiteral("测温仪中途停顿过"))
            && cli.out.contains("-incomplete.ZQ"),
        qPrintable(cli.err));
    QVERIFY(QFile::exists(QDir(here.path()).filePath(cli.out.trimmed())));
}

void TstWholeDownload::anotherReaderIsNamed()
{
    Simulator sim({});
    QProcess reader;
    reader.start("cat", {sim.device});
    QVERIFY(reader.waitForStarted());
    QTRY_VERIFY(!zq::gatherPortFacts(sim.device).holders.isEmpty());
    Bench line(sim.device);
    const QString told = line.start();
    QVERIFY2(
        told.contains(QStringLiteral("正被其他程序占用")) && told.contains(QStringLiteral("(cat)")), qPrintable(told));
    QVERIFY(!line.instrument.portOpen());
    const Run cli = zqcli({"download", "--port", sim.device, "-o", "/dev/null/never"});
    QCOMPARE(cli.code, 1);
    QVERIFY2(cli.err.contains(QStringLiteral("(cat)")), qPrintable(cli.err));
    reader.kill();
    reader.waitForFinished();
}

void TstWholeDownload::concurrentDownloadsNeverShareAName()
{
    // Two instruments, two scripts, one folder: twenty rounds, every file its own.
    QTemporaryDir here;
    Simulator a({}), b({});
    for (int round = 0; round < 20; ++round) {
        QProcess first, second;
        for (auto [p, device] : {std::pair{&first, a.device}, std::pair{&second, b.device}}) {
            p->setWorkingDirectory(here.path());
            p->start(qEnvironmentVariable("ZQCLI_BIN"), {"download", "--port", device});
        }
        QVERIFY(first.waitForFinished(20000) && second.waitForFinished(20000));
        QCOMPARE(first.exitCode() + second.exitCode(), 0);
        QVERIFY(first.readAllStandardOutput() != second.readAllStandardOutput());
    }
    QCOMPARE(filesIn(here.path(), "*.ZQ").size(), 40);
    QCOMPARE(filesIn(here.path(), "*.raw").size(), 40);
}

QTEST_GUILESS_MAIN(TstWholeDownload)
#include "tst_wholedownload.moc"
