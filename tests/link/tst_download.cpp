// A download on the instrument's own layer, against the simulator and a
// scripted line: how it ends, when, what it keeps and what it tells.
#include "core/datafile.h"
#include "link/commport.h"
#include "support/bench.h"
#include "support/records.h"

#include <QElapsedTimer>
#include <QSerialPort>

class TstDownload : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void fromSimulator_data();
    void fromSimulator();
    void timeLimit_data();
    void timeLimit();
    void replyBytesOnePerPass();
    void aPauseDoesNotEndTheTransfer();
    void portFaultsAreTold();
    void oneUserOfThePort();
};

void TstDownload::fromSimulator_data()
{
    QTest::addColumn<QStringList>("args");
    QTest::addColumn<int>("readings");
    QTest::addColumn<int>("outcome");
    QTest::addColumn<QString>("told");
    const int complete = ReadComMachine::Complete;
    QTest::newRow("complete") << QStringList{} << 3840 << complete << "";
    QTest::newRow("time-stamped, 300 records")
        << QStringList{"--style", "1", "--count", "300"} << 300 << complete << "";
    QTest::newRow("time-stamped, a full memory")
        << QStringList{"--style", "1", "--count", "4033"} << 4033 << complete << "";
    QTest::newRow("junk before the reply") << QStringList{"--junk", "3"} << 3840 << complete << "";
    // No checksum on the line: a garbled byte is stored as it came.
    QTest::newRow("garbled byte") << QStringList{"--garble", "1001"} << 3840 << complete << "";
    QTest::newRow("reply a second late") << QStringList{"--reply-delay", "1000"} << 3840 << complete << "";
    QTest::newRow("line cut") << QStringList{"--cut-after", "100"} << 200 << int(ReadComMachine::Cut)
                              << "只收到 200 个读数";
    QTest::newRow("no reply") << QStringList{"--no-reply"} << 0 << int(ReadComMachine::NoReply) << "";
}

void TstDownload::fromSimulator()
{
    ZQ_SKIP_WITHOUT(Need::Simulator);
    QFETCH(QStringList, args);
    QFETCH(int, readings);
    QFETCH(int, outcome);
    QFETCH(QString, told);
    Simulator sim(args);
    Bench line(sim.device);
    line.instrument.download().watchMs = 200; // the watch after a silence has a test of its own
    const bool timeStamped = args.contains("--style");
    QElapsedTimer clock;
    clock.start();
    QCOMPARE(line.start(), QString());
    QTRY_VERIFY_WITH_TIMEOUT(line.instrument.download().received() == readings || !line.ended.isEmpty(), 20000);
    // It ends by itself: by its count, or two seconds after the line fell silent.
    QElapsedTimer afterLast;
    afterLast.start();
    QTRY_COMPARE_WITH_TIMEOUT(line.ended.size(), 1, 5000);
    const qint64 waited = afterLast.elapsed();
    const DownloadResult &result = line.ended.first();
    QCOMPARE(int(result.outcome), outcome);
    if (readings == 0)
        QVERIFY2(clock.elapsed() >= 1000 && clock.elapsed() <= 3000, qPrintable(QString::number(clock.elapsed())));
    else if (timeStamped || outcome == ReadComMachine::Cut)
        QVERIFY2(waited >= 1500 && waited <= 3000, qPrintable(QString::number(waited)));
    else
        QVERIFY2(waited <= 500, qPrintable(QString::number(waited)));

    QCOMPARE(result.record.count(), readings);
    QCOMPARE(int(result.record.type()), !readings ? 0 : timeStamped ? 2 : 1);
    QCOMPARE(result.partial(), readings && outcome != ReadComMachine::Complete); // kept, but short
    QCOMPARE(
        line.status.value(line.status.size() - 1), readings ? QString::number(readings) : QStringLiteral("COM ERR"));
    QCOMPARE(line.style.value(0), !readings ? QString() : timeStamped ? "STYLE 1" : "STYLE 0");
    QCOMPARE(line.progressMaximum, !readings ? 0 : timeStamped ? 4033 : 4032);
    QCOMPARE(result.note.isEmpty(), told.isEmpty());
    QVERIFY2(result.note.contains(told), qPrintable(result.note));
    // Every download with readings is kept, byte for byte as SAVE writes it.
    QCOMPARE(readAll(result.keptPath), readings ? zq::dataFileBytes(result.record) : QByteArray());
    QTRY_VERIFY(line.idle());
    QCOMPARE(line.settled.size(), 1);
}

void TstDownload::timeLimit_data()
{
    QTest::addColumn<QList<double>>("clock"); // at detection, then at each later step
    QTest::addColumn<int>("stepsToEnd");
    QTest::newRow("85 s after the reply") << QList<double>{1000, 1085, 1085.5} << 2;
    QTest::newRow("restarted at midnight") << QList<double>{86390, 5, 89, 90.5} << 3;
}

void TstDownload::timeLimit()
{
    QFETCH(QList<double>, clock);
    QFETCH(int, stepsToEnd);
    PtyInstrument inst;
    inst.respond = [](uint8_t req) {
        return req ? QByteArray() : bytes({0x01, 0, 0, 0x03, 0x14, 0x26, 0x07, 0x2C, 1});
    };
    Bench line(inst.path());
    double now = clock.takeFirst();
    line.instrument.download().timeOfDay = [&now] { return now; };
    QCOMPARE(line.start(), QString());
    QTRY_COMPARE(line.packets(), 1);
    for (int i = 0; i < clock.size(); ++i) {
        now = clock[i];
        line.instrument.download().step();
        QCOMPARE(line.instrument.download().active(), i + 1 < stepsToEnd);
    }
    QCOMPARE(line.style, QStringList{"STYLE 1"});
    const DownloadResult &result = line.ended.value(0);
    QCOMPARE(result.outcome, ReadComMachine::TimedOut);
    // 07-26 14:03:00, 300 degrees.
    QCOMPARE(result.record.at(0).wd, int16_t(300));
    QCOMPARE(int(result.record.at(0).month), 7);
    // The limit, not a silence, ended it: the record may be short, and the user is told.
    QVERIFY2(result.note.contains(QStringLiteral("85 秒内没有传完")), qPrintable(result.note));
}

void TstDownload::replyBytesOnePerPass()
{
    PtyInstrument inst;
    inst.respond = [&inst](uint8_t req) {
        if (req == 0x00)
            inst.sendLater(bytes({0x55, 0x01}), 300);
        return QByteArray();
    };
    Bench line(inst.path());
    // The clock stands still once the request is out, so only the
    // notifications make passes: the first tick's pass finds nothing, 0x55
    // takes one and 0x01 the next.
    qint64 now = 0;
    line.instrument.download().clockNs = [&now] { return now; };
    QCOMPARE(line.start(), QString());
    now = 300 * 1000000LL; // the line has been quiet long enough
    QTRY_COMPARE(inst.received, bytes({0x00}));
    QTRY_COMPARE(line.instrument.download().dataType(), zq::TimeData);
    QCOMPARE(line.instrument.download().passes(), 3);
    QCOMPARE(line.style, QStringList{"STYLE 1"});
    line.instrument.abort();
}

void TstDownload::aPauseDoesNotEndTheTransfer()
{
    const QByteArray record = bytes({0, 0, 0x03, 0x14, 0x26, 0x07, 0x2C, 1});
    PtyInstrument inst;
    inst.respond = [&](uint8_t req) {
        if (req == 0x00)
            inst.sendLater(record, 1000);
        return req ? QByteArray() : bytes({0x01}) + record;
    };
    Bench line(inst.path());
    QCOMPARE(line.start(), QString());
    QTRY_COMPARE_WITH_TIMEOUT(line.packets(), 2, 3000);
    QVERIFY(line.ended.isEmpty());
    QTRY_COMPARE_WITH_TIMEOUT(line.ended.size(), 1, 4000);
    QCOMPARE(line.ended[0].record.count(), 2);
}

void TstDownload::portFaultsAreTold()
{
    ZQ_SKIP_WITHOUT(Need::Simulator);
    // A port that cannot open: absent, then held by another program.
    Simulator sim({});
    QSerialPort other(sim.device);
    QVERIFY(other.open(QIODevice::ReadWrite));
    for (const QString &device : {QStringLiteral("/dev/zq-no-such-port"), sim.device}) {
        Bench line(device);
        const QString told = line.start();
        QVERIFY(told.contains("COM 1") && told.contains(device));
        // In Chinese, saying what to do: check the cable, or close the other program (named).
        if (device == sim.device)
            QVERIFY2(
                told.contains(QStringLiteral("正被其他程序占用")) && told.contains("tst_download"), qPrintable(told));
        else
            QVERIFY(told.startsWith(QStringLiteral("找不到串口 COM 1")));
        QVERIFY(line.idle() && line.ended.isEmpty());
    }
    // The far end vanishes mid-transfer: the readings stay, the user is told.
    auto inst = std::make_unique<PtyInstrument>();
    inst->respond = [](uint8_t req) { return req ? QByteArray() : bytes({0x00, 0x10, 0x01, 0x10, 0x01}); };
    Bench line(inst->path());
    QCOMPARE(line.start(), QString());
    QTRY_COMPARE(line.packets(), 1);
    inst.reset();
    QTRY_COMPARE(line.ended.size(), 1);
    QVERIFY(line.idle());
    QCOMPARE(line.ended[0].outcome, ReadComMachine::LineLost);
    QCOMPARE(line.ended[0].record, sequenceData({272, 272}));
    QVERIFY2(line.ended[0].note.contains(QStringLiteral("已断开")), qPrintable(line.ended[0].note));
    QCOMPARE(readAll(line.ended[0].keptPath), zq::dataFileBytes(sequenceData({272, 272})));
}

void TstDownload::oneUserOfThePort()
{
    // The instrument answers downloads only: each poll holds the port for seconds.
    PtyInstrument inst;
    inst.respond = [](uint8_t req) { return req == 0x00 ? bytes({0x00, 0x10, 0x01, 0x20, 0x01}) : QByteArray(); };
    Bench line(inst.path());
    QCOMPARE(line.startPoll(), QString());
    QTRY_COMPARE(inst.received, bytes({0xC0}));
    // A download takes the port from a poll; a poll never takes it from a download.
    QCOMPARE(line.start(), QString());
    QVERIFY(!line.instrument.polling());
    QTRY_COMPARE(line.packets(), 1);
    QCOMPARE(line.startPoll(), QStringLiteral("busy"));
    QCOMPARE(line.start(), QStringLiteral("busy"));
    // Bytes arriving now belong to the download, whatever they look like.
    inst.send(bytes({0xC0, 0x05, 0x12, 0x21}));
    QTRY_COMPARE(line.instrument.download().received(), 4);
    QCOMPARE(line.instrument.download().record().reading(2), 0x05C0);
    QCOMPARE(inst.received, bytes({0xC0, 0x00}));
    // A transfer keeps its port; a poll gives way to a change of port.
    line.instrument.setCommPort(2);
    QCOMPARE(line.instrument.commPort(), 1);
    line.instrument.abort();
    QCOMPARE(line.startPoll(), QString());
    line.instrument.setCommPort(2);
    QVERIFY(!line.instrument.polling() && !line.instrument.portOpen());
    QCOMPARE(line.instrument.commPort(), 2);
}

QTEST_GUILESS_MAIN(TstDownload)
#include "tst_download.moc"
